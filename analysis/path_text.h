#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor {

// Paths as UTF-8 text and back. On Linux a path's bytes pass unchanged; on
// Windows they are converted from and to the wide file names.
std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path Utf8ToPath(std::string_view text);

#ifdef _WIN32
// UTF-16 text as UTF-8; what cannot be converted becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
#endif

}  // namespace vantor
