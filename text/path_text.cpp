#include "vantor/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantor {

#ifdef _WIN32

// Converted with the Windows functions rather than path::u8string() and
// path(u8string), which throw on text that is not valid UTF-16 or UTF-8:
// what cannot be converted becomes U+FFFD, so a file named with a lone
// surrogate shows up in messages and fails to open instead of ending the
// program.
std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int wideSize = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, text.data(), size, nullptr, nullptr);
    return text;
}

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int textSize = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), textSize, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), textSize, wide.data(), size);
    return wide;
}

std::string PathToUtf8(const std::filesystem::path& path) { return WideToUtf8(path.native()); }

std::filesystem::path Utf8ToPath(std::string_view text) { return std::filesystem::path(Utf8ToWide(text)); }

#else

std::string PathToUtf8(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path Utf8ToPath(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

#endif

std::string WithTrailingSeparator(std::string folder) {
#ifdef _WIN32
    const bool ends = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
#else
    const bool ends = !folder.empty() && folder.back() == '/';
#endif
    if (!folder.empty() && !ends) folder += kPathSeparator;
    return folder;
}

}  // namespace vantor
