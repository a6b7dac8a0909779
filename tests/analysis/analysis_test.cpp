#include <gtest/gtest.h>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/record_search.h"
#include "vantor/tally.h"
#include "store/cls_hash.h"
#include "tests/support/scan_outcome.h"
#include "tests/support/scripts.h"
#include "vantor/code_page.h"
#include "tests/support/log_builder.h"
#include "tests/support/process_state.h"
#include "tests/support/reference_reader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::FolderOutcome;
using testing::Pickup;
using testing::TempDir;
using Names = std::vector<std::string>;

// One log read into a store: the records skipped, then the store's slots.
std::string ReadOutcome(const fs::path& log, const ReadLimits& limits = {}) {
    struct : RecordSink {
        clsHash store;
        void Take(std::string_view name, std::int32_t quantity) override { store.AddToValue(name, quantity); }
    } sink;
    SkippedRecords skipped;
    std::string text;
    try {
        ProcessLogFile(log, {"Alia", "[Pickup]"}, sink, skipped, limits);
    } catch (const RunError& error) {
        text = error.what() + std::string(" ");
    }
    for (const RunError& record : skipped.kept) text += testing::Described(record) + " ";
    return text + testing::Slots(sink.store);
}

// Hand-made logs, a row for each rule that the randomised test, which holds
// ProcessLogFile to the literal reading, would meet by luck only. A record that
// cannot be counted is skipped, naming the file, the 1-based line and the
// entry (control bytes escaped, log text in UTF-8); the records around it
// count. A line may be as long as the limit (without its line end), whether
// a line end or the end of the log ends it.
TEST(LogReader, EntriesAndLinesAtTheirLimits) {
    const std::string error = "ActionLog1.txt:3: ", before = Pickup("A(1)") + "\r\n";
    const std::string line = Pickup("W(1)"), unended = "\r\n" + line.substr(0, line.size() - 2);
    const std::size_t limit = line.size() - 2;
    const std::string tooLong = ": file error: line longer than " + std::to_string(limit - 1) + " bytes ";
    const struct {
        const char* rule;
        std::string log;
        std::string want;
        std::size_t limit = kMaxLineBytes;
    } cases[] = {
        {"the last byte goes, whatever it is", Pickup("W(12") + Pickup("V(3]"), "W=1;V=3;"},
        {"a quantity left empty", before + Pickup("W(3"), error + "type mismatch: quantity '' is not a number [W(3] A=1;"},
        {"empty once cleaned", before + Pickup("\x81"), error + "invalid argument: item entry is empty [\x81] A=1;"},
        {"no '('", before + Pickup("C:\\Wid\nget\x7F\x01\xE9" "3)"),
         error + "invalid argument: item entry 'C:\\Wid\\nget\\x7F\\x01\xE9" "3)' has no '(' before its end "
                 "[C:\\Wid\nget\x7F\x01\xE9" "3)] A=1;"},
        {"a total past 32 bits", before + Pickup("A(2147483647)") + Pickup("A(-3)"),
         error + "overflow: total of 'A' would be 2147483648, outside the 32-bit range [A(2147483647)] A=-2;"},
        {"a line of the limit", line + line, "W=2;", limit}, {"past the limit", line, "ActionLog1.txt:1" + tooLong, limit - 1},
        {"an unended line of the limit", unended, "W=1;", limit},
        {"an unended line past the limit", unended, "ActionLog1.txt:2" + tooLong, limit - 1},
        // Alone in its log, the line comes in a read that holds no CR.
        {"a line of the limit alone", line.substr(0, limit), "W=1;", limit},
        {"a line past the limit alone", line.substr(0, limit), "ActionLog1.txt:1" + tooLong, limit - 1},
    };
    TempDir dir;
    for (const auto& c : cases) EXPECT_EQ(ReadOutcome(dir.Write("ActionLog1.txt", c.log), {c.limit}), c.want) << c.rule;
}

