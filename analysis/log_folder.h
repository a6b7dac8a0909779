#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

class clsHash;
class WindowState;

// The names of the action logs in `directory`: ordinary files whose name
// matches "ActionLog*.txt" ignoring case, sorted by their upper-cased names
// (byte order; ties by the names themselves). An empty path is the current
// folder. A directory that does not exist
// or is not a directory gives none; any other failure to list it is a
// RunError of kind FileError.
std::vector<std::string> ListLogFiles(const std::filesystem::path& directory);

// The folder text with a trailing separator (an empty text stays empty: the
// current folder).
std::string WithTrailingSeparator(std::string directory);

// Appends every stored key, up to its first NUL, to the item list, in slot order.
void ListItems(const clsHash& items, WindowState& window);

// Throws a RunError of kind FileError naming `directory` when it does not
// exist or is not a folder (an empty text is the current folder).
void RequireLogFolder(const std::string& directory);

// Runs one analysis over the logs in `directory` (a text that lacks a
// trailing separator gets one): for each log, in ListLogFiles order, shows
// "Processing " + name on the status line, passes events once and reads it
// with ProcessLogFile. After the last log, appends every stored key (up to
// its first NUL) to the item list in slot order. If PassEvents asks to stop,
// the scan returns before the next log without filling the list. A RunError
// from a log ends the scan, the list unfilled. Returns the number of logs read.
std::size_t ProcessLogFolder(const std::string& directory, WindowState& window, clsHash& items);

}  // namespace vantor
