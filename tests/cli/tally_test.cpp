#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/tally.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "vantor_version.h"

namespace vantor {
namespace {

using testing::LogBuilder;
using testing::TempDir;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Tally(std::vector<std::string> args, bool progress = false) {
    args.insert(args.begin(), "vantor-tally");
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunTally(static_cast<int>(argv.size()), argv.data(), out, err, progress);
    return {status, out.str(), err.str()};
}

// One folder that exercises selection, clean-up, substring lookups and cut keys.
class TallyCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("ActionLog0101.txt", LogBuilder()
            .Record("Alia", "[Pickup]", "Blue \"Widget\", large(2)")
            .Record("Alia", "[Pickup]", "Widget(5)")
            .Record("Alia", "[Pickup]", "Iron Ore C.(9)")
            .Record("Bo", "[Pickup]", "Rose(1)")
            .Record("Alia", "[Sell]", "Rose(4)")
            .Record("Alia", "[Pickup]", "Caf\xE9\x81\xA8\x80(3)")
            .Record("\xE9lan", "[Pickup]", "Rose(2)")
            .Record("\xE9lan", "[Vend\xE9]", "Orb(5)").str());
        dir.Write("actionlog0102.TXT", LogBuilder()
            .Record("Alia", "[Pickup]", "Enchanted Longsword of the Northern Watch(1)")
            .Record("Alia", "[Pickup]", "Enchanted Longsword of the Northern Watch(1)")
            .Record("Alia", "[MR_Buy]", "Orb(R)(6)").str());
    }
    TempDir dir;
};

TEST_F(TallyCommand, WritesEachFormatByteForByte) {
    const std::string sword = "Enchanted Longsword of the Northern Watc";
    EXPECT_EQ(Tally({"--player", "Alia", dir.text()}).out,
              "Blue \"Widget\", large\t7\nCaf\xE9 \x80\t3\n" + sword + "\t1\n" + sword + "\t1\n");
    EXPECT_EQ(Tally({"--player=Alia", "--format", "csv", dir.path().string()}).out,
              "item,total\r\n\"Blue \"\"Widget\"\", large\",7\r\n\"Caf\xE9 \x80\",3\r\n\"" + sword +
                  "\",1\r\n\"" + sword + "\",1\r\n");
    EXPECT_EQ(Tally({"--player", "Alia", "--action", "shop", "--format", "json", dir.text()}).out,
              "[\n  {\n    \"item\": \"OrbR\",\n    \"total\": 6\n  }\n]\n");
    EXPECT_EQ(Tally({"--player", "Alia", "--tag", "[Sell]", "--format", "json", dir.text()}).out,
              "[\n  {\n    \"item\": \"Rose\",\n    \"total\": 4\n  }\n]\n");
    const std::string jsonHead = "[\n  {\n    \"item\": \"Blue \\\"Widget\\\", large\",\n    \"total\": 7\n  },\n"
                                 "  {\n    \"item\": \"Caf\u00E9 \u20AC\",";
    EXPECT_EQ(Tally({"--player", "Alia", "--format", "json", dir.text()}).out.substr(0, jsonHead.size()), jsonHead);
}

// The logs are Windows-1252; the command line is UTF-8 (on Windows, UTF-16
// made UTF-8), unless it is not valid UTF-8 at all.
TEST_F(TallyCommand, PlayerAndTagAreTakenInTheLogsCodePage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> found = {
        {{"--player", "\xC3\xA9lan"}, "Rose\t2\n"},
        {{"--player", "\xE9lan"}, "Rose\t2\n"},  // bytes as they are
        {{"--player", "\xC3\xA9lan", "--tag", "[Vend\xC3\xA9]"}, "Orb\t5\n"},
        {{"--player", "\xE9lan", "--tag", "[Vend\xE9]"}, "Orb\t5\n"},
    };
    for (auto [args, out] : found) {
        args.push_back(dir.text());
        EXPECT_EQ(Tally(args).out, out) << args[1];
    }
    const Outcome run = Tally({"--player", "\xC4\x80lan", dir.text()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
              "vantor-tally: --player: '\xC4\x80' (U+0100) is not a character of Windows-1252, the code page of the logs");
}

TEST_F(TallyCommand, ProgressOnlyWhenAsked) {
    EXPECT_EQ(Tally({dir.text()}).err, "");
    EXPECT_EQ(Tally({dir.text()}, true).err,
              "Processing ActionLog0101.txt\nProcessing actionlog0102.TXT\n");
}

TEST_F(TallyCommand, ExitStatusAndMessages) {
    dir.Write("ActionLog0103.txt", LogBuilder().Line("").Record("Alia", "[Pickup]", "Bar(1)(\n2)").str());
    TempDir empty;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // stderr; for usage errors, its start
    };
    const std::vector<Case> cases = {
        // One line, even for a quantity holding a line feed.
        {{"--player", "Alia", dir.text()}, 1, "ActionLog0103.txt:2: type mismatch: quantity '1)(\\n2' is not a number\n"},
        {{dir.text() + "missing"}, 1, "vantor-tally: log folder '" + dir.text() + "missing' does not exist\n"},
        {{dir.text() + "ActionLog0101.txt"}, 1, "vantor-tally: '" + dir.text() + "ActionLog0101.txt' is not a folder\n"},
        {{empty.text()}, 0, ""},
        {{}, 2, "vantor-tally: "},
        {{"--action", "dance", empty.text()}, 2, "vantor-tally: "},
        {{"--action", "sell", "--tag", "[Sell]", empty.text()}, 2, "vantor-tally: "},
        {{"--format", "xml", empty.text()}, 2, "vantor-tally: "},
    };
    for (const auto& c : cases) {
        const Outcome run = Tally(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(c.status == 2 ? run.err.substr(0, c.err.size()) : run.err, c.err);
        if (c.status == 2) {
            EXPECT_NE(run.err.find("\nUsage: vantor-tally [--player ID]"), std::string::npos);
        }
    }
    EXPECT_EQ(Tally({"--help"}).status, 0);
}

// --version needs no folder and wins over anything else on the line.
TEST(TallyVersion, OneLineOnStdout) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"--player", "Alia", "--version", "no-such-folder"}}) {
        const Outcome run = Tally(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "vantor-tally " VANTOR_VERSION "\n");
        EXPECT_EQ(run.err, "");
    }
}

}  // namespace
}  // namespace vantor
