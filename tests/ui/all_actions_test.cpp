#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/fake_view.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "ui/all_actions.h"
#include "ui/form1.h"

namespace vantor {
namespace {

using testing::Pickup;
using testing::Record;

// The table as the view would show it: the header, then a line per row, cells separated by '|'.
std::string Table(const AllActionsForm& form) {
    std::string table;
    for (int row = -1; row < form.RowCount(); ++row) {
        for (int column = 0; column < form.ColumnCount(); ++column) {
            table += (row < 0 ? form.Header(column) : form.Cell(row, column)) + "|";
        }
        table += "\n";
    }
    return table;
}

// Opened from the menu: the ledger of the boxes' player before any Go!,
// read off the window's thread; the range, filter and order decide the rows;
// Copy and Save as CSV take what is shown; a second open reads again only
// for another player of the last Go!.
TEST(AllActions, ReadsTheLedgerOfTheLastGoAndShowsTheRangeFilteredAndSorted) {
    testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Record("Alia", "[Sell]", "Widget(1)") +
                                       Record("Alia", "[Buy]", "Bread(6)") + Pickup("Caf\xC9 Gem(2)"));
    dir.Write("ActionLog0102.txt", Pickup("Widget(4)") + Record("Alia", "[MR_Buy]", "Lute(1)") +
                                       Record("Alia", "[Sell]", "Rope(x)") + Pickup("Salt(5)", "Bram"));
    dir.Write("ActionLog0103.txt", Record("Alia", "[Buy]", "Widget(2)") + Record("Alia", "[Sell]", "Bread(2)"));
    testing::FakeView view;
    Form1 main(view);
    main.Form_Load();
    view.texts[Control::txtLogDir] = dir.text();
    view.texts[Control::txtPID] = "Alia";
    main.Menu_Click(Command::AllActions);
    ASSERT_NE(view.allActions, nullptr);
    AllActionsForm& form = *view.allActions;
    EXPECT_TRUE(form.Reading()) << "read on a thread of its own";
    view.RunUntil([&] { return !form.Reading(); });
    EXPECT_EQ(form.Caption(), "All Actions: Alia");
    EXPECT_EQ(Table(form), "Item|Picked Up|Sold|Bought|Shop|Net|\nWidget|7|1|2|0|8|\nBread|0|2|6|0|4|\n"
                           "Caf\u00C9 Gem|2|0|0|0|2|\nLute|0|0|0|1|1|\n");
    EXPECT_EQ(form.Status(), "4 of 4 items, 3 logs: ActionLog0101.txt to ActionLog0103.txt, 1 skipped");
    EXPECT_EQ(form.Problems(), "1 record could not be counted; the totals leave it out. ActionLog0102.txt, line 3: "
                               "'Rope(x)', quantity 'x' is not a number");

    form.Filter_Change("caf\u00E9");  // letter case ignored, past ASCII too
    EXPECT_EQ(Table(form).substr(Table(form).find('\n')), "\nCaf\u00C9 Gem|2|0|0|0|2|\n");
    form.Filter_Change("");
    form.Header_Click(AllActionsForm::kNetColumn);  // a number: largest first
    form.Header_Click(AllActionsForm::kNetColumn);
    EXPECT_EQ(form.Cell(0, 0) + "," + form.Cell(3, 0), "Lute,Widget");
    form.Header_Click(AllActionsForm::kItemColumn);  // names from A
    EXPECT_EQ(form.Cell(0, 0) + "," + form.Cell(1, 0), "Bread,Caf\u00C9 Gem");
    form.Last_Change(1);
    EXPECT_EQ(Table(form), "Item|Picked Up|Sold|Bought|Shop|Net|\nBread|0|2|0|0|-2|\nWidget|0|0|2|0|2|\n");
    form.From_Change(1);
    EXPECT_EQ(form.Status(), "3 of 3 items, 2 logs: ActionLog0102.txt to ActionLog0103.txt, 1 skipped");
    form.To_Change(1);
    form.Copy_Click();
    EXPECT_EQ(view.clipboard, "Item\tPicked Up\tSold\tBought\tShop\tNet\r\nLute\t0\t0\t0\t1\t1\r\nWidget\t4\t0\t0\t0\t4\r\n");
    view.nextAnswer = (dir.path() / "ledger.csv").string();
    form.SaveCsv_Click();
    ASSERT_EQ(view.dialogs.size(), 1u);
    EXPECT_EQ(view.dialogs[0].initialDir + view.dialogs[0].initialFileName,
              view.documents + "Alia-All-Actions-ActionLog0102.csv");
    std::ifstream in(dir.path() / "ledger.csv", std::ios::binary);
    std::ostringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), "\xEF\xBB\xBF\"Item\",\"Picked Up\",\"Sold\",\"Bought\",\"Shop\",\"Net\"\r\n"
                           "\"Lute\",0,0,0,1,1\r\n\"Widget\",4,0,0,0,4\r\n");

    // The same player and folder: shown as it is. Go! for another: read again, every log.
    main.Menu_Click(Command::AllActions);
    EXPECT_FALSE(form.Reading());
    view.texts[Control::txtPID] = "Bram";
    main.Command1_Click();
    view.RunUntil([&] { return !main.Scanning(); });
    view.texts[Control::txtPID] = "Cato";  // typed after the Go!
    main.Menu_Click(Command::AllActions);
    view.RunUntil([&] { return !form.Reading(); });
    EXPECT_EQ(form.Caption() + "\n" + Table(form).substr(Table(form).find('\n') + 1), "All Actions: Bram\nSalt|5|0|0|0|5|\n");
    EXPECT_EQ(form.To(), 2);
}

