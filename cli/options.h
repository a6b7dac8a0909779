#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace vantor {

enum class OutputFormat { Tsv, Csv, Json };

// What vantor-tally was asked for. The player ID, log names and the folder
// are UTF-8 (a player ID that is not valid UTF-8 is the logs' own bytes); the
// tag is the logs' bytes, converted like the player ID.
struct TallyOptions {
    std::string player;  // empty, like an empty player box
    std::string tag = "[Pickup]";
    unsigned codePage = 1252;  // of the logs: --code-page, else the automatic one
    bool allActions = false;  // --action all: the four side by side, a ledger of exact names
    OutputFormat format = OutputFormat::Tsv;
    std::string logDir;  // the game's own folder when none is given
    unsigned jobs = 1;   // logs read at once
    bool exactNames = false;  // each full name its own row: not the game's tally
    bool bytes = false;       // tsv and csv names as the logs' bytes instead of UTF-8
    bool byLog = false;       // a column per log
    std::string from, to;     // the first and last log of the range; empty: the folder's
    std::size_t last = 0;     // only the last N logs; 0: no limit
    bool progress = false;    // a line per log on stderr, wherever it goes
    bool follow = false;      // the tally again each time the logs change it (FollowTally)
    bool players = false;     // the player IDs of the logs instead of a tally
};

// What the command line asked for: options to run with, or an exit status
// with the text to print (help on stdout for status 0, else a usage error).
struct ParsedArguments {
    std::variant<TallyOptions, std::pair<int, std::string>> outcome;
};

ParsedArguments ParseArguments(int argc, const char* const* argv);

// "vantor-tally: ERROR", then the usage lines, as a usage error prints them.
std::string UsageError(std::string_view error);

}  // namespace vantor