// The game writes today's log while it is analysed: a last line without a
// line end may be half written. It is a record only when the log is
// finished; otherwise it is left out, neither counted nor an error.
TEST(LogReader, LastLineWithoutLineEndCountsOnlyWhenTheLogIsFinished) {
    const std::string cut = Pickup("Widget(12)").substr(0, Pickup("Widget(12)").size() - 4);  // ...Widget(1
    const auto grows = [](const fs::path& log) {
        return std::ofstream(log, std::ios::binary | std::ios::app) << "2)\r\n", 0;
    };
    const auto touched = [](const fs::path& log) {
        return fs::last_write_time(log, fs::last_write_time(log) + std::chrono::seconds(2)), 0;
    };
    const auto noLease = [&](const fs::path& log) { return grows(log), EINVAL; };
    const struct {
        std::string tail;  // after one whole record
        bool heldForWriting;
        std::function<int(const fs::path&)> writers;  // runs where the reader checks
        std::string want;
    } cases[] = {
        {cut + "2)", false, {}, "Widget=15;"}, {cut, true, {}, "Widget=3;"}, {Pickup("Widget(3)"), true, {}, "Widget=6;"},
        {cut, false, grows, "Widget=3;"}, {cut + "2)", false, touched, "Widget=3;"}, {cut, false, noLease, "Widget=3;"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path log = dir.Write("ActionLog1.txt", Pickup("Widget(3)") + c.tail);
        std::optional<std::ofstream> game;
        if (c.heldForWriting) game.emplace(log, std::ios::binary | std::ios::app);
        const testing::ScopedFileFaults faults({{}, {}, {}, c.writers});
        EXPECT_EQ(ReadOutcome(log), c.want) << c.tail;
    }
}

// Random logs built from pieces that put line ends, tabs and the player ID
// everywhere a block or mapping boundary could cut them, each read as the
// reader fuzzer's inputs are (ReadDifference): on a random search path,
// short logs in small blocks, long ones mapped a page at a time, read whole
// or both by turns, now and then repeated into long lines, finished or being
// written.
// Round r uses the seed TestSeed(7) + r; a failure names it.
TEST(LogReaderRandom, MatchesTheLiteralReading) {
    const std::vector<std::string> players = {"Alia", "Al", "", "li", "A\nlia", "Alia_of_Ys", "Alia_of_Ys_and_Tor"};
    const std::vector<std::string> pieces = {
        "\t", "\t\t", "\r", "\r\n", "\n", "\tAlia\t", "\tAl\t", "[Pickup]", "[pickup]", "[Pickup)", "\t[Pickup]\t",
        "Widget(3)", "Ice\x81\xA8" "Fire(2)", "Orb(R)(1)", "Ore C.(4)", "(5)", "x", "Alia", " 7)", "(2.5)",
        "t0\tAlia\tm\t[Pickup]\tc\tGem(1)\r\n", "t0\t\tm\t[Pickup]\tc\tDust(9)\r", "Bar(1)(2)",
        "\rt\tAl\tm\t[Pickup]\tc\tOrb(Y)(2)\tmore\r", "\nt\tli\tm\t[Pickup]\tc\tRing(4)\r\n",
        "\tAlia_of_Ys\t", "t\tAlia_of_Ys_and_Tor\tm\t[Pickup]\tc\tHelm(6)\r", "\tAlia_of_Y\t",
        // Long entries, with marks past 16, 32 and 64 bytes.
        "t\tAlia\tm\t[Pickup]\tc\tSword of the Long Winter Night, Forged in Ice(R)(7)\r\n",
        "t\tAl\tm\t[Pickup]\tc\tAn Item Name That Runs On Well Past Sixty-Four Bytes, Then (Y)(3)\r",
        "t\tAlia\tm\t[Pickup]\tc\tA Name Long Enough To Hide Its Ore Past Sixty-Four Bytes: Ore C.(3)\r\n",
        "t\tAlia\tm\t[Pickup]\tc\tMantle of the Sky and Sea\x81\xA8" "Far Along(2)\r"};
    const auto paths = static_cast<unsigned>(detail::SupportedSearchPaths().size());
    const std::uint32_t firstSeed = testing::TestSeed(7);
    TempDir dir;
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 3000; ++seed) {
        std::mt19937 rng(seed);
        const bool longLog = seed % 4 == 0;
        const auto way = rng() % 3;  // measured, read, mapped
        const std::string& player = players[rng() % players.size()];
        // The header: block size, search path with way and writer, ID and tag lengths, copies.
        std::string input = {static_cast<char>(longLog && way == 1 ? 0xC0 : rng() % 0xC0),
                             static_cast<char>(rng() % paths + paths * (way + 3 * (rng() % 2))),
                             static_cast<char>(player.size()), 8,
                             static_cast<char>(rng() % 16 ? 0 : 0xE0 + rng() % 8)};
        input += player + "[Pickup]";
        for (auto i = longLog ? 200 + rng() % 1300 : rng() % 120; i > 0; --i) {
            input += pieces[rng() % pieces.size()];
        }
        ASSERT_EQ(testing::ReadDifference(dir.path() / "ActionLog.txt", input), "") << "seed " << seed;
    }
}

