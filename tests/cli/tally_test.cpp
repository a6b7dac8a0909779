#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
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

// Points the profile folder, where the game's log folder is looked for, at
// `home` for its lifetime.
class ScopedHome {
public:
#ifdef _WIN32
    explicit ScopedHome(const std::string& home) : saved_(_wgetenv(L"USERPROFILE")) {
        _wputenv_s(L"USERPROFILE", Utf8ToWide(home).c_str());
    }
    ~ScopedHome() { _wputenv_s(L"USERPROFILE", saved_.c_str()); }

private:
    std::wstring saved_;
#else
    explicit ScopedHome(const std::string& home) : saved_(std::getenv("HOME")) { setenv("HOME", home.c_str(), 1); }
    ~ScopedHome() { setenv("HOME", saved_.c_str(), 1); }

private:
    std::string saved_;
#endif
};

// tsv lines end the system's way.
std::string Tsv(std::string text) {
#ifdef _WIN32
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, 1, '\r');
#endif
    return text;
}

// Each row runs vantor-tally with its arguments; `out` and `err` are what it
// must print, where a '*' stands for any text.
TEST(TallyCommand, FormatsActionsCodePageRangesAndExitStatuses) {
    TempDir dir, home, cyrillic;
    cyrillic.Write("ActionLog1.txt", Pickup("\xD8\xEA\xF3\xF0\xE0(4)", "\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA"));
    const std::string c = cyrillic.text(), d = dir.text(), sword = "Enchanted Longsword of the Northern Watc", bom = "\xEF\xBB\xBF";
    dir.Write("ActionLog0101.txt", Pickup("Blue \"Widget\", large(2)") + Pickup("Widget(5)") +
                                       Pickup("Iron Ore C.(9)") + Pickup("Rose(1)", "Bo") +
                                       Record("Alia", "[Sell]", "Rose(4)") + Record("Alia", "[Buy]", "Salt(8)") +
                                       Pickup("Caf\xE9\x81\xA8\x80\x8D\x96\x9F\xFF(3)") + Pickup("Rose(2)", "\xE9lan") +
                                       Record("\xE9lan", "[Vend\xE9]", "Orb(5)"));
    dir.Write("actionlog0102.TXT",
              Pickup(sword + "h(1)") + Pickup(sword + "h(1)") + Record("Alia", "[MR_Buy]", "Orb(R)(6)"));
    TempDir bad;
    bad.Write("ActionLog0103.txt", "\r\n" + Pickup("Bar(1)(\n2)"));
    bad.Write("ActionLog1.txt", "");
    bad.Write("ActionLog\x7F.txt", "");
    std::filesystem::create_directories(home.path() / "My Documents/Halvern/ZENTHARA/LOG");
    home.Write("My Documents/Halvern/ZENTHARA/LOG/ActionLog0104.txt", Pickup("Lamp(4)"));
    const ScopedHome profile(PathToUtf8(home.path()));
    const std::string cafe = "Caf\u00E9 \u20AC\u008D\u2013\u0178\u00FF", usage = "vantor-tally: *\n'vantor-tally --help' lists every option.\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
        bool terminal = false;  // stderr is one: the progress shows at once
        bool console = false;   // stdout is a Windows console
    };
    const Case cases[] = {
        {{"--player", "Alia", d}, 0, Tsv("Blue \"Widget\", large\t7\n" + cafe + "\t3\n" + sword + "\t1\n" + sword + "\t1\n"), ""},
        {{"--player=Alia", "--bytes", d}, 0, Tsv("Blue \"Widget\", large\t7\nCaf\xE9 \x80\x8D\x96\x9F\xFF\t3\n*"), ""},
        {{"--player=Alia", "--bytes", d}, 0, Tsv("Blue \"Widget\", large\t7\n" + cafe + "\t3\n*"), "", false, true},
        {{"--player=Alia", "--format", "csv", "--jobs", "1", dir.path().string()}, 0,
         bom + "item,total\r\n\"Blue \"\"Widget\"\", large\",7\r\n\"" + cafe + "\",3\r\n\"" + sword + "\",1\r\n\"" + sword +
             "\",1\r\n",
         ""},
        {{"--player", "Alia", "--format", "json", d}, 0,
         "[\n  {\n    \"item\": \"Blue \\\"Widget\\\", large\",\n    \"total\": 7\n  },\n"
         "  {\n    \"item\": \"" + cafe + "\",*",
         ""},
        {{"--player", "Alia", "--exact-names", d}, 0,
         Tsv("Blue \"Widget\", large\t2\nWidget\t5\n" + cafe + "\t3\n" + sword + "h\t2\n"), ""},
        {{"--player", "Alia", "--by-log", d}, 0,
         Tsv("item\ttotal\tActionLog0101.txt\tactionlog0102.TXT\nBlue \"Widget\", large\t7\t7\t0\n" + cafe + "\t3\t3\t0\n" +
             sword + "\t1\t0\t1\n" + sword + "\t1\t0\t1\n"),
         ""},
        {{"--player", "Alia", "--by-log", "--format", "csv", "--to", "actionlog0101.txt", d}, 0,
         bom + "item,total,\"ActionLog0101.txt\"\r\n\"Blue \"\"Widget\"\", large\",7,7\r\n\"" + cafe + "\",3,3\r\n", ""},
        {{"--player", "Alia", "--by-log", "--format", "json", "--from", "actionlog0102.TXT", d}, 0,
         "{\n  \"logs\": [\n    \"actionlog0102.TXT\"\n  ],\n  \"items\": [\n    {\n      \"item\": \"" + sword +
             "\",\n      \"total\": 1,\n      \"by_log\": [\n        1\n      ]\n    },*",
         ""},
        {{"--player", "Alia", "--last", "1", d}, 0, Tsv(sword + "\t1\n" + sword + "\t1\n"), ""},
        {{"--player", "Alia", "--action", "buy", "--last", "1", d}, 0, "",
         "vantor-tally: no [Buy] record of 'Alia' in actionlog0102.TXT\n"},
        {{"--from", "ActionLog0199.txt", d}, 2, "", "vantor-tally: --from: no log named 'ActionLog0199.txt' in '" + d + "'\n*"},
        {{"--from", "actionlog0102.TXT", "--to", "ActionLog0101.txt", d}, 2, "", usage},
        {{"--player", "Alia", "--action", "sell", d}, 0, Tsv("Rose\t4\n"), ""},
        {{"--player", "Alia", "--action", "buy", d}, 0, Tsv("Salt\t8\n"), ""},
        {{"--player", "Alia", "--action", "shop", "--format", "json", d}, 0,
         "[\n  {\n    \"item\": \"OrbR\",\n    \"total\": 6\n  }\n]\n", ""},
        // The four actions side by side: each full name its own row.
        {{"--player", "Alia", "--action", "all", d}, 0,
         Tsv("item\tpickup\tsell\tbuy\tshop\tnet\nBlue \"Widget\", large\t2\t0\t0\t0\t2\nWidget\t5\t0\t0\t0\t5\n"
             "Rose\t0\t4\t0\t0\t-4\nSalt\t0\t0\t8\t0\t8\n" + cafe + "\t3\t0\t0\t0\t3\n" + sword +
             "h\t2\t0\t0\t0\t2\nOrbR\t0\t0\t0\t6\t6\n"),
         ""},
        {{"--player", "Alia", "--action", "all", "--format", "csv", "--last", "1", d}, 0,
         bom + "item,pickup,sell,buy,shop,net\r\n\"" + sword + "h\",2,0,0,0,2\r\n\"OrbR\",0,0,0,6,6\r\n", ""},
        {{"--player", "Alia", "--action", "all", "--format", "json", "--from", "actionlog0102.TXT", d}, 0,
         "[\n  {\n    \"item\": \"" + sword +
             "h\",\n    \"pickup\": 2,\n    \"sell\": 0,\n    \"buy\": 0,\n    \"shop\": 0,\n    \"net\": 2\n  },*",
         ""},
        {{"--player", "\xC3\x89LAN", "--action", "all", d}, 0, Tsv("item\tpickup\tsell\tbuy\tshop\tnet\n"),
         "vantor-tally: no record of '\xC3\x89LAN' for any action; the logs have '\xC3\xA9lan'\n"},
        {{"--action", "all", "--by-log", d}, 2, "", usage},
        // The players of the logs, most records first, ties first met first.
        {{"--players", "--jobs", "2", d}, 0, Tsv("Alia\t9\n\xC3\xA9lan\t2\nBo\t1\n"), ""},
        {{"--players", "--format", "json", d}, 0,
         "[\n  {\n    \"player\": \"Alia\",\n    \"records\": 9\n  },\n  {\n    \"player\": \"\xC3\xA9lan\",*", ""},
        {{"--players", "--format", "csv", "--bytes", d}, 0, "player,records\r\n\"Alia\",9\r\n\"\xE9lan\",2\r\n*", ""},
        {{"--players", "--player", "Alia", d}, 2, "", usage},
        // The logs are Windows-1252; arguments are UTF-8 (on Windows, UTF-16
        // made UTF-8), unless they are not valid UTF-8 at all.
        {{"--player", "\xC3\xA9lan", d}, 0, Tsv("Rose\t2\n"), ""},
        {{"--player", "\xC3\xA9lan", "--tag", "[Vend\xC3\xA9]", d}, 0, Tsv("Orb\t5\n"), ""},
        {{"--player", "\xE9lan", "--tag", "[Vend\xE9]", d}, 0, Tsv("Orb\t5\n"), ""},
        // Another code page by hand: the player and names in it; another number refused.
        {{"--code-page", "1251", "--player", "\u0421\u0442\u0440\u0430\u043D\u043D\u0438\u043A", c}, 0,
         Tsv("\u0428\u043A\u0443\u0440\u0430\t4\n"), ""},
        {{"--code-page", "1251", "--players", "--bytes", c}, 0, Tsv("\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA\t1\n"), ""},
        {{"--code-page", "932", c}, 2, "",
         "vantor-tally: --code-page: '932' is not 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257 or 1258\nUsage: *"},
        {{"--player", "\xC4\x80lan", d}, 2, "",
         "vantor-tally: --player: '\xC4\x80lan' cannot be written in Windows-1252, the code page of these logs; "
         "choose another with --code-page"
         "\nUsage: *"},
        // Nothing found says why, in UTF-8.
        {{"--player", "\xC3\x89LAN", "--format", "csv", d}, 0, bom + "item,total\r\n",
         "vantor-tally: no [Pickup] record of '\xC3\x89LAN'; the logs have '\xC3\xA9lan'\n"},
        {{"--jobs", "1", "--progress", d}, 0, "",
         "Processing ActionLog0101.txt\nProcessing actionlog0102.TXT\n"
         "vantor-tally: no [Pickup] record of an empty player ID (name the player with --player ID)\n"},
        {{"--player", "Alia", bad.text()}, 1, "",
         "\rProcessing ActionLog0103.txt (1 of 3)\rProcessing ActionLog1.txt (2 of 3)   \r"
         "Processing ActionLog\\x7F.txt (3 of 3)\r" + std::string(37, ' ') + "\r"
         "ActionLog0103.txt:2: type mismatch: quantity '1)(\\n2' is not a number\n"
         "vantor-tally: no [Pickup] record of 'Alia'\n",
         true},
        {{"--player", "Alia"}, 0, Tsv("Lamp\t4\n"), ""},
        {{d + "missing"}, 1, "", "vantor-tally: log folder '" + d + "missing' does not exist\n"},
        {{d + "ActionLog0101.txt"}, 1, "", "vantor-tally: '" + d + "ActionLog0101.txt' is not a folder\n"},
        {{"--action", "dance", d}, 2, "", usage},
        {{"--action", "sell", "--tag", "[Sell]", d}, 2, "", usage},
        {{"--format", "xml", d}, 2, "", usage},
        {{"--bytes", "--format", "json", d}, 2, "", usage},
        {{"--plyer", "Alia", d}, 2, "", "vantor-tally: unknown option '--plyer'\n*"},
        {{"--jobs", "abc", d}, 2, "", "vantor-tally: --jobs: 'abc' is not a whole number from 1 to 256\n*"},
        {{"-h"}, 0, "Sums, item by item, *", ""},
        {{"--player", "Alia", "--version", "no-such-folder"}, 0, "vantor-tally " VANTOR_VERSION "\n", ""},
#ifdef _WIN32
        {{"/?"}, 0, "Sums, item by item, *", ""},
        // What "C:\...\" reaches the program as.
        {{"--player", "Alia", d.substr(0, d.size() - 1) + "\"", "--action", "sell"}, 0, Tsv("Rose\t4\n"), ""},
#endif
    };
    const auto matches = [](const std::string& text, const std::string& want) {
        const std::size_t star = want.find('*');
        if (star == std::string::npos) return text == want;
        return text.size() >= want.size() - 1 && text.starts_with(want.substr(0, star)) &&
               text.ends_with(want.substr(star + 1));
    };
    for (Case c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        c.args.insert(c.args.begin(), "vantor-tally");
        std::vector<const char*> argv;
        for (const auto& arg : c.args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        const Streams streams{out, err, c.terminal, c.console, std::chrono::milliseconds(0)};
        EXPECT_EQ(RunTally(static_cast<int>(argv.size()), argv.data(), streams), c.status) << err.str();
        EXPECT_PRED2(matches, out.str(), c.out);
        EXPECT_PRED2(matches, err.str(), c.err);
    }
}

// A character cut by a flush would show as two broken ones on the console.
TEST(ConsoleBuffer, PassesWholeCharactersOnly) {
    std::vector<std::string> passed;
    {
        ConsoleBuffer buffer([&](std::string_view text) { passed.emplace_back(text); });
        std::ostream out(&buffer);
        out << "Caf\xC3" << std::flush << "\xA9 \xE2\x82" << std::flush << "\xAC\n" << std::flush << "\xF0\x9F";
    }
    EXPECT_EQ(passed, (std::vector<std::string>{"Caf", "\xC3\xA9 ", "\xE2\x82\xAC\n", "\xF0\x9F"}));
}

}  // namespace
}  // namespace vantor
