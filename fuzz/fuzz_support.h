#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vantor::fuzz {

// Bytes as printable text, for reports: anything but printable ASCII (and
// the backslash) as \xHH.
inline std::string Escaped(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace vantor::fuzz
