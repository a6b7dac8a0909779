// ToInt32 against the literal, string-based reading of the number rules
// that the models of the store and the reader use.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/numeric.h"
#include "store/run_error.h"
#include "tests/support/store_model.h"

namespace {

// "= value" or "! kind".
std::string Outcome(std::int32_t (*convert)(std::string_view), std::string_view text) {
    try {
        return "= " + std::to_string(convert(text));
    } catch (const vantor::RunError& error) {
        return "! " + std::string(vantor::KindName(error.kind()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string got = Outcome(vantor::ToInt32, text);
    const std::string want = Outcome(vantor::testing::ReferenceToInt32, text);
    if (got != want) {
        std::fprintf(stderr, "ToInt32('%s'): %s, reference %s\n", vantor::EscapeControlBytes(text).c_str(), got.c_str(),
                     want.c_str());
        std::abort();
    }
    return 0;
}
