#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/log_folder.h"
#include "analysis/parallel_scan.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

struct Outcome {
    std::vector<std::pair<std::string, std::int32_t>> slots;
    std::vector<std::string> items;
    std::optional<std::string> error;

    bool operator==(const Outcome&) const = default;
};

template <typename Scan>
Outcome Analyse(const std::string& folder, Scan scan) {
    testing::FakeWindow window;
    window.playerId = "Alia";
    clsHash items;
    Outcome outcome;
    try {
        scan(folder, window, items);
    } catch (const RunError& error) {
        outcome.error = error.what();
    }
    for (std::int32_t n = 1; n <= items.NumKeys(); ++n) {
        outcome.slots.emplace_back(items.GetKeyByNumber(n), items.GetValueByNumber(n));
    }
    outcome.items = window.items;
    return outcome;
}

// Folders whose names collide as substrings, fill whole slots, repeat with a
// period that makes a stored name reappear across a slot end, run past 40
// bytes, and whose totals come near or past the 32-bit range. Round r uses
// the seed TestSeed(11) + r; a failure names it.
TEST(ParallelScan, GivesExactlyTheSequentialResult) {
    const std::string slot40(40, 'a');
    // After the full slot "x...xab", a new "abab" is first found across
    // its end, in that slot, not in the slot appended for it.
    const std::vector<std::string> names = {"Widget", "Blue Widget", "dget", "", "ab", "abab", "ba",
                                            slot40, slot40 + "b", std::string(38, 'x') + "ab",
                                            "Enchanted Longsword of the Northern Watch", "a"};
    const std::vector<std::string> quantities = {"1", "7", "-3", "1500000000", "-1500000000", "2.5"};
    const std::uint32_t firstSeed = testing::TestSeed(11);
    int errors = 0;
    for (std::uint32_t round = 0; round < 300; ++round) {
        const std::uint32_t seed = firstSeed + round;
        std::mt19937 rng(seed);
        testing::TempDir dir;
        const int files = 1 + static_cast<int>(rng() % 6);
        const std::string few[] = {names[rng() % names.size()], names[rng() % names.size()], names[rng() % names.size()]};
        for (int f = 0; f < files; ++f) {
            testing::LogBuilder log;
            for (int r = static_cast<int>(rng() % 40); r > 0; --r) {
                const std::string& name = seed % 2 ? few[rng() % 3] : names[rng() % names.size()];
                const std::string item = rng() % 200 == 0 ? "Bar(1)(2)" : name + "(" + quantities[rng() % (rng() % 8 ? 3 : 6)] + ")";
                log.Record(rng() % 4 ? "Alia" : "Bo", rng() % 5 ? "[Pickup]" : "[Sell]", item);
            }
            dir.Write("ActionLog" + std::to_string(f) + ".txt", log.str());
        }
        const Outcome expected = Analyse(dir.text(), ProcessLogFolder);
        errors += expected.error.has_value();
        for (const unsigned jobs : {2u, 3u}) {
            const auto parallel = [jobs](const std::string& folder, WindowState& window, clsHash& items) {
                ProcessLogFolderParallel(folder, window, items, jobs);
            };
            ASSERT_EQ(Analyse(dir.text(), parallel), expected) << "seed " << seed << ", jobs " << jobs;
        }
    }
    EXPECT_GT(errors, 10);  // overflows and bad entries, not just clean runs
}

}  // namespace
}  // namespace vantor
