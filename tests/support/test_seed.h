#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vantor::testing {

// The first seed of a randomised test: `fixed`, unless the environment
// variable VANTOR_TEST_SEED holds a number, which replays a failure (each
// failure names its seed) or tries other data.
inline std::uint32_t TestSeed(std::uint32_t fixed) {
    const char* seed = std::getenv("VANTOR_TEST_SEED");
    return seed == nullptr || *seed == '\0' ? fixed : static_cast<std::uint32_t>(std::stoul(seed));
}

}  // namespace vantor::testing
