#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/path_text.h"
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

    testing::TempDir dir;
    testing::FakeView view;
    Form1 form{view};
    std::string loadedDir;
};

// Each Go! (after a click on the option) lists what the folder, the player
// and the option select, the store starting empty each time, or says what
// failed; a click on a row shows its total over all logs, found by the
// entry's bytes, not its shown text. Options -1 and 4 do not exist: the tag stays.
TEST_F(Form1Test, GoListsWhatTheFolderPlayerAndOptionSelectOrSaysWhatFailed) {
    testing::TempDir bad, empty;
    bad.Write("ActionLog0103.txt", Pickup("\xC9p\n\xE9" "e(1)(2)") + Pickup("Cup(2)"));
    const std::string missing = dir.text() + "missing", file = bad.text() + "ActionLog0103.txt";
    const struct { std::string folder; int option; std::string player; Texts items; std::string status;
                   int row; std::string total, message; } cases[] = {
        {dir.text(), -1, "Alia", {"Widget", "\u20ACuro Coin"}, "2 logs read, 2 items listed", 1, "5", ""},
        {dir.text(), 3, "Alia", {"Lute"}, "2 logs read, 1 item listed", 0, "1", ""},
        {dir.text(), 2, "Alia", {"Bread"}, "2 logs read, 1 item listed", 0, "6", ""},
        {dir.text(), 4, "Alia", {"Bread"}, "2 logs read, 1 item listed", 0, "6", ""},
        {dir.text(), 0, "Alia", {"Widget", "\u20ACuro Coin"}, "2 logs read, 2 items listed", 0, "7", ""},
        {dir.text(), 0, "Caf\u00E9", {"Cup"}, "2 logs read, 1 item listed", 0, "1", ""},  // in the logs' code page
        {dir.text(), 0, "Caf\u0113", {}, "No matching record in 2 logs", 0, "", ""},     // not in Windows-1252
        {empty.text(), 0, "Alia", {}, "No ActionLog*.txt in this folder", 0, "", ""},
        {bad.text(), 0, "Alia", {"Cup"}, "1 log read, 1 item listed, 1 problem", 0, "2",
         "Run-time error: type mismatch\nFile: ActionLog0103.txt\nLine: 1\nItem: \u00C9p\\n\u00E9e(1)(2)\n"
         "quantity '1)(2' is not a number\n\n"},
        {missing, 0, "Alia", {}, "No logs read", 0, "", "Run-time error: file error\nlog folder '" + missing + "' does not exist"},
        {file, 0, "Alia", {}, "No logs read", 0, "", "Run-time error: file error\n'" + file + "' is not a folder"},
    };
    for (const auto& c : cases) {
        view.messages.clear();
        view.focus = Control::Label1;
        form.Option1_Click(c.option);
        Text(Control::txtLogDir) = c.folder;
        Text(Control::txtPID) = c.player;
        form.Command1_Click();  // Go! clears the last total
        EXPECT_EQ(std::tie(view.list, Text(Control::Label3), Text(Control::Text1)), std::tie(c.items, c.status, ""))
            << c.option << ' ' << c.player;
        EXPECT_EQ(view.messages, c.message.empty() ? Texts{} : Texts{c.message});
        EXPECT_EQ(view.focus, Control::Command1);
        for (const int row : {c.row, -1}) {  // then no row: the total stays
            view.listIndex = row;
            form.List1_Click();
        }
        EXPECT_EQ(Text(Control::Text1), c.total) << c.option << ' ' << c.player;
    }
}

TEST_F(Form1Test, InputsChangedDuringAScanApplyToTheNextGoAndClosingWaitsForTheCurrentLog) {
    std::vector<bool> greyed;
    view.onPass = [&] {
        greyed.push_back(view.disabled[Control::Command1] && view.disabled[Control::btnBrowse]);
        form.Option1_Click(1);
        Text(Control::txtPID) = "Caf\u00E9";
        form.Command1_Click();  // Go! pressed again: ignored
        form.btnBrowse_Click();
    };
    form.Command1_Click();
    EXPECT_EQ(greyed, (std::vector<bool>{true, true}));
    EXPECT_FALSE(view.disabled[Control::Command1] || view.disabled[Control::btnBrowse]);
    EXPECT_TRUE(view.dialogs.empty());
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin"}));
    // Copy and the tips: names as listed, totals of the entries' bytes.
    const std::string copied = "Widget\t7\r\n\u20ACuro Coin\t5\r\n";
    form.List1_Copy();
    EXPECT_EQ((Texts{view.clipboard, form.ItemTip(1), form.ItemTip(2), form.ItemTip(-1)}),
              (Texts{copied, "\u20ACuro Coin: 5", "", ""}));
    view.onPass = nullptr;
    form.Command1_Click();
    EXPECT_TRUE(view.list.empty()) << "Caf\u00E9 sold nothing";
    form.List1_Copy();
    EXPECT_EQ(view.clipboard, copied) << "nothing listed, nothing copied";

    view.passes = 0;
    view.onPass = [&] { EXPECT_FALSE(form.Form_QueryUnload()); };
    form.Command1_Click();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(view.passes, 1) << "no log read after the close";
    EXPECT_TRUE(form.Form_QueryUnload());
    form.Form_Unload();
    form.Command1_Click();  // after Unload there is no store: nothing happens
    EXPECT_EQ(view.passes, 1);
}

TEST_F(Form1Test, StartsInTheGamesLogFolderOrTheCommandLinesAndBrowseTakesTheChosenFilesFolder) {
#ifdef _WIN32
    EXPECT_TRUE(loadedDir.ends_with("\\My Documents\\Halvern\\ZENTHARA\\LOG\\")) << loadedDir;
    // Upper-cased as the platform does (the fake: ASCII only).
    const std::string chosen = "C:\\Logs\\Caf\u00E9\\ActionLog0102.txt", folder = "C:\\LOGS\\CAF\u00E9\\";
#else
    EXPECT_EQ(loadedDir, std::string(std::getenv("HOME")) + "/My Documents/Halvern/ZENTHARA/LOG/");
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

    // The command line's folder and player, or bad usage (no boxes).
    const struct { Texts arguments; std::optional<Texts> boxes; } starts[] = {
        {{}, Texts{loadedDir, ""}},
        {{"--player", "Alia", "logs"}, Texts{"logs" + std::string(1, kPathSeparator), "Alia"}},
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

}  // namespace
}  // namespace vantor
