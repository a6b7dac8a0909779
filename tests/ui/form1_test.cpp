#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "ui/form1.h"

namespace vantor {
namespace {

using testing::FakeView;
using testing::LogBuilder;
using testing::TempDir;
using Texts = std::vector<std::string>;

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("ActionLog0101.txt", LogBuilder()
                                           .Record("Alia", "[Pickup]", "Widget(3)")
                                           .Record("Alia", "[Sell]", "Rose(2)")
                                           .Record("Alia", "[Buy]", "Bread(6)")
                                           .Record("Alia", "[MR_Buy]", "Lute(1)")
                                           .Record("Caf\xE9", "[Pickup]", "Cup(1)")
                                           .str());
        dir.Write("ActionLog0102.txt", LogBuilder()
                                           .Record("Alia", "[Pickup]", "Widget(4)")
                                           .Record("Alia", "[Pickup]", "\x80uro Coin(5)")
                                           .str());
        form.Form_Load();
        view.texts[Control::txtLogDir] = dir.text();
        view.texts[Control::txtPID] = "Alia";
    }

    void ClickRow(int row) {
        view.listIndex = row;
        form.List1_Click();
    }
    std::string status() { return view.texts[Control::Label3]; }

    TempDir dir;
    FakeView view;
    Form1 form{view};
};

TEST_F(Form1Test, LoadsTheDefaults) {
    FakeView fresh;
    Form1 other(fresh);
    other.Form_Load();
    EXPECT_EQ(fresh.texts[Control::txtLogDir], Form1::DefaultLogDir());
#ifdef _WIN32
    EXPECT_TRUE(Form1::DefaultLogDir().ends_with("\\My Documents\\Halvern\\ZENTHARA\\LOG\\"));
#else
    EXPECT_EQ(Form1::DefaultLogDir(), std::string(std::getenv("HOME")) + "/My Documents/Halvern/ZENTHARA/LOG/");
#endif
    EXPECT_EQ(fresh.checked, Control::Option1_0);
    other.Command1_Click();  // "[Pickup]" without any option click
    EXPECT_TRUE(fresh.list.empty());
}

TEST_F(Form1Test, GoListsItemsAndAClickShowsTheTotalOverAllLogs) {
    form.Command1_Click();
    ClickRow(1);
    form.Command1_Click();  // the store starts empty each time: no doubled totals
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin"}));
    EXPECT_EQ(view.texts[Control::Text1], "") << "Go! clears the last total";
    EXPECT_EQ(status(), "2 logs read, 2 items listed");
    EXPECT_EQ(view.focus, Control::Command1);
    ClickRow(0);
    EXPECT_EQ(view.texts[Control::Text1], "7");
    ClickRow(1);
    EXPECT_EQ(view.texts[Control::Text1], "5") << "found by the entry's bytes, not its shown text";
    ClickRow(-1);
    EXPECT_EQ(view.texts[Control::Text1], "5");
}

TEST_F(Form1Test, EachOptionCountsItsOwnAction) {
    const Texts expected[] = {{"Widget", "\u20ACuro Coin"}, {"Rose"}, {"Bread"}, {"Lute"}};
    for (int index : {3, 1, 0, 2}) {
        form.Option1_Click(index);
        form.Command1_Click();
        EXPECT_EQ(view.list, expected[index]) << "option " << index;
    }
    form.Option1_Click(4);  // no such option: the tag stays
    form.Command1_Click();
    EXPECT_EQ(view.list, expected[2]);
}

TEST_F(Form1Test, PlayerIdIsTakenInTheLogsCodePage) {
    view.texts[Control::txtPID] = "Caf\u00E9";
    form.Command1_Click();
    EXPECT_EQ(view.list, Texts{"Cup"});
    view.texts[Control::txtPID] = "Caf\u0113";  // no Windows-1252 code
    form.Command1_Click();
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ(status(), "No matching record in 2 logs");
}

