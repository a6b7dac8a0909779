#include "analysis/log_folder.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "vantor/text.h"
#include "vantor/tally.h"
#include "vantor/run_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
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

// As the game's platform matches file names.
bool IsLogName(std::string_view name) {
    constexpr std::string_view kPrefix = "ACTIONLOG";
    constexpr std::string_view kSuffix = ".TXT";
    if (name.size() < kPrefix.size() + kSuffix.size()) return false;
    const std::string upper = AsciiUpper(name);
    return upper.starts_with(kPrefix) && upper.ends_with(kSuffix);
}

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

#ifndef _WIN32
namespace {

// The newest modification time of the logs in `folder`; nothing without logs.
std::optional<std::filesystem::file_time_type> NewestLog(const std::filesystem::path& folder) {
    std::optional<std::filesystem::file_time_type> newest;
    try {
        for (const std::string& name : ListLogFiles(folder)) {
            std::error_code error;
            const auto time = std::filesystem::last_write_time(folder / Utf8ToPath(name), error);
            if (!error && (!newest || time > *newest)) newest = time;
        }
    } catch (const RunError&) {
        // A folder that cannot be listed has no logs to offer.
    }
    return newest;
}

}  // namespace
#endif

std::string DefaultLogFolder() {
    constexpr std::string_view kGameFolder = "My Documents/Halvern/ZENTHARA/LOG/";
#ifdef _WIN32
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    std::string folder = (profile != nullptr ? WideToUtf8(profile) : std::string()) + '\\' + std::string(kGameFolder);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
#else
    const char* homeText = std::getenv("HOME");
    const std::string home = homeText != nullptr ? homeText : "";
    const std::string native = home + '/' + std::string(kGameFolder);
    std::error_code error;
    if (std::filesystem::is_directory(native, error)) return native;
    // The game runs under Wine or Proton here: the folder is inside a prefix,
    // for whichever Windows user the prefix has.
    std::vector<std::string> prefixes;
    if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') prefixes.push_back(wine);
    prefixes.push_back(home + "/.wine");
    const auto each = [&](const std::string& parent, std::string_view below) {
        for (std::filesystem::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
            prefixes.push_back(PathToUtf8(it->path()) + std::string(below));
        }
        error.clear();
    };
    each(home + "/.steam/steam/steamapps/compatdata", "/pfx");
    each(home + "/.local/share/Steam/steamapps/compatdata", "/pfx");
    each(home + "/.local/share/bottles/bottles", "");
    each(home + "/Games", "");
    each(home + "/.PlayOnLinux/wineprefix", "");
    std::vector<std::string> users;
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') {
        users.push_back(user);
    } else if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name != nullptr) {
        users.push_back(entry->pw_name);
    }
    std::vector<std::string> candidates;
    for (const std::string& prefix : prefixes) {
        const std::string usersFolder = prefix + "/drive_c/users/";
        for (const std::string& user : users) candidates.push_back(usersFolder + user + '/' + std::string(kGameFolder));
        for (std::filesystem::directory_iterator it(usersFolder, error), end; !error && it != end; it.increment(error)) {
            candidates.push_back(PathToUtf8(it->path()) + '/' + std::string(kGameFolder));
        }
        error.clear();
    }
    std::string best = native;
    std::optional<std::filesystem::file_time_type> bestTime;
    for (const std::string& candidate : candidates) {
        const auto newest = NewestLog(candidate);
        if (newest && (!bestTime || *newest > *bestTime)) {
            best = candidate;
            bestTime = newest;
        }
    }
    return best;
#endif
}

}  // namespace vantor
