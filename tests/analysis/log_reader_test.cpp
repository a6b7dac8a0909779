#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/parallel_scan.h"
#include "analysis/path_text.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/log_builder.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

using testing::FakeWindow;
using testing::LogBuilder;
using testing::TempDir;
using Totals = std::vector<std::pair<std::string, std::int32_t>>;

// Every slot of the store with its value, the key cut at its padding.
Totals Slots(const clsHash& items) {
    Totals slots;
    for (std::int32_t n = 1; n <= items.NumKeys(); ++n) {
        const std::string key = items.GetKeyByNumber(n);
        slots.emplace_back(key.substr(0, key.find('\0')), items.GetValueByNumber(n));
    }
    return slots;
}

Totals Analyse(const std::string& log, const std::string& player = "Alia") {
    TempDir dir;
    FakeWindow window;
    window.playerId = player;
    clsHash items;
    ProcessLogFile(dir.Write("ActionLog1.txt", log), window, items);
    return Slots(items);
}

struct ReadCase {
    const char* name;
    std::string log;
    Totals expected;
    std::string player = "Alia";
};

TEST(LogReader, TakesAndCleansRecords) {
    const std::string record = "t\tAlia\tm\t[Pickup]\tc\t";
    const std::vector<ReadCase> cases = {
        {"sums one item", LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").Record("Alia", "[Pickup]", "Widget(4)").str(), {{"Widget", 7}}},
        {"skips other players, actions and ore", LogBuilder().Record("Bo", "[Pickup]", "A(1)").Record("Alia", "[pickup]", "B(1)")
             .Record("Alia", "[Sell]", "C(1)").Record("Alia", "[Pickup]", "Iron Ore C.(1)").str(), {}},
        {"empty player takes empty field 1", LogBuilder().Record("", "[Pickup]", "A(1)").Record("Alia", "[Pickup]", "B(2)").str(), {{"A", 1}}, ""},
        {"skips empty and short lines", "\r\n\r\r\n" + std::string("a\tAlia\tb\t[Pickup]\tc\r\n") + record + "A(5)\r\n", {{"A", 5}}},
        {"ignores fields after the sixth", record + "A(5)\textra\t\r", {{"A", 5}}},
        {"CR alone ends a line, CR LF too", record + "A(1)\r" + record + "A(2)\r\n" + record + "A(3)", {{"A", 6}}},
        {"0x81 0xA8 is a space, lone 0x81 goes", LogBuilder().Record("Alia", "[Pickup]", "Ice\x81\xA8" "Fire(1)").Record("Alia", "[Pickup]", "Ro\x81se(2)").str(), {{"Ice Fire", 1}, {"Rose", 2}}},
        {"(R) and (Y) lose their brackets", LogBuilder().Record("Alia", "[Pickup]", "Blue Orb(R)(2)").Record("Alia", "[Pickup]", "Coin(Y)(3)").str(), {{"Blue OrbR", 2}, {"CoinY", 3}}},
        {"removing 0x81 can make an (R)", LogBuilder().Record("Alia", "[Pickup]", "Orb(\x81R)(2)").str(), {{"OrbR", 2}}},
        {"quantity with spaces and fraction", LogBuilder().Record("Alia", "[Pickup]", "A( 12)").Record("Alia", "[Pickup]", "A(2.5)").Record("Alia", "[Pickup]", "A(0.5)").str(), {{"A", 14}}},
        {"a name inside an earlier name adds to it", LogBuilder().Record("Alia", "[Pickup]", "Blue Widget(1)").Record("Alia", "[Pickup]", "Widget(2)").str(), {{"Blue Widget", 3}}},
        {"empty name: own slot first, then slot 1", LogBuilder().Record("Alia", "[Pickup]", "(5)").Record("Alia", "[Pickup]", "A(1)").Record("Alia", "[Pickup]", "(2)").str(), {{"", 7}, {"A", 1}}},
        {"a line feed alone stays in the text", record + "Lf\nA(1)\r\n", {{"Lf\nA", 1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Analyse(c.log, c.player), c.expected) << c.name;
    }
}

TEST(LogReader, RecordErrorsNameFileLineAndItem) {
    struct ErrorCase {
        std::string entry;
        ErrorKind kind;
        std::string message;
    };
    const std::vector<ErrorCase> cases = {
        {"Bar(1)(2)", ErrorKind::TypeMismatch, "ActionLog1.txt:3: type mismatch: quantity '1)(2' is not a number"},
        {"Bar()", ErrorKind::TypeMismatch, "ActionLog1.txt:3: type mismatch: quantity '' is not a number"},
        {"", ErrorKind::InvalidArgument, "ActionLog1.txt:3: invalid argument: item entry is empty"},
        {"\x81", ErrorKind::InvalidArgument, "ActionLog1.txt:3: invalid argument: item entry is empty"},
        {"Widget3)", ErrorKind::InvalidArgument, "ActionLog1.txt:3: invalid argument: item entry 'Widget3)' has no '(' before its end"},
        {"A(99999999999)", ErrorKind::Overflow, "ActionLog1.txt:3: overflow: quantity '99999999999' is outside the 32-bit range"},
        {"A(2147483647)", ErrorKind::Overflow, "ActionLog1.txt:3: overflow: total of 'A' would be 2147483648, outside the 32-bit range"},
        {"Wid\nget\x7F" "3)", ErrorKind::InvalidArgument, "ActionLog1.txt:3: invalid argument: item entry 'Wid\\nget\\x7F3)' has no '(' before its end"},
        {"A(\n1)", ErrorKind::TypeMismatch, "ActionLog1.txt:3: type mismatch: quantity '\\n1' is not a number"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        FakeWindow window;
        window.playerId = "Alia";
        clsHash items;
        const std::string log = LogBuilder().Record("Alia", "[Pickup]", "A(1)").Line("").Record("Alia", "[Pickup]", c.entry)
                                    .Record("Alia", "[Pickup]", "A(1)").str();
        try {
            ProcessLogFile(dir.Write("ActionLog1.txt", log), window, items);
            ADD_FAILURE() << "no error for " << c.entry;
        } catch (const RunError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.entry;
            EXPECT_EQ(error.what(), c.message);
            EXPECT_EQ(error.line(), 3u);
            EXPECT_EQ(error.item(), c.entry);
        }
        EXPECT_EQ(items.GetValue("A"), 1) << "the total before the error stays";
    }
}

// The game writes today's log while it is analysed: a last line without a
// line end may be half written. It is a record only when the log is
// finished; otherwise it is left out, neither counted nor an error. The same
// whether the log is read or mapped, and on every number of threads.
TEST(LogReader, LastLineWithoutLineEndCountsOnlyWhenTheLogIsFinished) {
    namespace fs = std::filesystem;
    const std::string whole = LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").str();
    const auto unended = [](std::string_view item) {
        const std::string line = LogBuilder().Record("Alia", "[Pickup]", item).str();
        return line.substr(0, line.size() - 2);
    };
    const auto append = [](const fs::path& log, std::string_view bytes) {
        std::ofstream(log, std::ios::binary | std::ios::app) << bytes;
    };
    const auto grows = [&](const fs::path& log) { return append(log, "2)\r\n"), 0; };
    struct Case {
        const char* what;
        std::string tail;  // after one whole record
        bool heldForWriting;
        std::function<int(const fs::path&)> writers;  // runs where the reader checks
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"finished", unended("Widget(12)"), false, {}, 15},
        {"held for writing, quantity cut", unended("Widget(1"), true, {}, 3},
        {"held for writing, entry cut", unended("Widget("), true, {}, 3},
        {"held for writing, every line ended", whole, true, {}, 6},
        {"grew after the read", unended("Widget(1"), false, grows, 3},
        {"rewritten in place", unended("Widget(12)"), false,
         [](const fs::path& log) { return fs::last_write_time(log, fs::last_write_time(log) + std::chrono::seconds(2)), 0; }, 3},
        {"no lease here, finished", unended("Widget(12)"), false, [](const fs::path&) { return EINVAL; }, 15},
        {"no lease here, grew", unended("Widget(1"), false, [&](const fs::path& log) { return grows(log), EINVAL; }, 3},
    };
    using Read = std::function<void(const fs::path& log, FakeWindow& window, clsHash& items)>;
    const std::vector<std::pair<const char*, Read>> reads = {
        {"read", [](const fs::path& log, FakeWindow& window, clsHash& items) { ProcessLogFile(log, window, items); }},
        {"mapped", [](const fs::path& log, FakeWindow& window, clsHash& items) {
             StoreSink sink(items);
             ReadLog(log, window.PlayerId(), window.ActionTag(), sink, ReadLimits{1, kMaxLineBytes, 4096});
         }},
        {"2 threads", [](const fs::path& log, FakeWindow& window, clsHash& items) {
             ProcessLogFolderParallel(PathToUtf8(log.parent_path()), window, items, 2);
         }},
    };
    for (const Case& c : cases) {
        for (const auto& [how, read] : reads) {
            TempDir dir;
            const fs::path log = dir.Write("ActionLog1.txt", whole + c.tail);
            std::optional<std::ofstream> game;
            if (c.heldForWriting) game.emplace(log, std::ios::binary | std::ios::app);
            const testing::ScopedFileFaults faults({{}, {}, {}, c.writers});
            FakeWindow window;
            window.playerId = "Alia";
            clsHash items;
            EXPECT_NO_THROW(read(log, window, items)) << c.what << ", " << how;
            EXPECT_EQ(items.GetValue("Widget"), c.expected) << c.what << ", " << how;
        }
    }
}

}  // namespace
}  // namespace vantor
