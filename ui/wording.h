#pragma once

// The words the windows build their status lines and messages from, so that
// the main window and All Actions say things the same way.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vantor/run_error.h"

namespace vantor {

// "1 log", "3 logs".
std::string Counted(std::size_t count, std::string_view one, std::string_view many);
// 'text'.
std::string Quoted(std::string_view text);

// Of an analysis's problems (`count` in all, `kept` of them kept): the
// records skipped and the logs that could not be read to their end.
std::pair<std::size_t, std::size_t> ProblemCounts(const std::vector<RunError>& kept, std::size_t count);
// What a status line adds for them, "skipped" alone (the message says
// what was skipped): ", 3 skipped, 1 unreadable", or nothing.
std::string SkippedText(const std::vector<RunError>& kept, std::size_t count);

// The status line when the analysis found no record of `player` in `logs`
// ("3 logs"): the similar players the logs have, or that the ID is empty;
// nothing otherwise, for the window to say in its own words.
std::string NoRecordText(std::string_view player, const std::vector<std::string>& similarPlayers, std::string_view logs);

}  // namespace vantor
