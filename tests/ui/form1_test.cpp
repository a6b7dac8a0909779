#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "vantor/text.h"
#include "tests/support/fake_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "ui/form1.h"

namespace vantor {
namespace {

using testing::Pickup;
using testing::Record;
using Texts = std::vector<std::string>;

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Record("Alia", "[Sell]", "Rose(2)") +
                                           Record("Alia", "[Buy]", "Bread(6)") + Record("Alia", "[MR_Buy]", "Lute(1)") +
                                           Pickup("Cup(1)", "Caf\xE9"));
        dir.Write("ActionLog0102.txt", Pickup("Widget(4)") + Pickup("\x80uro Coin(5)"));
        form.Form_Load();
        loadedDir = Text(Control::txtLogDir);
        Text(Control::txtLogDir) = dir.text();
        Text(Control::txtPID) = "Alia";
    }
    std::string& Text(Control control) { return view.texts[control]; }
    // Presses Go! and lets the window handle what the analysis posts until it is over.
    void Go() {
        form.Command1_Click();
        view.RunUntil([&] { return !form.Scanning(); });
    }

    testing::TempDir dir;
    testing::FakeView view;
    Form1 form{view};
    std::string loadedDir;
};

// One Go! after an option click: what the list shows, what the status line
// says about it, the total a click on a row shows, and any message.
struct GoCase {
    const char* name;
    std::string folder;  // "" for the test's folder, else a name in it or beside it
    int option;          // -1 and 4 are no option: the tag stays
    std::string player;
    Texts items;
    std::string status;
    int row;
    std::string total;
    std::string message;  // the start of it
};

class Form1Go : public Form1Test, public ::testing::WithParamInterface<GoCase> {};

TEST_P(Form1Go, ListsWhatTheFolderPlayerAndOptionSelectAndSaysWhoseItIs) {
    const GoCase& c = GetParam();
    for (const char* folder : {"bad", "bad2", "potions", "empty"}) std::filesystem::create_directory(dir.path() / folder);
    dir.Write("bad/ActionLog0103.txt", Pickup("\xC9p\n\xE9" "e(1)(2)") + Pickup("Cup(2)"));
    dir.Write("bad2/ActionLog0103.txt", Pickup("Cup(x)") + Pickup("Cup(2)") + Pickup("Cup(y)"));
    dir.Write("potions/ActionLog1.txt", Pickup("Red Potion(3)") + Pickup("Potion(2)"));
    form.Option1_Click(c.option);
    Text(Control::txtLogDir) = dir.text() + c.folder;
    Text(Control::txtPID) = c.player;
    Text(Control::Text1) = "42";
    view.focus = Control::Label1;
    Go();
    EXPECT_EQ(view.list, c.items);
    EXPECT_EQ(Text(Control::Label3), c.status);
    EXPECT_EQ(Text(Control::Text1), "") << "Go! clears the last total";
    EXPECT_EQ(view.focus, Control::Command1);
    ASSERT_EQ(view.messages.size(), c.message.empty() ? 0u : 1u);
    if (!c.message.empty()) {
        EXPECT_TRUE(view.messages[0].starts_with(c.message)) << view.messages[0];
    }
    for (const int row : {c.row, -1}) {  // then no row: the total stays
        view.listIndex = row;
        form.List1_Click();
    }
    EXPECT_EQ(Text(Control::Text1), c.total);
}

