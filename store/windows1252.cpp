#include "store/windows1252.h"

#include <array>
#include <cstdint>
#include <utility>

namespace vantor {

namespace {

// Code points of 0x80..0x9F. The bytes 0xA0..0xFF are the code points of the
// same number, and so are the five codes the code page leaves undefined.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CodePointOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; nothing when invalid.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() - i < static_cast<std::size_t>(length)) return std::nullopt;
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    i += static_cast<std::size_t>(length);
    return c;
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(byte)));
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8) {
    return ConvertUtf8ToWindows1252(utf8).bytes;
}

Windows1252Conversion ConvertUtf8ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::optional<char32_t> unwritable;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> c = NextCodePoint(utf8, i);
        if (!c) return {};
        if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF)) {
            out += static_cast<char>(*c);
            continue;
        }
        std::size_t index = 0;
        while (index < kHighControls.size() && kHighControls[index] != *c) ++index;
        if (index == kHighControls.size()) {
            // The rest must still be valid UTF-8 for the character to be named.
            if (!unwritable) unwritable = *c;
            continue;
        }
        out += static_cast<char>(0x80 + index);
    }
    if (unwritable) return {std::nullopt, unwritable};
    return {std::move(out), std::nullopt};
}

}  // namespace vantor
