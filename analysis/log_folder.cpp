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
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

[[noreturn]] void CannotList(const std::filesystem::path& directory, const std::error_code& error) {
    throw RunError(ErrorKind::FileError, "cannot list '" + PathToUtf8(directory) + "': " + error.message());
}

#ifdef _WIN32
std::int64_t TimeOf(const FILETIME& time) {
    return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}

// The logs of the folder in the system's order. The listing's own size and
// time of a log that a program holds open for writing may lag on NTFS, so
// they are asked of each log; a link is followed to its file.
std::vector<LogEntry> ListFolder(const std::filesystem::path& directory) {
    const std::filesystem::path folder = directory.empty() ? std::filesystem::path(L".") : directory;
    std::vector<LogEntry> logs;
    WIN32_FIND_DATAW entry{};
    const HANDLE listing = FindFirstFileExW((folder.wstring() + L"\\*").c_str(), FindExInfoBasic, &entry,
                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (listing == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY || code == ERROR_FILE_NOT_FOUND ||
            code == ERROR_INVALID_NAME) {
            return logs;
        }
        CannotList(directory, std::error_code(static_cast<int>(code), std::system_category()));
    }
    do {
        constexpr DWORD kNotAFile =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
        std::string name = WideToUtf8(entry.cFileName);
        if ((entry.dwFileAttributes & kNotAFile) != 0 || !IsLogName(name)) continue;
        const std::wstring path = (folder / entry.cFileName).wstring();
        LogEntry log{std::move(name), 0, 0};
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            WIN32_FILE_ATTRIBUTE_DATA info{};
            if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) continue;
            log.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
            log.time = TimeOf(info.ftLastWriteTime);
        } else {
            const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) continue;  // a broken link
            BY_HANDLE_FILE_INFORMATION info{};
            const bool known = GetFileInformationByHandle(file, &info) != 0;
            CloseHandle(file);
            if (!known || (info.dwFileAttributes & kNotAFile) != 0) continue;
            log.size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
            log.time = TimeOf(info.ftLastWriteTime);
        }
        logs.push_back(std::move(log));
    } while (FindNextFileW(listing, &entry));
    const DWORD code = GetLastError();
    FindClose(listing);
    if (code != ERROR_NO_MORE_FILES) CannotList(directory, std::error_code(static_cast<int>(code), std::system_category()));
    return logs;
}
#else
// The logs of the folder in the system's order: ordinary files, links
// followed (folders, devices, FIFOs, sockets and broken or looping links
// are not logs).
std::vector<LogEntry> ListFolder(const std::filesystem::path& directory) {
    std::vector<LogEntry> logs;
    const int dir = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return logs;
        CannotList(directory, std::error_code(errno, std::generic_category()));
    }
    DIR* const listing = ::fdopendir(dir);
    if (listing == nullptr) {
        const int code = errno;
        ::close(dir);
        CannotList(directory, std::error_code(code, std::generic_category()));
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr) break;
        struct stat info {};
        if (!IsLogName(entry->d_name) || ::fstatat(dir, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        logs.push_back({entry->d_name, static_cast<std::uint64_t>(info.st_size),
                        std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec});
    }
    const int code = errno;
    ::closedir(listing);
    if (code != 0) CannotList(directory, std::error_code(code, std::generic_category()));
    return logs;
}
#endif

}  // namespace

// As the game's platform matches file names.
bool IsLogName(std::string_view name) {
    constexpr std::string_view kPrefix = "ACTIONLOG";
    constexpr std::string_view kSuffix = ".TXT";
    if (name.size() < kPrefix.size() + kSuffix.size()) return false;
    const std::string upper = AsciiUpper(name);
    return upper.starts_with(kPrefix) && upper.ends_with(kSuffix);
}

std::vector<LogEntry> ListLogs(const std::filesystem::path& directory) {
    std::vector<LogEntry> logs = ListFolder(directory);
    // One order on every platform: by upper-cased name, as the game's
    // platform lists them; names that differ only in case by their bytes.
    std::vector<std::pair<std::string, std::size_t>> keyed;
    keyed.reserve(logs.size());
    for (std::size_t i = 0; i < logs.size(); ++i) keyed.emplace_back(AsciiUpper(logs[i].name), i);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : logs[a.second].name < logs[b.second].name;
    });
    std::vector<LogEntry> sorted;
    sorted.reserve(logs.size());
    for (const auto& [upper, i] : keyed) sorted.push_back(std::move(logs[i]));
    return sorted;
}

std::vector<std::string> NamesOf(std::vector<LogEntry> logs) {
    std::vector<std::string> names;
    names.reserve(logs.size());
    for (LogEntry& log : logs) names.push_back(std::move(log.name));
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
std::optional<std::int64_t> NewestLog(const std::filesystem::path& folder) {
    std::optional<std::int64_t> newest;
    try {
        for (const LogEntry& log : ListLogs(folder)) {
            if (!newest || log.time > *newest) newest = log.time;
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
    std::optional<std::int64_t> bestTime;
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
