#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "vantor/players.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

// The players of `logs` (in reading order) the plain way: the text cut at
// each CR, a LF right after one dropped, a line of five tabs or more a
// record of its field 1; most records first, ties first met first.
std::string PlainPlayers(const std::vector<std::string>& logs) {
    std::vector<std::pair<std::string, std::uint64_t>> counts;
    for (const std::string& log : logs) {
        std::size_t start = 0;
        while (start < log.size()) {
            std::size_t cr = log.find('\r', start);
            const std::string line = log.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
            start = cr == std::string::npos ? log.size() : cr + 1 + (log.compare(cr + 1, 1, "\n") == 0);
            if (std::count(line.begin(), line.end(), '\t') < 5) continue;
            const std::size_t tab = line.find('\t');
            const std::string id = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
            const auto known = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == id; });
            if (known == counts.end()) {
                counts.emplace_back(id, 1);
            } else {
                ++known->second;
            }
        }
    }
    std::stable_sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string text;
    for (const auto& [id, records] : counts) text += id + "=" + std::to_string(records) + " ";
    return text;
}

std::string Listed(const std::vector<PlayerCount>& players) {
    std::string text;
    for (const PlayerCount& count : players) text += count.player + "=" + std::to_string(count.records) + " ";
    return text;
}

// Random logs of lines with too few fields, empty fields, lone LFs, CR
// without LF, read in blocks smaller and larger than a line: the counts are
// the plain ones, on 1 to 3 threads; an index kept across a change of one
// log gives what a new one does. Round r uses the seed TestSeed(31) + r.
TEST(Players, CountsAreThePlainCountsAndAKeptIndexFollowsChanges) {
    const std::vector<std::string> ids = {"Alia", "alia", "", " Bo", "Cyra\n", "\xE9lan"};
    const std::vector<std::string> ends = {"\r\n", "\r", "\n", "\r\r\n"};
    const std::uint32_t firstSeed = testing::TestSeed(31);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 100; ++seed) {
        std::mt19937 rng(seed);
        testing::TempDir dir;
        const auto randomLog = [&] {
            std::string log;
            for (auto r = rng() % 40; r > 0; --r) {
                log += "t\t" + ids[rng() % ids.size()];
                for (auto fields = rng() % 7; fields > 0; --fields) log += "\tf" + std::to_string(rng() % 9);
                log += ends[rng() % ends.size()];
            }
            if (rng() % 3 == 0) log += std::string(rng() % 3 ? 0 : 3 << 19, 'x') + "t\tLong\ta\tb\tc\td";  // unended
            return log;
        };
        std::vector<std::string> logs;
        for (auto count = 1 + rng() % 4; count > 0; --count) {
            logs.push_back(randomLog());
            dir.Write("ActionLog" + std::to_string(logs.size()) + ".txt", logs.back());
        }
        const unsigned jobs = 1 + seed % 3;
        PlayerIndex index;
        ASSERT_EQ(Listed(index.Update(dir.text(), {jobs})), PlainPlayers(logs)) << "seed " << seed;
        // The first log rewritten with another size, and a new log.
        const std::size_t changed = rng() % logs.size();
        logs[changed] += "t\tNew\ta\tb\tc\td\r\n";
        dir.Write("ActionLog" + std::to_string(changed + 1) + ".txt", logs[changed]);
        logs.push_back(randomLog());
        dir.Write("ActionLog" + std::to_string(logs.size()) + ".txt", logs.back());
        ASSERT_EQ(Listed(index.Update(dir.text(), {jobs})), PlainPlayers(logs)) << "seed " << seed << ", kept";
    }
}

}  // namespace
}  // namespace vantor