// While following, a Session column: each row's net gained since the
// follow's first tally, by its whole ledger whatever the range; the window
// open reads again as the tally changes, keeping range and order, and a
// closed one when it opens. New Session starts from the totals of now;
// the follow's end takes the column away.
TEST(AllActions, WhileFollowingShowsEachRowsNetGainedThisSession) {
    struct Shown : AllActionsView {
        void Refresh() override {}
    } shown;
    testing::TempDir dir;
    dir.Write("ActionLog0101.txt", Pickup("Widget(3)") + Record("Alia", "[Sell]", "Widget(1)") + Record("Alia", "[Buy]", "Bread(6)"));
    dir.Write("ActionLog0102.txt", Pickup("Widget(4)") + Record("Alia", "[MR_Buy]", "Lute(1)"));
    testing::FakeView view;
    Form1 main(view);
    main.Form_Load();
    view.texts[Control::txtLogDir] = dir.text();
    view.texts[Control::txtPID] = "Alia";
    main.Menu_Click(Command::Follow);
    view.RunUntil([&] { return view.list.size() == 1; });
    main.Menu_Click(Command::AllActions);
    AllActionsForm& form = *view.allActions;
    form.Attach(&shown);
    view.RunUntil([&] { return !form.Reading(); });
    EXPECT_EQ(Table(form), "Item|Picked Up|Sold|Bought|Shop|Net|Session|\nWidget|7|1|0|0|6|0|\nBread|0|0|6|0|6|0|\n"
                           "Lute|0|0|0|1|1|0|\n");

    form.Last_Change(1);
    form.Header_Click(AllActionsForm::kSessionColumn);  // largest first
    const auto append = [&](const std::string& records) {
        std::ofstream(dir.path() / "ActionLog0102.txt", std::ios::binary | std::ios::app) << records;
    };
    // Lamp was not there: its whole net. Bread, out of the range, is not shown.
    append(Pickup("Widget(10)") + Record("Alia", "[Sell]", "Widget(2)") + Pickup("Lamp(1)"));
    view.RunUntil([&] { return form.Cell(0, AllActionsForm::kSessionColumn) == "+8"; });
    EXPECT_EQ(Table(form), "Item|Picked Up|Sold|Bought|Shop|Net|Session|\nWidget|14|2|0|0|12|+8|\nLamp|1|0|0|0|1|+1|\n"
                           "Lute|0|0|0|1|1|0|\n");
    EXPECT_EQ(form.From(), 1);
    form.Copy_Click();
    EXPECT_EQ(view.clipboard.substr(0, view.clipboard.find("\r\nLamp")),
              "Item\tPicked Up\tSold\tBought\tShop\tNet\tSession\r\nWidget\t14\t2\t0\t0\t12\t8");

    // Closed: read when it opens again.
    view.RunUntil([&] { return !form.Reading(); });
    form.Attach(nullptr);
    append(Pickup("Lamp(2)"));
    view.RunUntil([&] { return view.list.size() == 2 && view.list[1] == "Lamp (+3)"; });
    EXPECT_FALSE(form.Reading());
    main.Menu_Click(Command::AllActions);
    form.Attach(&shown);
    view.RunUntil([&] { return !form.Reading(); });
    EXPECT_EQ(form.Cell(1, 0) + form.Cell(1, AllActionsForm::kSessionColumn), "Lamp+3");

    main.Menu_Click(Command::NewSession);
    view.RunUntil([&] { return !form.Reading(); });
    EXPECT_EQ(Table(form), "Item|Picked Up|Sold|Bought|Shop|Net|Session|\nWidget|14|2|0|0|12|0|\nLute|0|0|0|1|1|0|\n"
                           "Lamp|3|0|0|0|3|0|\n");
    main.Menu_Click(Command::Follow);
    EXPECT_EQ(form.ColumnCount(), 6);
    EXPECT_EQ(form.SortColumn(), -1) << "its order went with the column";
}

}  // namespace
}  // namespace vantor