// The logs, "ActionLog*.txt" in any letter case, in the order of their
// upper-cased names ('.' sorts before digits, '_' after letters), each
// announced before it is read; one row per slot (names cut to 40 bytes). A
// folder text without a trailing separator is the folder itself; a missing
// folder, or a file, is an error before anything is read.
TEST(LogFolder, ReadsTheLogsInOneOrderAndListsEachSlot) {
    TempDir dir;
    const std::pair<const char*, const char*> logs[] = {
        {"ActionLog10.txt", "Widget(4)"}, {"actionlog.txt", "Widget(3)"}, {"ACTIONLOG2.TXT", "Gadget(1)"},
        {"ActionLog_.txt", "Enchanted Longsword of the Northern Watch(1)"}, {"ActionLog.log", "Log(1)"},
        {"ActionLog3.txt.bak", "Bak(1)"}, {"MyActionLog4.txt", "My(1)"}};
    for (const auto& [name, item] : logs) dir.Write(name, Pickup(item));
    fs::create_directory(dir.path() / "ActionLogFolder.txt");
    const std::string sword = "Enchanted Longsword of the Northern Watc";
    EXPECT_EQ(FolderOutcome(dir.path().string()),
              "Processing actionlog.txt; Processing ActionLog10.txt; Processing ACTIONLOG2.TXT; Processing "
              "ActionLog_.txt; Widget=7;Gadget=1;" + sword + "=1; listed Widget=7 listed Gadget=1 listed " + sword + "=1");
    EXPECT_EQ(FolderOutcome(dir.text() + "ActionLogFolder.txt"), "");
    EXPECT_EQ(FolderOutcome(dir.text() + "ActionLog10.txt"), "file error: '" + dir.text() + "ActionLog10.txt' is not a folder");
    EXPECT_EQ(FolderOutcome(dir.text() + "missing/"), "file error: log folder '" + dir.text() + "missing/' does not exist");
}

// Logs in each code page: the player found by its text, names, problems and
// other names shown as text, a player in another letter case hinted at.
TEST(LogFolder, ReadsEachCodePagesPlayersAndNames) {
    for (const testing::Script& s : testing::kScripts) {
        SCOPED_TRACE(s.codePage);
        TempDir dir;
        const std::string item(s.itemBytes), player(s.playerBytes);
        dir.Write("ActionLog1.txt", Pickup(item + " x(3)", player) + Pickup(item + "(2)", player) +
                                        Pickup(item + "(z)", player) + Pickup("Rope(1)"));
        const CodePage page(s.codePage);
        const TallyOutcome found = TallyFolder(dir.text(), {std::string(s.player), "[Pickup]", {}, s.codePage});
        ASSERT_EQ(found.rows.size(), 1u);
        const std::string text = s.codePage == 1258 ? "Kiếm sắt" : std::string(s.item);
        EXPECT_EQ(found.rows[0].item, text + " x");
        EXPECT_EQ(found.rows[0].bytes, item + " x");
        EXPECT_EQ(found.rows[0].total, 5) << "the store finds the name inside the longer one";
        ASSERT_EQ(found.rows[0].others.size(), 1u);
        EXPECT_EQ(found.rows[0].others[0].name, text);
        EXPECT_EQ(found.rows[0].others[0].bytes, item);
        ASSERT_EQ(found.problems.size(), 1u);
        EXPECT_EQ(found.problems[0].item(), text + "(z)");
        EXPECT_NE(found.problems[0].detail().find("'z'"), std::string::npos);
        if (s.playerInOtherCase != s.player) {
            const TallyOutcome hinted = TallyFolder(dir.text(), {std::string(s.playerInOtherCase), "[Pickup]", {}, s.codePage});
            EXPECT_EQ(hinted.similarPlayers, std::vector<std::string>{page.ToUtf8(player)});
        }
    }
}

