#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "store/numeric.h"
#include "vantor/run_error.h"
#include "tests/support/store_model.h"
#include "tests/support/test_seed.h"

namespace {

using namespace std::string_literals;

// What fn returns, or the name of the kind of RunError it throws.
template <class Fn>
std::string Outcome(Fn&& fn) {
    try {
        return fn();
    } catch (const vantor::RunError& e) {
        return std::string(vantor::KindName(e.kind()));
    }
}

// ToInt32, and the string-based conversion of the literal models, which
// must not share its mistakes.
TEST(StoreNumbers, HalvesRoundToEvenAndTheRestIsRejected) {
    const std::string type = "type mismatch", over = "overflow";
    const std::pair<std::string, std::string> cases[] = {
        {"0", "0"}, {"-42", "-42"}, {"+42", "42"}, {"  42  ", "42"}, {"-0", "0"}, {"0000000000000000000042", "42"},
        {".5", "0"}, {"7.", "7"}, {"+.51", "1"}, {"1.5", "2"}, {"2.5", "2"}, {"-0.5", "0"}, {"-3.5", "-4"},
        {"2.500001", "3"}, {"2.4999999999999999999", "2"}, {"1.50000000000000000000000001", "2"},
        {"0002147483647.000", "2147483647"}, {"2147483646.5", "2147483646"}, {"-2147483648.5", "-2147483648"},
        {"-2147483647.5", "-2147483648"}, {"", type}, {" ", type}, {"+", type}, {".", type}, {"+.", type},
        {"1e5", type}, {"1,5", type}, {"1)(2", type}, {"- 5", type}, {"\t5", type}, {"5\t", type}, {"1 2", type},
        {"1..2", type}, {"--1", type}, {"5-", type}, {"5\0"s, type}, {"2147483648", over}, {"-2147483649", over},
        {"2147483647.5", over}, {"-2147483648.6", over}, {"4294967338", over} /* 2^32 + 42 */,
        {"18446744073709551658", over} /* 2^64 + 42 */, {"2147483647.50000000000000000001", over}};
    for (const auto& [text, want] : cases) {
        EXPECT_EQ(Outcome([&] { return std::to_string(vantor::ToInt32(text)); }), want) << '"' << text << '"';
        EXPECT_EQ(Outcome([&] { return std::to_string(vantor::testing::ReferenceToInt32(text)); }), want)
            << "model, \"" << text << '"';
    }
}

// clsHash and the literal model run the same operations, read from seeded
// random bytes by the interpreter that fuzz_store runs too: most sequences
// short, every eighth long enough to grow hundreds of slots. Sequence r uses
// the seed TestSeed(1) + r; a failure names it.
TEST(StoreRandom, OperationSequencesMatchTheLiteralModel) {
    const std::uint32_t firstSeed = vantor::testing::TestSeed(1);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 300; ++seed) {
        std::mt19937 rng(seed);
        std::string ops(seed % 8 ? rng() % 400 : 20000, '\0');
        for (char& byte : ops) byte = static_cast<char>(rng());
        ASSERT_EQ(vantor::testing::StoreDifference(ops), "") << "seed " << seed;
    }
}

}  // namespace
