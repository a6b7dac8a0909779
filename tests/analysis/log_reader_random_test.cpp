#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/needle_search.h"
#include "tests/support/process_state.h"
#include "tests/support/reference_reader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

using testing::ReferenceResult;

class CollectingSink : public RecordSink {
public:
    void Take(std::string_view name, std::int32_t quantity) override { records.emplace_back(name, quantity); }
    std::vector<std::pair<std::string, std::int32_t>> records;
};

ReferenceResult Read(const std::filesystem::path& file, const std::string& player, const ReadLimits& limits) {
    CollectingSink sink;
    ReferenceResult result;
    try {
        ReadLog(file, player, "[Pickup]", sink, limits);
    } catch (const RunError& error) {
        result.error = error.kind();
        result.errorLine = error.line();
        result.errorItem = error.item();
    }
    result.records = std::move(sink.records);
    return result;
}

// Random logs built from pieces that put line ends, tabs and the player ID
// everywhere a block or mapping boundary could cut them, read with every
// search path, many block sizes and mappings of one and two pages, finished
// or being written, against the literal reading. Round r uses the seed
// TestSeed(7) + r; a failure names it.
TEST(LogReaderRandom, MatchesLiteralReadingForAnyBlockSizeAndSearchPath) {
    const std::vector<std::string> players = {"Alia", "Al", "", "li", "A\nlia", "Alia_of_Ys", "Alia_of_Ys_and_Tor"};
    const std::vector<std::string> pieces = {
        "\t", "\t\t", "\r", "\r\n", "\n", "\tAlia\t", "\tAl\t", "[Pickup]", "[pickup]", "\t[Pickup]\t",
        "Widget(3)", "Ice\x81\xA8" "Fire(2)", "Orb(R)(1)", "Ore C.(4)", "(5)", "x", "Alia", " 7)", "(2.5)",
        "t0\tAlia\tm\t[Pickup]\tc\tGem(1)\r\n", "t0\t\tm\t[Pickup]\tc\tDust(9)\r", "Bar(1)(2)",
        "\rt\tAl\tm\t[Pickup]\tc\tOrb(Y)(2)\tmore\r", "\nt\tli\tm\t[Pickup]\tc\tRing(4)\r\n",
        "\tAlia_of_Ys\t", "t\tAlia_of_Ys_and_Tor\tm\t[Pickup]\tc\tHelm(6)\r", "\tAlia_of_Y\t",
        // Long entries, with marks past 16, 32 and 64 bytes.
        "t\tAlia\tm\t[Pickup]\tc\tSword of the Long Winter Night, Forged in Ice(R)(7)\r\n",
        "t\tAl\tm\t[Pickup]\tc\tAn Item Name That Runs On Well Past Sixty-Four Bytes, Then (Y)(3)\r",
        "t\tAlia\tm\t[Pickup]\tc\tA Name Long Enough To Hide Its Ore Past Sixty-Four Bytes: Ore C.(3)\r\n",
        "t\tAlia\tm\t[Pickup]\tc\tMantle of the Sky and Sea\x81\xA8" "Far Along(2)\r"};
    const std::vector<detail::SearchPath> paths = detail::SupportedSearchPaths();
    const testing::ScopedSearchPath restore;
    const std::uint32_t firstSeed = testing::TestSeed(7);
    testing::TempDir dir;
    int errors = 0;
    int taken = 0;
    for (std::uint32_t round = 0; round < 2000; ++round) {
        const std::uint32_t seed = firstSeed + round;
        std::mt19937 rng(seed);
        std::string log;
        // Every fourth log spans several pages.
        const int length = seed % 4 == 0 ? std::uniform_int_distribution<int>(200, 1500)(rng)
                                         : std::uniform_int_distribution<int>(0, 120)(rng);
        for (int i = 0; i < length; ++i) log += pieces[rng() % pieces.size()];
        const std::string& player = players[rng() % players.size()];
        const auto file = dir.Write("ActionLog.txt", log);
        const ReferenceResult expected = testing::ReferenceRead(log, player, "[Pickup]");
        errors += expected.error.has_value();
        taken += static_cast<int>(expected.records.size());
        for (const detail::SearchPath path : paths) {
            detail::SetSearchPath(path);
            for (const std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                            std::size_t{1 + rng() % 64}, kDefaultBlockSize}) {
                ASSERT_EQ(Read(file, player, ReadLimits{block, kMaxLineBytes, 0}), expected)
                    << "seed " << seed << ", " << detail::SearchPathName(path) << ", block " << block;
            }
            for (const std::size_t mapSize : {std::size_t{4096}, std::size_t{8192}}) {
                ASSERT_EQ(Read(file, player, ReadLimits{1, kMaxLineBytes, mapSize}), expected)
                    << "seed " << seed << ", " << detail::SearchPathName(path) << ", map size " << mapSize;
            }
        }
        // Held open for writing by another program, as far as the reader can tell.
        const testing::ScopedFileFaults written({{}, {}, {}, [](const std::filesystem::path&) { return EAGAIN; }});
        ASSERT_EQ(Read(file, player, ReadLimits{3, kMaxLineBytes, 4096}), testing::ReferenceRead(log, player, "[Pickup]", true))
            << "seed " << seed << ", being written";
    }
    EXPECT_GT(errors, 50);  // the pieces make both errors and takings common
    EXPECT_GT(taken, 1000);
}

TEST(LogReaderRandom, LineLongerThanTheLimitIsAnError) {
    // Lines of the limit and one byte more, ending at every place within a
    // block, read and mapped.
    for (const std::size_t mapSize : {std::size_t{0}, std::size_t{4096}, std::size_t{1} << 20}) {
        for (std::size_t extra = 0; extra < 70; ++extra) {
            testing::TempDir dir;
            const std::size_t limit = 5000 + extra;
            const std::string line(limit, 'x');
            const auto file = dir.Write("ActionLog.txt", "ok\r\n\r" + line + "\r\n" + line + "y\r\n");
            CollectingSink sink;
            try {
                ReadLog(file, "Alia", "[Pickup]", sink, ReadLimits{64, limit, mapSize});
                FAIL() << "no error; map size " << mapSize;
            } catch (const RunError& error) {
                EXPECT_EQ(error.line(), 4u) << extra << ", map size " << mapSize;
                EXPECT_EQ(error.what(),
                          "ActionLog.txt:4: file error: line longer than " + std::to_string(limit) + " bytes");
            }
        }
    }
}

}  // namespace
}  // namespace vantor