// On a Windows set to Japanese (932) the bytes are still read one by one,
// and names become text whole: a two-byte letter is one character.
TEST(LogFolder, ReadsAMultiByteCodePagesNamesWhole) {
    TempDir dir;
    const std::string player = "\x97\x45\x8E\xD2", potion = "\x89\xF1\x95\x9C\x96\xF2";  // 勇者, 回復薬
    dir.Write("ActionLog1.txt", Pickup(potion + " \x8F\xE3(3)", player) + Pickup(potion + "(2)", player));
    const TallyOutcome found = TallyFolder(dir.text(), {"勇者", "[Pickup]", {}, 932});
    ASSERT_EQ(found.rows.size(), 1u);
    EXPECT_EQ(found.rows[0].item, "回復薬 上");
    EXPECT_EQ(found.rows[0].total, 5);
    ASSERT_EQ(found.rows[0].others.size(), 1u);
    EXPECT_EQ(found.rows[0].others[0].name, "回復薬");
}

#ifndef _WIN32
// The game runs under Wine or Proton on Linux: without the profile's own
// game folder, the prefixes' folder with the newest log is the default,
// whichever Windows user of the prefix it belongs to. With USER unset the
// user's name comes from the password database.
TEST(LogFolder, DefaultIsTheGameFolderOfThePrefixWithTheNewestLog) {
    const std::string game = "My Documents/Halvern/ZENTHARA/LOG/";
    const char* const account = ::getpwuid(::getuid()) != nullptr ? ::getpwuid(::getuid())->pw_name : "";
    struct Case {
        std::string prefix;  // below the home folder, or the WINEPREFIX when it starts with '@'
        std::string user;    // of drive_c/users
        bool userSet;
    };
    const Case cases[] = {
        {".local/share/Steam/steamapps/compatdata/4711/pfx", "steamuser", true},
        {".steam/steam/steamapps/compatdata/4712/pfx", "steamuser", true},
        {"@elsewhere/prefix", "alia", true},
        {".local/share/bottles/bottles/Game", "bo", true},
        {"Games/zenthara", "lutris", true},
        {".PlayOnLinux/wineprefix/Zenthara", "Public", true},
        {".wine", account, false},
    };
    const std::string savedHome = std::getenv("HOME"), savedUser = std::getenv("USER") ? std::getenv("USER") : "";
    for (const Case& c : cases) {
        TempDir home;
        const std::string older = home.text() + ".wine/drive_c/users/alia/" + game;
        const std::string prefix = c.prefix[0] == '@' ? home.text() + c.prefix.substr(1) : home.text() + c.prefix;
        const std::string newer = prefix + "/drive_c/users/" + c.user + "/" + game;
        for (const std::string& folder : {older, newer}) fs::create_directories(folder);
        testing::WriteFile(newer + "ActionLog0102.txt", Pickup("Widget(1)"));
        if (c.userSet) {
            testing::WriteFile(older + "ActionLog0101.txt", Pickup("Widget(1)"));
            fs::last_write_time(older + "ActionLog0101.txt", fs::file_time_type::clock::now() - std::chrono::hours(24));
        }
        setenv("HOME", home.path().c_str(), 1);
        if (c.userSet) setenv("USER", "alia", 1); else unsetenv("USER");
        if (c.prefix[0] == '@') setenv("WINEPREFIX", prefix.c_str(), 1); else unsetenv("WINEPREFIX");
        const std::string chosen = DefaultLogFolder();
        fs::create_directories(home.text() + game);
        const std::string native = DefaultLogFolder();
        unsetenv("WINEPREFIX");
        EXPECT_EQ(fs::path(chosen).lexically_normal(), fs::path(newer).lexically_normal()) << c.prefix;
        EXPECT_EQ(native, home.text() + game) << "the profile's own folder, once it exists";
    }
    setenv("HOME", savedHome.c_str(), 1);
    setenv("USER", savedUser.c_str(), 1);
}
#endif

// A folder read the plain way: each log's records added to a store one at a
// time, a record whose total would leave the 32-bit range skipped; what each
// log added to each slot.
struct PlainTally {
    clsHash store;
    std::map<std::pair<std::int32_t, std::uint32_t>, std::int64_t> credits;  // (slot, log) -> quantity
    std::string problems;