const std::string kDir = "";
INSTANTIATE_TEST_SUITE_P(
    Cases, Form1Go,
    ::testing::Values(
        GoCase{"PickedUp", kDir, -1, "Alia", {"Widget", "\u20ACuro Coin"}, "Alia, Picked Up: 2 items in 2 logs", 1, "5", ""},
        GoCase{"FromPlayerShop", kDir, 3, "Alia", {"Lute"}, "Alia, Bought from Player Shop: 1 item in 2 logs", 0, "1", ""},
        GoCase{"PlayerInTheLogsCodePage", kDir, 0, "Caf\u00E9", {"Cup"}, "Caf\u00E9, Picked Up: 1 item in 2 logs", 0, "1", ""},
        GoCase{"PlayerOutsideTheCodePage", kDir, 0, "Caf\u0113", {},
               "'Caf\u0113' cannot be written in Windows-1252, the code page of these logs; choose another under Code "
               "Page of the Logs",
               0, "", ""},
        GoCase{"PlayerInOtherCase", kDir, 0, "alia", {}, "No record of 'alia'; the logs have 'Alia'", 0, "", ""},
        GoCase{"PlayerWithASpace", kDir, 1, "Alia ", {}, "No record of 'Alia '; the logs have 'Alia'", 0, "", ""},
        GoCase{"EmptyPlayer", kDir, 0, "", {}, "The Player ID is empty: no such record in 2 logs", 0, "", ""},
        GoCase{"NoLogs", "empty", 0, "Alia", {}, "No ActionLog*.txt in this folder", 0, "", ""},
        GoCase{"OtherNamesMarked", "potions", 0, "Alia", {"Red Potion *"}, "Alia, Picked Up: 1 item in 1 log", 0, "5", ""},
        GoCase{"SkippedRecordShown", "bad", 0, "Alia", {"Cup"}, "Alia, Picked Up: 1 item in 1 log, 1 skipped", 0, "2",
               "1 record could not be counted and was skipped. The totals leave it out.\n\n"
               "ActionLog0103.txt, line 1: '\u00C9p\\n\u00E9e(1)(2)'\n    quantity '1)(2' is not a number\n"},
        GoCase{"SkippedRecordsShown", "bad2", 0, "Alia", {"Cup"}, "Alia, Picked Up: 1 item in 1 log, 2 skipped", 0, "2",
               "2 records could not be counted and were skipped. The totals leave them out.\n\n"
               "ActionLog0103.txt, line 1: 'Cup(x)'\n"},
        GoCase{"MissingFolder", "missing", 0, "Alia", {}, "No logs read", 0, "", "Log folder '"},
        GoCase{"NotAFolder", "ActionLog0101.txt", 0, "Alia", {}, "No logs read", 0, "", "'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, InputsChangedDuringAScanApplyToTheNextGoAndClosingWaitsForTheCurrentLog) {
    form.Command1_Click();
    EXPECT_TRUE(view.disabled[Control::Command1] && view.disabled[Control::btnBrowse]);
    form.Option1_Click(1);
    Text(Control::txtPID) = "Caf\u00E9";
    form.Command1_Click();  // Go! pressed again: ignored
    form.btnBrowse_Click();
    view.RunUntil([&] { return !form.Scanning(); });
    EXPECT_FALSE(view.disabled[Control::Command1] || view.disabled[Control::btnBrowse]);
    EXPECT_TRUE(view.dialogs.empty());
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin"}));
    EXPECT_TRUE(view.statuses[0].starts_with("Processing ActionLog010")) << "the status names a log while it is read";
    // Copy and the tips: names as listed, totals of the entries' bytes.
    const std::string copied = "Widget\t7\r\n\u20ACuro Coin\t5\r\n";
    form.List1_Copy();
    EXPECT_EQ((Texts{view.clipboard, form.ItemTip(1), form.ItemTip(2), form.ItemTip(-1)}),
              (Texts{copied, "\u20ACuro Coin: 5", "", ""}));
    Go();
    EXPECT_TRUE(view.list.empty()) << "Caf\u00E9 sold nothing";
    form.List1_Copy();
    EXPECT_EQ(view.clipboard, copied) << "nothing listed, nothing copied";

    form.Command1_Click();
    EXPECT_FALSE(form.Form_QueryUnload());
    view.RunUntil([&] { return !form.Scanning(); });
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(view.list.empty()) << "a stopped analysis lists nothing";
    EXPECT_TRUE(form.Form_QueryUnload());
    form.Form_Unload();
    form.Command1_Click();  // after Unload nothing happens
    EXPECT_FALSE(form.Scanning());
}

TEST_F(Form1Test, StartsInTheRememberedFolderOrTheCommandLinesAndBrowseTakesTheChosenFilesFolder) {
    EXPECT_EQ(loadedDir, DefaultLogFolder());
#ifdef _WIN32
    // Upper-cased as the platform does (the fake: ASCII only).
    const std::string chosen = "C:\\Logs\\Caf\u00E9\\ActionLog0102.txt", folder = "C:\\LOGS\\CAF\u00E9\\";
#else
    // Kept as chosen: an upper-cased folder would not exist.
    const std::string chosen = "/home/Alia/Game Logs/ActionLog0102.txt", folder = "/home/Alia/Game Logs/";
#endif
    EXPECT_EQ(view.checked, Control::Option1_0);
    form.btnBrowse_Click();  // cancelled
    EXPECT_EQ(Text(Control::txtLogDir), dir.text());
    ASSERT_EQ(view.dialogs.size(), 1u);
    const FileDialogRequest& asked = view.dialogs[0];
    EXPECT_EQ(std::tie(asked.open, asked.title, asked.initialFileName, asked.filter, asked.initialDir, asked.defaultExt),
              std::make_tuple(true, "Open Vantor log file", "*.txt", std::string("Vantor Log Files\0*.txt", 22), dir.text(), ""));
    EXPECT_EQ(asked.flags, 0x1804u);
    view.nextAnswer = chosen;
    form.btnBrowse_Click();
    EXPECT_EQ(Text(Control::txtLogDir), folder);

    // Go! and closing remember the folder and the player; the command line wins.
    Text(Control::txtLogDir) = dir.text();
    Go();
    Text(Control::txtPID) = "Bo";
    form.Form_Unload();
    const std::string separator(1, kPathSeparator);
    const struct { Texts arguments; std::optional<Texts> boxes; } starts[] = {
        {{}, Texts{dir.text(), "Bo"}},
        {{"--player", "Alia", "logs"}, Texts{"logs" + separator, "Alia"}},
        {{"Caf\u00E9/", "--player", ""}, Texts{"Caf\u00E9/", ""}},
        {{"--player"}, {}}, {{"--player", "A", "--player", "B"}, {}}, {{"a", "b"}, {}}, {{"--jobs"}, {}},
    };
    for (const auto& start : starts) {
        const std::optional<StartArguments> parsed = ParseStartArguments(start.arguments);
        ASSERT_EQ(parsed.has_value(), start.boxes.has_value()) << ::testing::PrintToString(start.arguments);
        if (!parsed) continue;
        view.texts.clear();
        form.Form_Load(*parsed);
        EXPECT_EQ((Texts{Text(Control::txtLogDir), Text(Control::txtPID)}), *start.boxes);
    }
}

// The logs' IDs that hold what is typed, whatever the letter case (the code
// page's), prefix matches first, each most records first; a pick goes in the
// box, and a Go! finds the IDs written since.
TEST_F(Form1Test, OffersTheLogsPlayersThatHoldWhatIsTypedAndPutsThePickInTheBox) {
    std::string log = Pickup("Bow(1)", "ALIANA") + Pickup("Bow(1)", "ALIANA") + Pickup("Bow(1)", "\xC9lan");
    for (int i = 0; i < 7; ++i) log += Pickup("Bow(1)", "Malia");
    for (int i = 10; i < 22; ++i) log += Pickup("Bow(1)", "P" + std::to_string(i));
    dir.Write("ActionLog0103.txt", log);
    Text(Control::txtPID) = "al";
    form.txtPID_Change();  // the folder in the box is not the one at the start: a pass over it
    view.RunUntil([&] { return !view.offered.empty(); });
    const struct { std::string typed; Texts offered; } cases[] = {
        {"al", {"Alia", "ALIANA", "Malia"}}, {"CAF\u00C9", {"Caf\u00E9"}}, {"Caf\u00E9", {}}, {"\u00E9l", {"\u00C9lan"}},
        {"", {}}, {"x", {}}, {"\u0113", {}}, {"p", {"P10", "P11", "P12", "P13", "P14", "P15", "P16", "P17", "P18", "P19"}},
    };
    for (const auto& c : cases) {
        Text(Control::txtPID) = c.typed;
        form.txtPID_Change();
        EXPECT_EQ(view.offered, c.offered) << c.typed;
    }
    form.txtPID_Choose(10);  // none such
    EXPECT_EQ(Text(Control::txtPID), "p");
    form.txtPID_Choose(9);
    EXPECT_EQ((Texts{Text(Control::txtPID)}), (Texts{"P19"}));
    EXPECT_TRUE(view.offered.empty());

    dir.Write("ActionLog0104.txt", Pickup("Bow(1)", "Zed"));
    Go();
    Text(Control::txtPID) = "z";
    form.txtPID_Change();
    view.RunUntil([&] { return view.offered == Texts{"Zed"}; });
}

// The action and Exact Names come back at the next start, and so does the
// folder last read; not one that failed, nor one that is gone since.
TEST_F(Form1Test, RemembersTheActionExactNamesAndTheFolderLastRead) {
    form.Option1_Click(1);
    form.Menu_Click(Command::ExactNames);
    Go();
    Text(Control::txtLogDir) = dir.text() + "missing";
    Go();
    ASSERT_EQ(view.messages.size(), 1u);
    form.Form_Unload();
    for (const bool gone : {false, true}) {
        if (gone) view.settings["folder"] = dir.text() + "gone";
        view.texts.clear();
        Form1 next(view);
        next.Form_Load();
        EXPECT_EQ(Text(Control::txtLogDir), gone ? DefaultLogFolder() : dir.text());
        EXPECT_EQ(view.checked, Control::Option1_1);
        EXPECT_TRUE(next.MenuChecked(Command::ExactNames));
    }
}

// Exact names: each full name its own row, labelled; the store's rows again
// when it is turned off.
TEST_F(Form1Test, ExactNamesListEachFullNameAndSayItIsNotTheGamesTally) {
    const std::string sword = "Enchanted Longsword of the Northern Watc";
    dir.Write("ActionLog0103.txt", Pickup("Red Potion(3)") + Pickup("Potion(2)") + Pickup(sword + "h(1)") + Pickup(sword + "h(1)"));
    Go();
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin", "Red Potion *", sword + " *", sword + " *"}));
    EXPECT_EQ(form.ItemTip(2), "Red Potion: 5 (includes 'Potion' x2)");
    form.Menu_Click(Command::ExactNames);
    view.RunUntil([&] { return !form.Scanning(); });
    EXPECT_TRUE(form.MenuChecked(Command::ExactNames));
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin", "Red Potion", "Potion", sword + "h"}));
    EXPECT_EQ(Text(Control::Label3), "Alia, Picked Up, exact names: 5 items in 3 logs");
    view.listIndex = 4;
    form.List1_Click();
    EXPECT_EQ(Text(Control::Text1), "2");
}

// Following: the list grows at its end as the game writes, the selected
// item stays selected with its new total, and a record that cannot be
// counted is counted on the status line, not shown in a box during play.
// Each item shows its gain this session beside its name, whatever changed
// the logs, until New Session starts again from the totals of now.
TEST_F(Form1Test, FollowingKeepsTheListTheSelectionTheTotalAndTheGainsUpToDate) {
    form.Menu_Click(Command::Follow);
    EXPECT_TRUE(form.MenuChecked(Command::Follow) && form.MenuEnabled(Command::NewSession));
    view.RunUntil([&] { return view.list.size() == 2; });
    view.listIndex = 0;
    form.List1_Click();
    EXPECT_EQ(Text(Control::Text1), "7");
    std::ofstream(dir.path() / "ActionLog0102.txt", std::ios::binary | std::ios::app)
        << Pickup("Widget(10)") + Pickup("Bar(1)(2)") + Pickup("Lamp(1)");
    view.RunUntil([&] { return view.list.size() == 3; });
    EXPECT_EQ(view.list, (Texts{"Widget (+10)", "\u20ACuro Coin", "Lamp (+1)"}));
    EXPECT_EQ(view.listFills, 1) << "filled once, then only appended to";
    EXPECT_EQ(view.listIndex, 0);
    EXPECT_EQ(Text(Control::Text1), "17");
    EXPECT_TRUE(view.messages.empty());
    const std::regex status("Alia, Picked Up: 3 items in 2 logs, 1 skipped, updated \\d\\d:\\d\\d:\\d\\d, session since \\d\\d:\\d\\d:\\d\\d");
    EXPECT_TRUE(std::regex_match(Text(Control::Label3), status)) << Text(Control::Label3);

    form.Menu_Click(Command::NewSession);
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin", "Lamp"}));
    // An earlier log rewritten with less: a gain below nothing.
    dir.Write("ActionLog0101.txt", Record("Alia", "[Sell]", "Rose(2)"));
    view.RunUntil([&] { return view.list[0] == "Widget (-3)"; });
    EXPECT_EQ(view.listFills, 1);
    EXPECT_EQ(Text(Control::Text1), "14");
    form.List1_Copy();
    EXPECT_EQ(view.clipboard, "Widget\t14\t-3\r\n\u20ACuro Coin\t5\t0\r\nLamp\t1\t0\r\n");

    form.Menu_Click(Command::Follow);
    EXPECT_FALSE(form.MenuChecked(Command::Follow) || form.MenuEnabled(Command::NewSession));
    EXPECT_EQ(Text(Control::Label3), "Alia, Picked Up: 3 items in 2 logs, 1 skipped");
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin", "Lamp"}));
}

}  // namespace
}  // namespace vantor
