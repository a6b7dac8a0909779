#pragma once

// The player IDs found in a folder's logs, for a front end to offer as the
// player is typed.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "vantor/tally.h"

namespace vantor {

// A player ID (field 1) and how many records carry it.
struct PlayerCount {
    std::string player;  // UTF-8 (empty in a LogPlayers)
    std::string bytes;   // as in the logs
    std::uint64_t records = 0;
};

// What one log holds: its IDs in the order first met.
struct LogPlayers {
    std::vector<PlayerCount> players;
};

// Counts field 1 of every record of the log: a line (ended by CR, a LF
// right after it belonging to the line end) with six or more tab-separated
// fields. A last line without a line end counts only when the log is
// finished, as in a tally. Throws RunError (FileError) when the log cannot
// be read.
LogPlayers CountLogPlayers(const std::filesystem::path& log);

// The players of a folder, kept between calls: a log is counted again only
// when its size or modification time changed (or it is new), so that after
// the first call an update costs a listing of the folder and the logs the
// game wrote.
class PlayerIndex {
public:
    // The players of the logs of `folder` (UTF-8) written in `codePage`, most records first, ties
    // in the order first met in reading order; logs are counted on
    // `options.jobs` threads (0: one per core). A log that cannot be read
    // counts as empty. Throws RunError (FileError) as TallyFolder does when
    // the folder cannot be listed. Once `stop` is set (from any thread), no
    // further log is begun: the answer is then partial, and the next call
    // counts the logs left out.
    std::vector<PlayerCount> Update(const std::string& folder, unsigned codePage, const ScanOptions& options = {},
                                    const std::atomic<bool>* stop = nullptr);

private:
    struct Known {
        std::uint64_t size = 0;
        std::int64_t time = 0;
        LogPlayers players;
    };
    std::string folder_;
    std::map<std::string, Known> logs_;  // by name
};

}  // namespace vantor
