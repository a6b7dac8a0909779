#pragma once

#include <iosfwd>

#include "vantor/tally.h"
#include "cli/options.h"

namespace vantor {

// Prints one outcome of the analysis that `options` asked for: the rows of
// its range of logs on `out` in its format, and on `err` the problems met,
// then a hint when nothing was found. Returns the exit status: 0 done, 1 a
// problem was met, 2 the range names a log the folder does not have
// (nothing printed but the error).
int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace vantor
