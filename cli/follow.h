#pragma once

#include <iosfwd>

#include "cli/options.h"

namespace vantor {

// vantor-tally --follow: prints the tally of `options`, then the whole tally
// again each time the logs change it, until SIGINT or SIGTERM (Ctrl+C or
// Ctrl+Break on Windows). Each tally is what vantor-tally prints without
// --follow (JSON on one line), with a blank line between tsv or csv
// tallies; what it says on `err` (a record that cannot be counted, a hint)
// is said once. Returns the exit status: 0 when interrupted, 1 when the
// folder does not exist or goes away, 2 for a range naming a log the
// folder does not have (the error on `err`).
int FollowTally(const TallyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace vantor
