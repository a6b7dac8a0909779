#include "text/system.h"

#include <windows.h>

#include <vector>

#include "vantor/text.h"

namespace vantor::text_system {

namespace {

// Code points Windows gives some undefined bytes (874's, 1255's): they are no
// characters of the code page.
bool PrivateUse(wchar_t c) { return c >= 0xE000 && c <= 0xF8FF; }

// `wide` in code page `number`; nothing when any character cannot be written
// as itself (no best fit: 'ą' never becomes 'a').
std::optional<std::string> Narrow(unsigned number, std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const bool utf8 = number == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int length = WideCharToMultiByte(number, flags, wide.data(), size, nullptr, 0, nullptr,
                                           utf8 ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(number, flags, wide.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring Normalized(NORM_FORM form, std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    int length = NormalizeString(form, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring(text);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    length = NormalizeString(form, text.data(), size, out.data(), length);
    if (length <= 0) return std::wstring(text);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::wstring WideOf(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

}  // namespace

bool Converts(unsigned number) { return number == CP_UTF8 || IsValidCodePage(number) != 0; }

std::optional<char32_t> CharacterOf(unsigned number, unsigned char byte) {
    const char in = static_cast<char>(byte);
    wchar_t out[2] = {};
    const int length = MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &in, 1, out, 2);
    if (length != 1 || PrivateUse(out[0])) return std::nullopt;
    return static_cast<char32_t>(out[0]);
}

// Windows writes a letter the code page lacks only as a best fit, so the
// letter is taken apart first: the longest composed start that the code
// page has, then the marks after it (U+1EBF 'ế' in 1258: 'ê' then U+0301).
std::optional<std::string> Written(unsigned number, char32_t c) {
    const std::wstring parts = Normalized(NormalizationD, WideOf(c));
    for (std::size_t start = parts.size(); start >= 1; --start) {
        const std::wstring head = Normalized(NormalizationC, std::wstring_view(parts).substr(0, start));
        if (auto bytes = Narrow(number, head + parts.substr(start))) return bytes;
    }
    return std::nullopt;
}

std::string Decoded(unsigned number, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(number, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(number, 0, bytes.data(), size, wide.data(), length);
    return WideToUtf8(wide);
}

std::optional<std::string> Encoded(unsigned number, std::string_view utf8) {
    return Narrow(number, Utf8ToWide(utf8));
}

char32_t LowerCase(char32_t c) {
    if (c >= 0x10000 || (c >= 0xD800 && c <= 0xDFFF)) return c;
    wchar_t w = static_cast<wchar_t>(c);
    CharLowerBuffW(&w, 1);
    return w;
}

char32_t UpperCase(char32_t c) {
    if (c >= 0x10000 || (c >= 0xD800 && c <= 0xDFFF)) return c;
    wchar_t w = static_cast<wchar_t>(c);
    CharUpperBuffW(&w, 1);
    return w;
}

unsigned AnsiCodePage() { return GetACP(); }

}  // namespace vantor::text_system
