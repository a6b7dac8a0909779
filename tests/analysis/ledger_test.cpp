#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "vantor/ledger.h"
#include "vantor/tally.h"
#include "store/cls_hash.h"
#include "tests/support/log_builder.h"
#include "tests/support/scan_outcome.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

using Names = std::vector<std::string>;

std::string Parts(const std::vector<LogCredit>& parts) {
    std::string text;
    for (const LogCredit& part : parts) text += std::to_string(part.log) + ":" + std::to_string(part.quantity) + " ";
    return text;
}

// On 1, 2 or 3 threads, over random folders of the four actions: each
// column of the ledger, with its parts, is the exact-name tally of its
// action; the problems are theirs together; names come in the order the
// player's first countable record of each was written, whatever its action;
// and a range's rows are those whose logs of the range credited them.
// Round r uses the seed TestSeed(23) + r; a failure names it.
TEST(Ledger, ColumnsAreTheFourExactNameTalliesInFirstMetOrder) {
    const Names names = {"Widget", "Blue Widget", "dget", "", "ab", std::string(40, 'a') + "b",
                         "Enchanted Longsword of the Northern Watch", "Iron Ore C."};
    const Names quantities = {"1", "7", "-3", "1)(2", "12"};
    const std::uint32_t firstSeed = testing::TestSeed(23);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 150; ++seed) {
        std::mt19937 rng(seed);
        testing::TempDir dir;
        const auto count = 1 + rng() % 5;
        Names want;  // the names of the player's countable records, first met first
        for (unsigned log = 1; log <= count; ++log) {
            std::string text;
            for (auto r = rng() % 30; r > 0; --r) {
                const std::string& name = names[rng() % names.size()];
                const std::string& quantity = quantities[rng() % quantities.size()];
                const bool alia = rng() % 4 != 0;
                text += testing::Record(alia ? "Alia" : "Bo", kActions[rng() % 4].tag, name + "(" + quantity + ")");
                if (alia && quantity != "1)(2" && name.find("Ore C.") == std::string::npos &&
                    std::find(want.begin(), want.end(), name) == want.end()) {
                    want.push_back(name);
                }
            }
            dir.Write("ActionLog" + std::to_string(log) + ".txt", text);
        }
        const unsigned jobs = 1 + seed % 3;
        const LedgerOutcome ledger = LedgerFolder(dir.text(), "Alia", nullptr, {jobs});
        const auto where = [&](const std::string& item) {
            return std::find_if(ledger.rows.begin(), ledger.rows.end(),
                                [&](const LedgerRow& row) { return row.item == item; });
        };
        Names order;
        for (const LedgerRow& row : ledger.rows) order.push_back(row.item);
        ASSERT_EQ(order, want) << "seed " << seed << ", jobs " << jobs;
        std::size_t problems = 0;
        for (std::size_t action = 0; action < kActions.size(); ++action) {
            clsHash store;
            const TallyOutcome tally =
                TallyFolder(dir.text(), {"Alia", std::string(kActions[action].tag)}, store, nullptr, {1, true});
            problems += tally.problemCount;
            for (const TallyRow& row : tally.rows) {
                const auto found = where(row.item);
                ASSERT_NE(found, ledger.rows.end()) << "seed " << seed << ": " << row.item;
                EXPECT_EQ(found->totals[action], row.total) << "seed " << seed << ": " << row.item;
                EXPECT_EQ(Parts(found->parts[action]), Parts(row.parts)) << "seed " << seed << ": " << row.item;
            }
            const auto credited = std::count_if(ledger.rows.begin(), ledger.rows.end(),
                                                [&](const LedgerRow& row) { return !row.parts[action].empty(); });
            EXPECT_EQ(static_cast<std::size_t>(credited), tally.rows.size()) << "seed " << seed << ", action " << action;
        }
        EXPECT_EQ(ledger.problemCount, problems) << "seed " << seed;

        const std::size_t first = rng() % count, last = first + rng() % (count - first);
        const std::vector<LedgerRow> range = LedgerRowsInRange(ledger, first, last);
        const auto inRange = [&](const LedgerRow& row) {
            return std::any_of(row.parts.begin(), row.parts.end(), [&](const std::vector<LogCredit>& parts) {
                return std::any_of(parts.begin(), parts.end(),
                                   [&](const LogCredit& part) { return part.log >= first && part.log <= last; });
            });
        };
        EXPECT_EQ(range.size(), static_cast<std::size_t>(std::count_if(ledger.rows.begin(), ledger.rows.end(), inRange)))
            << "seed " << seed;
        for (const LedgerRow& row : range) {
            const LedgerRow& whole = *where(row.item);
            for (std::size_t action = 0; action < 4; ++action) {
                std::int64_t sum = 0;
                for (const LogCredit& part : whole.parts[action]) {
                    if (part.log >= first && part.log <= last) sum += part.quantity;
                }
                EXPECT_EQ(row.totals[action], sum) << "seed " << seed << ": " << row.item;
            }
        }
    }
}

}  // namespace
}  // namespace vantor
