#pragma once

#include "text/internal.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Whether `name` matches "ActionLog*.txt", letters compared ignoring case.
bool IsLogName(std::string_view name);

// A log as its folder's listing shows it: its name, and its size and time
// to tell that it changed.
struct LogEntry {
    std::string name;  // UTF-8
    std::uint64_t size = 0;
    std::int64_t time = 0;  // last modification, in the units of FileTimeNow (analysis/folder_watch.h)
    bool operator==(const LogEntry&) const = default;
};

// The action logs in `directory`, in reading order: ordinary files whose
// name matches "ActionLog*.txt" ignoring case (links followed; on Windows
// hidden and system files left out, as the platform's own listing does),
// sorted by their upper-cased names (byte order; ties by the names
// themselves). An empty path is the current folder. A directory that does
// not exist or is not a directory gives none; any other failure to list it
// is a RunError of kind FileError. The one listing of a folder: the tally,
// the follower and the player index all read it.
std::vector<LogEntry> ListLogs(const std::filesystem::path& directory);

// The names of ListLogs, moved out of them.
std::vector<std::string> NamesOf(std::vector<LogEntry> logs);

// Throws a RunError of kind FileError naming `directory` when it does not
// exist or is not a folder (an empty text is the current folder).
void RequireLogFolder(const std::string& directory);

}  // namespace vantor
