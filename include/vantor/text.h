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
inline constexpr char kPathSeparator = '\\';
// UTF-16 text as UTF-8 and back; what cannot be converted becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view text);
#else
inline constexpr char kPathSeparator = '/';
#endif

// A csv field as RFC 4180 writes it, quoted whatever it holds, its quotes
// doubled (libcsv's csv_write).
std::string CsvQuoted(std::string_view field);

// The folder text with a trailing separator ('\\' or '/' on Windows); an
// empty text stays empty: the current folder.
std::string WithTrailingSeparator(std::string folder);

}  // namespace vantor
