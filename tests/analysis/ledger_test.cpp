#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "store/cls_hash.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"
#include "vantor/ledger.h"
#include "vantor/players.h"

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
// action, the problems are theirs together, and names come in the order the
// player's first countable record of each was written, whatever its action.
// Round r uses the seed TestSeed(23) + r; a failure names it.
TEST(Ledger, ColumnsAreTheFourExactNameTalliesInFirstMetOrder) {
    const Names names = {"Widget", "Blue Widget", "dget", "", "ab", std::string(40, 'a') + "b", "Iron Ore C."};
    const Names quantities = {"1", "7", "-3", "1)(2", "12"};
    const std::uint32_t firstSeed = testing::TestSeed(23);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 150; ++seed) {
        std::mt19937 rng(seed);
        testing::TempDir dir;
        Names want;  // the names of the player's countable records, first met first
        for (unsigned log = 1 + rng() % 5; log > 0; --log) {
            std::string text;
            for (auto r = rng() % 30; r > 0; --r) {
                const std::string &name = names[rng() % names.size()], &quantity = quantities[rng() % 5];
                const bool alia = rng() % 4 != 0;
                text += testing::Record(alia ? "Alia" : "Bo", kActions[rng() % 4].tag, name + "(" + quantity + ")");
                if (alia && quantity != "1)(2" && name.find("Ore C.") == std::string::npos &&
                    std::find(want.begin(), want.end(), name) == want.end()) {
                    want.push_back(name);
                }
            }
            dir.Write("ActionLog" + std::to_string(9 - log) + ".txt", text);
        }
        const unsigned jobs = 1 + seed % 3;
        const LedgerOutcome ledger = LedgerFolder(dir.text(), "Alia", 1252, nullptr, {jobs});
        Names order;
        for (const LedgerRow& row : ledger.rows) order.push_back(row.item);
        ASSERT_EQ(order, want) << "seed " << seed << ", jobs " << jobs;
        std::size_t problems = 0;
        for (std::size_t action = 0; action < kActions.size(); ++action) {
            const TallyOutcome tally =
                TallyFolder(dir.text(), {"Alia", std::string(kActions[action].tag)}, nullptr, {1, true});
            problems += tally.problemCount;
            Names column, wanted;  // each row's name, total and parts; the order is checked above
            for (const LedgerRow& row : ledger.rows) {
                const std::string total = std::to_string(row.totals[action]);
                if (!row.parts[action].empty()) column.push_back(row.item + "=" + total + " " + Parts(row.parts[action]));
            }
            for (const TallyRow& row : tally.rows) {
                wanted.push_back(row.item + "=" + std::to_string(row.total) + " " + Parts(row.parts));
            }
            std::sort(column.begin(), column.end());
            std::sort(wanted.begin(), wanted.end());
            EXPECT_EQ(column, wanted) << "seed " << seed << ", action " << action;
        }
        EXPECT_EQ(ledger.problemCount, problems) << "seed " << seed;
    }
}

// Random logs of lines with too few fields, lone LFs, CRs without LF and an
// unended last line longer than a read: the counts are those of the text cut
// at each CR (a line of five tabs or more a record of its field 1), most
// first, on 1 to 3 threads; an index kept across a change of one log and a
// new log gives the same as a new one, and so does one stopped before. Round r uses TestSeed(31) + r.
TEST(Players, CountsAreThePlainCountsAndAKeptIndexFollowsChanges) {
    const Names ids = {"Alia", "alia", "", " Bo", "Cyra\n"}, ends = {"\r\n", "\r", "\n", "\r\r\n"};
    const std::uint32_t firstSeed = testing::TestSeed(31);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 100; ++seed) {
        std::mt19937 rng(seed);
        testing::TempDir dir;
        Names logs;
        const auto addLog = [&] {
            std::string log;
            for (auto r = rng() % 40; r > 0; --r) {
                log += "t\t" + ids[rng() % ids.size()];
                for (auto fields = rng() % 7; fields > 0; --fields) log += "\tf";
                log += ends[rng() % ends.size()];
            }
            if (rng() % 3 == 0) log += std::string(rng() % 3 ? 0 : 3 << 19, 'x') + "t\tLong\ta\tb\tc\td";
            logs.push_back(log);
            dir.Write("ActionLog" + std::to_string(logs.size()) + ".txt", log);
        };
        const auto plain = [&] {
            std::vector<PlayerCount> counts;
            std::string all;
            for (const std::string& log : logs) all += log + "\r";
            for (std::size_t start = 0, cr; (cr = all.find('\r', start)) != std::string::npos; start = cr + 1) {
                const std::string line = all.substr(start, cr - start);
                if (std::count(line.begin(), line.end(), '\t') < 5) continue;
                const std::size_t tab = line.find('\t');
                const std::string id = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
                auto known = std::find_if(counts.begin(), counts.end(), [&](auto& c) { return c.bytes == id; });
                if (known == counts.end()) known = counts.insert(counts.end(), {id, id, 0});
                ++known->records;
            }
            std::stable_sort(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.records > b.records; });
            return counts;
        };
        const auto same = [](const std::vector<PlayerCount>& a, const std::vector<PlayerCount>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](auto& x, auto& y) { return x.bytes == y.bytes && x.records == y.records; });
        };
        for (auto count = 1 + rng() % 4; count > 0; --count) addLog();
        PlayerIndex index;
        const std::atomic<bool> stopped{true};  // no log is begun, none is taken as counted
        ASSERT_TRUE(index.Update(dir.text(), 1252, {1 + seed % 3}, &stopped).empty());
        ASSERT_TRUE(same(index.Update(dir.text(), 1252, {1 + seed % 3}), plain())) << "seed " << seed;
        const std::size_t changed = rng() % logs.size();
        dir.Write("ActionLog" + std::to_string(changed + 1) + ".txt", logs[changed] += "t\tNew\ta\tb\tc\td\r\n");
        addLog();
        ASSERT_TRUE(same(index.Update(dir.text(), 1252, {1 + seed % 3}), plain())) << "seed " << seed << ", kept";
    }
}

}  // namespace
}  // namespace vantor
