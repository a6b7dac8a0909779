#pragma once

#include "store/internal.h"

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// Windows-1252 bytes to UTF-8. Every byte has a character: the five codes the
// code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1
// controls of the same number, as Windows maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; nothing when the text holds a character the code
// page cannot write, or is not valid UTF-8.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

// UTF-8 to Windows-1252, saying why it fails: the first character the code
// page cannot write (only when the text is valid UTF-8), or neither.
struct Windows1252Conversion {
    std::optional<std::string> bytes;
    std::optional<char32_t> unwritable;
};
Windows1252Conversion ConvertUtf8ToWindows1252(std::string_view utf8);

}  // namespace vantor