TEST_F(Form1Test, FailuresAreMessagesAndTheWindowGoesOn) {
    dir.Write("ActionLog0103.txt", LogBuilder().Record("Alia", "[Pickup]", "Bar\n\x80(1)(2)").str());
    form.Command1_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "Run-time error: type mismatch\nFile: ActionLog0103.txt\nLine: 1\n"
                                "Item: Bar\\n\u20AC(1)(2)\nquantity '1)(2' is not a number");
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ(status(), "Stopped at ActionLog0103.txt");
    EXPECT_FALSE(view.disabled[Control::Command1]);
    EXPECT_FALSE(view.disabled[Control::btnBrowse]);

    // A folder that does not exist is a failure, not an empty result.
    const std::string missing = dir.text() + "missing";
    view.texts[Control::txtLogDir] = missing;
    form.Command1_Click();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1], "Run-time error: file error\nlog folder '" + missing + "' does not exist");
    EXPECT_EQ(status(), "No logs read");

    view.texts[Control::txtLogDir] = dir.text() + "ActionLog0103.txt";
    form.Command1_Click();
    EXPECT_EQ(view.messages.back(), "Run-time error: file error\n'" + dir.text() + "ActionLog0103.txt' is not a folder");

    TempDir empty;
    view.texts[Control::txtLogDir] = empty.text();
    form.Command1_Click();
    EXPECT_EQ(status(), "No ActionLog*.txt in this folder");
    EXPECT_EQ(view.messages.size(), 3u);
}

TEST_F(Form1Test, InputsChangedDuringAScanApplyToTheNextGo) {
    std::vector<bool> greyed;
    view.onPass = [&] {
        greyed.push_back(view.disabled[Control::Command1] && view.disabled[Control::btnBrowse]);
        form.Option1_Click(1);
        view.texts[Control::txtPID] = "Caf\u00E9";
        form.Command1_Click();  // Go! pressed again: ignored
        form.btnBrowse_Click();
    };
    form.Command1_Click();
    EXPECT_EQ(greyed, (std::vector<bool>{true, true}));
    EXPECT_TRUE(view.dialogs.empty());
    EXPECT_EQ(view.list, (Texts{"Widget", "\u20ACuro Coin"}));
    view.onPass = nullptr;
    form.Command1_Click();
    EXPECT_TRUE(view.list.empty()) << "Caf\u00E9 sold nothing";
    view.texts[Control::txtPID] = "Alia";
    form.Command1_Click();
    EXPECT_EQ(view.list, Texts{"Rose"});
}

TEST_F(Form1Test, ClosingDuringAScanStopsItAfterTheCurrentLog) {
    EXPECT_TRUE(form.Form_QueryUnload());
    view.onPass = [&] { EXPECT_FALSE(form.Form_QueryUnload()); };
    form.Command1_Click();
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(view.passes, 1);
    EXPECT_EQ(status(), "Processing ActionLog0101.txt");
    EXPECT_TRUE(view.list.empty());
    EXPECT_TRUE(form.Form_QueryUnload());
    form.Form_Unload();
    form.Command1_Click();  // after Unload there is no store: nothing happens
    EXPECT_EQ(view.passes, 1);
}

TEST_F(Form1Test, BrowseTakesTheChosenFilesFolder) {
    const std::string before = view.texts[Control::txtLogDir];
    form.btnBrowse_Click();  // cancelled
    EXPECT_EQ(view.texts[Control::txtLogDir], before);
    ASSERT_EQ(view.dialogs.size(), 1u);
    const FileDialogRequest& asked = view.dialogs[0];
    EXPECT_TRUE(asked.open);
    EXPECT_EQ(asked.title, "Open Vantor log file");
    EXPECT_EQ(asked.initialFileName, "*.txt");
    EXPECT_EQ(asked.filter, std::string("Vantor Log Files\0*.txt", 22));
    EXPECT_EQ(asked.initialDir, before);
    EXPECT_EQ(asked.defaultExt, "");
    EXPECT_EQ(asked.flags, 0x1804u);

#ifdef _WIN32
    view.nextAnswer = "C:\\Logs\\Caf\u00E9\\ActionLog0102.txt";
    form.btnBrowse_Click();
    EXPECT_EQ(view.texts[Control::txtLogDir], "C:\\LOGS\\CAF\u00E9\\");  // the fake upper-cases ASCII only
#else
    view.nextAnswer = "/home/Alia/Game Logs/ActionLog0102.txt";
    form.btnBrowse_Click();
    EXPECT_EQ(view.texts[Control::txtLogDir], "/home/Alia/Game Logs/");
#endif
}

}  // namespace
}  // namespace vantor
