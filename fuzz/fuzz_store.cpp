// clsHash against the literal store: the input is a sequence of store
// operations (read by StoreDifference, which the randomised store test also
// runs), and every result, error kind and slot must agree.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/store_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string difference = vantor::testing::StoreDifference({reinterpret_cast<const char*>(data), size});
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
