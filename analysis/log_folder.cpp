#include "analysis/log_folder.h"

#include <algorithm>
#include <system_error>

#include "analysis/path_text.h"
#include "store/run_error.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantor {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return AsciiUpper(c); });
    return upper;
}

// "ActionLog*.txt", letters matched without regard to case, as the game's
// platform matches file names.
bool IsLogName(std::string_view name) {
    constexpr std::string_view kPrefix = "ACTIONLOG";
    constexpr std::string_view kSuffix = ".TXT";
    if (name.size() < kPrefix.size() + kSuffix.size()) return false;
    const std::string upper = AsciiUpper(name);
    return upper.starts_with(kPrefix) && upper.ends_with(kSuffix);
}

// An ordinary file: links are followed, and folders, devices, FIFOs, sockets
// and broken or looping links are not. On Windows, hidden and system files
// are left out too, as the platform's own listing does.
bool IsOrdinaryFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_regular_file(error) || error) return false;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        return false;
    }
#endif
    return true;
}

}  // namespace

std::vector<std::string> ListLogFiles(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    std::error_code error;
    // An empty folder text means the current folder, as a path prefix would.
    std::filesystem::directory_iterator it(directory.empty() ? std::filesystem::path(".") : directory, error);
    if (error) {
        if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
            return names;
        }
        throw RunError(ErrorKind::FileError,
                       "cannot list '" + PathToUtf8(directory) + "': " + error.message());
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        std::string name = PathToUtf8(it->path().filename());
        if (IsLogName(name) && IsOrdinaryFile(*it)) names.push_back(std::move(name));
    }
    if (error) {
        throw RunError(ErrorKind::FileError,
                       "cannot list '" + PathToUtf8(directory) + "': " + error.message());
    }

    // One order on every platform: by upper-cased name, as the game's
    // platform lists them; names that differ only in case by their bytes.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names) keyed.emplace_back(AsciiUpper(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& [upper, name] : keyed) names.push_back(std::move(name));
    return names;
}

void RequireLogFolder(const std::string& directory) {
    std::error_code error;
    const auto status = std::filesystem::status(directory.empty() ? std::filesystem::path(".") : Utf8ToPath(directory), error);
    if (!std::filesystem::exists(status)) {
        throw RunError(ErrorKind::FileError, "log folder '" + directory + "' does not exist");
    }
    if (!std::filesystem::is_directory(status)) {
        throw RunError(ErrorKind::FileError, "'" + directory + "' is not a folder");
    }
}

}  // namespace vantor
