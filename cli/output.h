#pragma once

#include <iosfwd>
#include <vector>

#include "vantor/ledger.h"
#include "vantor/players.h"
#include "vantor/session.h"
#include "vantor/tally.h"
#include "cli/options.h"

namespace vantor {

// Prints one outcome of the analysis that `options` asked for: the rows of
// its range of logs on `out` in its format, and on `err` the problems met,
// then a hint when nothing was found. Returns the exit status: 0 done, 1 a
// problem was met, 2 the range names a log the folder does not have
// (nothing printed but the error).
// With `session`, each row also has its gain since the session began
// (SessionStart::Gains, from ShownTotals of the session's first outcome):
// in tsv and csv a third column "session", in json a member "session".
int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err,
                 const SessionStart* session = nullptr);

// The totals of the rows an outcome shows under `options`, as a session's
// start.
SessionStart ShownTotals(const TallyOutcome& outcome, const TallyOptions& options);

// The player IDs of a folder (--players), most records first.
void WritePlayers(const std::vector<PlayerCount>& players, const TallyOptions& options, std::ostream& out);

// The same for a ledger (--action all): a row per name with a column per
// action and the net.
int WriteLedger(const LedgerOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace vantor