    PlainTally(const fs::path& folder, const Names& logs) {
        struct Sink : RecordSink {
            PlainTally& tally;
            std::uint32_t log = 0;
            explicit Sink(PlainTally& t) : tally(t) {}
            void Take(std::string_view name, std::int32_t quantity) override {
                tally.credits[{tally.store.AddToValue(name, quantity), log}] += quantity;
            }
        } sink(*this);
        for (; sink.log < logs.size(); ++sink.log) {
            SkippedRecords skipped;
            ProcessLogFile(folder / logs[sink.log], {"Alia", "[Pickup]"}, sink, skipped);
            for (const RunError& record : skipped.kept) problems += testing::Described(record) + " ";
        }
    }
};

// On 1, 2 or 3 threads, the store, the problems and each row's parts are
// those of the plain reading: names collide as substrings, fill whole slots,
// reappear across a slot end ("abab" after "x...xab") and run past 40 bytes,
// totals come near or past the 32-bit range. A row's parts are what each
// log credited to the slot its total is read from, and add up to its total.
// Round r uses the seed TestSeed(11) + r; a failure names it.
TEST(FolderScan, AnyNumberOfJobsGivesThePlainResultAndPartsAddUp) {
    const std::string slot40(40, 'a');
    const Names names = {"Widget", "Blue Widget", "dget", "", "ab", "abab", "ba", slot40, slot40 + "b",
                         std::string(38, 'x') + "ab", "Enchanted Longsword of the Northern Watch", "a"};
    const Names quantities = {"1", "7", "-3", "1500000000", "-1500000000", "2.5"};
    const std::uint32_t firstSeed = testing::TestSeed(11);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 300; ++seed) {
        std::mt19937 rng(seed);
        TempDir dir;
        const std::string few[] = {names[rng() % names.size()], names[rng() % names.size()], names[rng() % names.size()]};
        Names logs;
        for (auto file = 1 + rng() % 6; file > 0; --file) {
            std::string log;
            for (auto r = rng() % 40; r > 0; --r) {
                const std::string& name = seed % 2 ? few[rng() % 3] : names[rng() % names.size()];
                const std::string quantity = quantities[rng() % (rng() % 8 ? 3 : 6)];
                log += testing::Record(rng() % 4 ? "Alia" : "Bo", rng() % 5 ? "[Pickup]" : "[Sell]",
                                       rng() % 200 == 0 ? "Bar(1)(2)" : name + "(" + quantity + ")");
            }
            logs.insert(logs.begin(), "ActionLog" + std::to_string(file) + ".txt");
            dir.Write(logs.front(), log);
        }
        PlainTally plain(dir.path(), logs);
        const unsigned jobs = 1 + seed % 3;
        clsHash store;
        const TallyOutcome outcome = testing::TallyWithStore(dir.text(), {"Alia", "[Pickup]"}, store, nullptr, {jobs});
        std::string problems;
        for (const RunError& problem : outcome.problems) problems += testing::Described(problem) + " ";
        ASSERT_EQ(problems + testing::Slots(store), plain.problems + testing::Slots(plain.store))
            << "seed " << seed << ", jobs " << jobs;
        ASSERT_EQ(outcome.rows.size(), static_cast<std::size_t>(store.NumKeys()));
        for (std::int32_t slot = 1; slot <= store.NumKeys(); ++slot) {
            const TallyRow& row = outcome.rows[static_cast<std::size_t>(slot - 1)];
            const std::int32_t from = store.GetSlotNumber(row.item);
            std::int64_t sum = 0;
            std::string parts, want;
            for (const LogCredit& part : row.parts) {
                sum += part.quantity;
                parts += std::to_string(part.log) + ":" + std::to_string(part.quantity) + " ";
            }
            for (const auto& [where, quantity] : plain.credits) {
                if (where.first == from) want += std::to_string(where.second) + ":" + std::to_string(quantity) + " ";
            }
            ASSERT_EQ(row.total, store.GetValue(row.item)) << "seed " << seed << ", slot " << slot;
            ASSERT_EQ(parts, want) << "seed " << seed << ", slot " << slot << " " << testing::Slots(store);
            ASSERT_EQ(sum, row.total) << "seed " << seed << ", slot " << slot;
        }
    }
}

}  // namespace
}  // namespace vantor
