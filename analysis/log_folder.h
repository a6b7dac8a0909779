#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Whether `name` matches "ActionLog*.txt", letters compared ignoring case.
bool IsLogName(std::string_view name);

// The names of the action logs in `directory`: ordinary files whose name
// matches "ActionLog*.txt" ignoring case, sorted by their upper-cased names
// (byte order; ties by the names themselves). An empty path is the current
// folder. A directory that does not exist
// or is not a directory gives none; any other failure to list it is a
// RunError of kind FileError.
std::vector<std::string> ListLogFiles(const std::filesystem::path& directory);

// Throws a RunError of kind FileError naming `directory` when it does not
// exist or is not a folder (an empty text is the current folder).
void RequireLogFolder(const std::string& directory);

}  // namespace vantor
