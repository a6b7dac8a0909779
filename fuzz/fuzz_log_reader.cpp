// ProcessLogFile against the literal reading: the same records in the same
// order and the same records skipped (kind, line, raw item entry), for any log,
// player ID, action tag, block size, search path, mapping and writer. The
// input's layout is ReadDifference's, which the randomised reader test also
// runs.

#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/reference_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One in-memory file for the whole run: no disk traffic, and nothing
    // left behind by a crash. The reader opens it again through /proc.
    static const std::string log = "/proc/self/fd/" + std::to_string(memfd_create("vantor-fuzz-log", 0));
    const std::string difference = vantor::testing::ReadDifference(log, {reinterpret_cast<const char*>(data), size});
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
