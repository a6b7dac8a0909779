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

using testing::Pickup;
using testing::Record;
using testing::TempDir;

// Each row runs vantor-tally with its arguments; `out` and `err` are what it
// must print, where a '*' stands for any text.
TEST(TallyCommand, FormatsActionsCodePageAndExitStatuses) {
    TempDir dir;
    const std::string d = dir.text(), sword = "Enchanted Longsword of the Northern Watc";
    dir.Write("ActionLog0101.txt", Pickup("Blue \"Widget\", large(2)") + Pickup("Widget(5)") +
                                       Pickup("Iron Ore C.(9)") + Pickup("Rose(1)", "Bo") +
                                       Record("Alia", "[Sell]", "Rose(4)") + Record("Alia", "[Buy]", "Salt(8)") +
                                       Pickup("Caf\xE9\x81\xA8\x80\x8D\x96\x9F\xFF(3)") + Pickup("Rose(2)", "\xE9lan") +
                                       Record("\xE9lan", "[Vend\xE9]", "Orb(5)"));
    dir.Write("actionlog0102.TXT",
              Pickup(sword + "h(1)") + Pickup(sword + "h(1)") + Record("Alia", "[MR_Buy]", "Orb(R)(6)"));
    TempDir bad;
    bad.Write("ActionLog0103.txt", "\r\n" + Pickup("Bar(1)(\n2)"));
    bad.Write("ActionLog\x7F.txt", "");
    const std::string usage = "vantor-tally: *\nUsage: vantor-tally [--player ID] [--action pickup|sell|buy|shop | "
                              "--tag TEXT] [--format tsv|csv|json] [--jobs N] [--follow] LOG_DIR\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
        bool progress = false;
    };
    const Case cases[] = {
        {{"--player", "Alia", d}, 0,
         "Blue \"Widget\", large\t7\nCaf\xE9 \x80\x8D\x96\x9F\xFF\t3\n" + sword + "\t1\n" + sword + "\t1\n", ""},
        {{"--player=Alia", "--format", "csv", "--jobs", "1", dir.path().string()}, 0,
         "item,total\r\n\"Blue \"\"Widget\"\", large\",7\r\n\"Caf\xE9 \x80\x8D\x96\x9F\xFF\",3\r\n\"" + sword +
             "\",1\r\n\"" + sword + "\",1\r\n",
         ""},
        {{"--player", "Alia", "--format", "json", d}, 0,
         "[\n  {\n    \"item\": \"Blue \\\"Widget\\\", large\",\n    \"total\": 7\n  },\n"
         "  {\n    \"item\": \"Caf\u00E9 \u20AC\u008D\u2013\u0178\u00FF\",*",
         ""},
        {{"--player", "Alia", "--action", "sell", d}, 0, "Rose\t4\n", ""},
        {{"--player", "Alia", "--action", "buy", d}, 0, "Salt\t8\n", ""},
        {{"--player", "Alia", "--action", "shop", "--format", "json", d}, 0,
         "[\n  {\n    \"item\": \"OrbR\",\n    \"total\": 6\n  }\n]\n", ""},
        // The logs are Windows-1252; arguments are UTF-8 (on Windows, UTF-16
        // made UTF-8), unless they are not valid UTF-8 at all.
        {{"--player", "\xC3\xA9lan", d}, 0, "Rose\t2\n", ""},
        {{"--player", "\xC3\xA9lan", "--tag", "[Vend\xC3\xA9]", d}, 0, "Orb\t5\n", ""},
        {{"--player", "\xE9lan", "--tag", "[Vend\xE9]", d}, 0, "Orb\t5\n", ""},
        {{"--player", "\xC4\x80lan", d}, 2, "",
         "vantor-tally: --player: '\xC4\x80' (U+0100) is not a character of Windows-1252, the code page of the logs"
         "\nUsage: *"},
        {{"--jobs", "1", d}, 0, "", "Processing ActionLog0101.txt\nProcessing actionlog0102.TXT\n", true},
        {{bad.text()}, 0, "", "Processing ActionLog0103.txt\nProcessing ActionLog\\x7F.txt\n", true},
        {{"--player", "Alia", bad.text()}, 1, "",
         "ActionLog0103.txt:2: type mismatch: quantity '1)(\\n2' is not a number\n"},
        {{d + "missing"}, 1, "", "vantor-tally: log folder '" + d + "missing' does not exist\n"},
        {{d + "ActionLog0101.txt"}, 1, "", "vantor-tally: '" + d + "ActionLog0101.txt' is not a folder\n"},
        {{}, 2, "", usage},
        {{"--action", "dance", d}, 2, "", usage},
        {{"--action", "sell", "--tag", "[Sell]", d}, 2, "", usage},
        {{"--format", "xml", d}, 2, "", usage},
        {{"--help"}, 0, "Sums, item by item, *", ""},
        {{"--player", "Alia", "--version", "no-such-folder"}, 0, "vantor-tally " VANTOR_VERSION "\n", ""},
    };
    const auto matches = [](const std::string& text, const std::string& want) {
        const std::size_t star = want.find('*');
        if (star == std::string::npos) return text == want;
        return text.size() >= want.size() - 1 && text.starts_with(want.substr(0, star)) &&
               text.ends_with(want.substr(star + 1));
    };
    for (Case c : cases) {
        c.args.insert(c.args.begin(), "vantor-tally");
        std::vector<const char*> argv;
        for (const auto& arg : c.args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        EXPECT_EQ(RunTally(static_cast<int>(argv.size()), argv.data(), out, err, c.progress), c.status) << err.str();
        EXPECT_PRED2(matches, out.str(), c.out);
        EXPECT_PRED2(matches, err.str(), c.err);
    }
}

}  // namespace
}  // namespace vantor
