#pragma once

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vantor::testing {

// The seed of a randomised test: `fixed`, unless the environment variable
// VANTOR_TEST_SEED holds a number, which replays a failure (each failure
// names its seed) or tries other data.
inline std::uint32_t TestSeed(std::uint32_t fixed) {
    const char* text = std::getenv("VANTOR_TEST_SEED");
    if (text == nullptr || *text == '\0') return fixed;
    char* end = nullptr;
    const unsigned long seed = std::strtoul(text, &end, 10);
    if (*end != '\0') throw std::invalid_argument("VANTOR_TEST_SEED is not a number: " + std::string(text));
    return static_cast<std::uint32_t>(seed);
}

}  // namespace vantor::testing
