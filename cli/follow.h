#pragma once

#include <iosfwd>

#include "cli/tally.h"

namespace vantor {

// vantor-tally --follow: prints the tally of `options`, then the whole tally
// again each time the logs change it, until SIGINT or SIGTERM (Ctrl+C or
// Ctrl+Break on Windows). JSON puts each tally on one line; tsv and csv put
// a blank line between tallies. A record that cannot be counted is reported
// on `err` once. Returns the exit status: 0 when interrupted, 1 when the
// folder does not exist or goes away (error on `err`).
int FollowTally(const TallyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace vantor
