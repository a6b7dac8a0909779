#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/log_reader.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/log_builder.h"
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

}  // namespace
}  // namespace vantor
