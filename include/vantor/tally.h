#pragma once

// The analysis, as a front end sees it: a query in, an outcome out. This is
// the one header a front end includes to run one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vantor/run_error.h"

namespace vantor {

// An action a tally is made for: the window's caption for it, the tag its
// records carry in field 3, and vantor-tally's keyword.
struct Action {
    std::string_view caption;
    std::string_view tag;
    std::string_view keyword;
};

// Picked Up, Sold to NPC, Bought from NPC, Bought from Player Shop: the
// window's options in their order.
extern const std::array<Action, 4> kActions;

// What to count: the records whose field 1 is `player` and field 3 `tag`,
// both compared byte for byte with the player written in the logs' code page.
struct Query {
    // UTF-8 text; a text that is not valid UTF-8 is taken as the logs' own
    // bytes (a script may pass them).
    std::string player;
    std::string tag = "[Pickup]";
    // Further tags whose records one reading counts apart, for a ledger of
    // several actions (ledger.h: exact names only); a tally leaves it empty.
    std::vector<std::string> moreTags = {};
    unsigned codePage = 1252;  // of the logs (code_page.h)
};

struct ScanOptions {
    unsigned jobs = 0;        // logs read at once; 0: one per processor core
    bool exactNames = false;  // each full item name its own row, instead of the store's rows
};

// Told about the analysis as it goes; it is called on the thread that runs
// TallyFolder.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // Log `index` (0-based) of `count` is about to be added, in reading
    // order. Returning false stops the analysis before it.
    virtual bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) = 0;
};

// What one log credited to a total: the sum of its quantities, and how many
// records they came from.
struct LogCredit {
    std::uint32_t log;  // index into TallyOutcome::logs
    std::int64_t quantity;
    std::uint32_t records;
    bool operator==(const LogCredit&) const = default;
};

// Records of a name other than the row's own that the row's total took
// (the store finds "Potion" inside "Red Potion").
struct OtherName {
    std::string name;   // UTF-8
    std::string bytes;  // as in the logs
    std::int64_t quantity;
    std::uint32_t records;
    bool operator==(const OtherName&) const = default;
};

// One listed item.
struct TallyRow {
    std::string item;   // the store's key up to its first NUL, as UTF-8 text
    std::string bytes;  // the same, bytes as in the logs: what the store looks up
    std::int64_t total = 0;  // the store's total for `item`: what the window shows when it is clicked
    // What each log credited to that total, in reading order (logs that
    // credited nothing are left out). They add up to `total` exactly.
    std::vector<LogCredit> parts;
    // The logs with records that went to this row's own slot. Nearly
    // always the logs of `parts`; not for a row whose total is another
    // slot's (an empty name, a second row of one name cut at 40 bytes).
    std::vector<std::uint32_t> ownLogs;
    std::vector<OtherName> others;
    bool operator==(const TallyRow&) const = default;
};

// At most this many problems are kept; TallyOutcome::problemCount counts all.
inline constexpr std::size_t kMaxProblems = 1000;

// Everything but `bytes` is UTF-8, converted from the logs' code page.
struct TallyOutcome {
    unsigned codePage = 1252;       // the query's
    std::vector<std::string> logs;  // the "ActionLog*.txt" names in reading order, UTF-8
    std::size_t logsRead = 0;       // all of them, unless stopped
    bool stopped = false;           // the observer stopped the analysis
    std::vector<TallyRow> rows;     // one per slot of the store, in slot order (first met first)
    // Records that could not be counted (skipped: the store is as if they
    // were not in the log) and logs that could not be read to their end
    // (line 0; what they credited before the failure stays), in log and
    // line order. Each names its file; a record also its line and item,
    // both as text.
    std::vector<RunError> problems;
    std::size_t problemCount = 0;
    // Only when no row was found: the player IDs in the logs that differ
    // from the query's only in letter case (of the code page's letters) or
    // surrounding spaces, first met first.
    std::vector<std::string> similarPlayers;
};

// Adds every record of `query` in the logs of `folder` (UTF-8; a trailing
// separator is optional) to a store of its own, and reports what it holds.
// Throws RunError: FileError when the folder does not exist, is not a
// folder, or cannot be listed; InvalidArgument when the player cannot be
// written in the code page (see PlayerBytes). Everything else is in the
// outcome.
TallyOutcome TallyFolder(const std::string& folder, const Query& query, ScanObserver* observer = nullptr,
                         const ScanOptions& options = {});

// The player of `query` as the logs' bytes; throws the RunError that
// TallyFolder throws when the code page cannot write it:
// "'Странник' cannot be written in Windows-1252, the code page of these logs".
std::string PlayerBytes(const Query& query);

// The rows of the logs `first` to `last` (indexes into outcome.logs, both
// included): a row is among them when a record of one of those logs went to
// its own slot; its total is then the sum of its parts from those logs,
// and its parts are those. Rows keep their order; `indexes`, when given,
// gets each one's index in outcome.rows.
std::vector<TallyRow> RowsInRange(const TallyOutcome& outcome, std::size_t first, std::size_t last,
                                  std::vector<std::size_t>* indexes = nullptr);

// Where the game writes its logs for this user (UTF-8, with a trailing
// separator): "My Documents/Halvern/ZENTHARA/LOG/" in the profile folder
// (USERPROFILE on Windows, HOME elsewhere). Elsewhere, when that folder does
// not exist, the same folder of any Windows user of the Wine prefix that
// holds the newest log, if any does: $WINEPREFIX, ~/.wine, Steam's Proton
// prefixes, Bottles', Lutris' (~/Games/*) and PlayOnLinux's.
std::string DefaultLogFolder();

}  // namespace vantor
