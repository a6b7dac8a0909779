#include "text/system.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>

namespace vantor::text_system {

namespace {

std::string IconvName(unsigned number) {
    return number == 65001 ? "UTF-8" : "CP" + std::to_string(number);
}

// Converts all of `in` with a fresh converter, flushing what it holds back
// (CP1258 holds a letter until it knows no mark follows); nothing when any
// of it cannot be converted.
std::optional<std::string> Convert(const std::string& to, const std::string& from, std::string_view in) {
    iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 16, '\0');
    char* input = const_cast<char*>(in.data());
    std::size_t inputLeft = in.size();
    char* output = out.data();
    std::size_t outputLeft = out.size();
    const bool converted = iconv(converter, &input, &inputLeft, &output, &outputLeft) != static_cast<std::size_t>(-1) &&
                           iconv(converter, nullptr, nullptr, &output, &outputLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted || inputLeft != 0) return std::nullopt;
    out.resize(out.size() - outputLeft);
    return out;
}

std::optional<char32_t> SingleCharacter(const std::string& utf32) {
    if (utf32.size() != 4) return std::nullopt;
    char32_t c = 0;
    for (int k = 3; k >= 0; --k) c = (c << 8) | static_cast<unsigned char>(utf32[static_cast<std::size_t>(k)]);
    return c;
}

}  // namespace

bool Converts(unsigned number) {
    iconv_t converter = iconv_open("UTF-8", IconvName(number).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
}

std::optional<char32_t> CharacterOf(unsigned number, unsigned char byte) {
    const char in = static_cast<char>(byte);
    const auto utf32 = Convert("UTF-32LE", IconvName(number), std::string_view(&in, 1));
    return utf32 ? SingleCharacter(*utf32) : std::nullopt;
}

std::optional<std::string> Written(unsigned number, char32_t c) {
    std::string utf32(4, '\0');
    for (std::size_t k = 0; k < 4; ++k) utf32[k] = static_cast<char>((c >> (8 * k)) & 0xFF);
    return Convert(IconvName(number), "UTF-32LE", utf32);
}

std::string Decoded(unsigned number, std::string_view bytes) {
    if (auto text = Convert("UTF-8", IconvName(number), bytes)) return std::move(*text);
    // Byte by byte from where it fails would be exact; the rare broken name
    // is shown with U+FFFD in place of each byte that is no character.
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        bool found = false;
        for (std::size_t length = 4; length >= 1 && !found; --length) {
            if (i + length > bytes.size()) continue;
            if (auto part = Convert("UTF-8", IconvName(number), bytes.substr(i, length))) {
                text += *part;
                i += length;
                found = true;
            }
        }
        if (!found) {
            text += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return text;
}

std::optional<std::string> Encoded(unsigned number, std::string_view utf8) {
    return Convert(IconvName(number), "UTF-8", utf8);
}

namespace {

// C.UTF-8 has Unicode's case mappings whatever the user's locale.
locale_t Unicode() {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return unicode;
}

}  // namespace

char32_t LowerCase(char32_t c) {
    if (Unicode() == static_cast<locale_t>(nullptr)) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), Unicode()));
}

char32_t UpperCase(char32_t c) {
    if (Unicode() == static_cast<locale_t>(nullptr)) return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), Unicode()));
}

unsigned AnsiCodePage() { return 0; }

}  // namespace vantor::text_system
