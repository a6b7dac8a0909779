#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vantor {

enum class OutputFormat { Tsv, Csv, Json };

// The player ID and tag are the logs' bytes (Windows-1252), converted from
// the command line's UTF-8 where it is valid UTF-8.
struct TallyOptions {
    std::string player;           // empty, like an empty player box
    std::string tag = "[Pickup]";
    OutputFormat format = OutputFormat::Tsv;
    std::string logDir;
    unsigned jobs = 1;  // logs read at once
    bool follow = false;  // print the tally again each time the logs change it (FollowTally)
};

// What the command line asked for: options to run with, or an exit status
// with the text to print (help on stdout for status 0, else a usage error).
struct ParsedArguments {
    std::variant<TallyOptions, std::pair<int, std::string>> outcome;
};

ParsedArguments ParseArguments(int argc, const char* const* argv);

// Entry and total, in list order; the total is what the window shows for it.
using Tally = std::vector<std::pair<std::string, std::int32_t>>;

// Writes the tally: tsv and csv with the names' bytes unchanged, json with the
// names decoded from Windows-1252 to UTF-8.
void WriteTally(const Tally& tally, OutputFormat format, std::ostream& out);

// The whole program: parse, analyse the folder, print. Progress lines go to
// `err` when `progress` is set. Returns the exit status: 0 done, 1 failed
// (error on `err`, nothing on `out`), 2 bad usage.
int RunTally(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool progress);

}  // namespace vantor
