#pragma once

// A player's ledger: every item with what was picked up, sold to NPCs,
// bought from NPCs and bought from player shops, side by side, from one
// reading of the logs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vantor/tally.h"

namespace vantor {

// One item name: its totals by action, in the order of kActions.
struct LedgerRow {
    std::string item;   // the full cleaned name, UTF-8
    std::string bytes;  // the same, bytes as in the logs
    std::array<std::int64_t, 4> totals{};
    // What each log credited to each action's total, in reading order
    // (logs that credited nothing left out).
    std::array<std::vector<LogCredit>, 4> parts;

    // Picked up and bought, less sold.
    std::int64_t Net() const { return totals[0] - totals[1] + totals[2] + totals[3]; }
};

struct LedgerOutcome {
    unsigned codePage = 1252;
    std::vector<std::string> logs;  // as in TallyOutcome
    std::size_t logsRead = 0;
    bool stopped = false;
    // One row per full item name (each its own row, as exact names count
    // them), in the order each was first met among the player's countable
    // records of the four actions.
    std::vector<LedgerRow> rows;
    // Records that could not be counted and logs that could not be read, as
    // in a tally, of the four actions.
    std::vector<RunError> problems;
    std::size_t problemCount = 0;
    // Only when no row was found, as in a tally.
    std::vector<std::string> similarPlayers;
};

// The ledger of `player` (text, as in Query) over the logs of `folder` in
// `codePage`, read once for the four actions; `options.exactNames` is
// implied. Each column equals the exact-name tally of its action. Throws as
// TallyFolder does.
LedgerOutcome LedgerFolder(const std::string& folder, const std::string& player, unsigned codePage,
                           ScanObserver* observer = nullptr, const ScanOptions& options = {});

// The rows of the logs `first` to `last` (both included): a row is among
// them when a log of the range credited one of its actions, with the totals
// and parts of those logs. Rows keep their order; `indexes`, when given,
// gets each one's index in outcome.rows.
std::vector<LedgerRow> LedgerRowsInRange(const LedgerOutcome& outcome, std::size_t first, std::size_t last,
                                         std::vector<std::size_t>* indexes = nullptr);

}  // namespace vantor
