#pragma once

#include "cli/console.h"
#include "cli/options.h"
#include "cli/output.h"

namespace vantor {

// The whole program: parse, analyse the folder, print. Returns the exit
// status: 0 done, 1 failed (the error on `err`), 2 bad usage.
int RunTally(int argc, const char* const* argv, const Streams& streams);

}  // namespace vantor
