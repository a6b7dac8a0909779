#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/temp_dir.h"
#include "ui/by_log.h"
#include "ui/chart.h"

namespace vantor {
namespace {

using Texts = std::vector<std::string>;

// Three logs; "Gem" only in the last, "Rope" only in the first and with
// another name's records, and a name that comes apart in the logs' code page.
std::shared_ptr<TallyOutcome> Outcome() {
    auto outcome = std::make_shared<TallyOutcome>();
    outcome->logs = {"ActionLog0101.txt", "ActionLog0102.txt", "ActionLog0103.txt"};
    outcome->rows = {
        {"Widget", "Widget", 9, {{0, 4, 1}, {1, 2, 2}, {2, 3, 1}}, {0, 1, 2}, {}},
        {"Rope", "Rope", 5, {{0, 5, 1}}, {0}, {{"rope", "rope", 1, 1}}},
        {"Caf\u00E9 Gem", "Caf\xE9 Gem", -2, {{2, -2, 1}}, {2}, {}},
    };
    return outcome;
}

// The table as the view would show it: a line per row, cells separated by '|'.
std::string Table(const ByLogForm& form) {
    std::string table;
    for (int column = 0; column < form.ColumnCount(); ++column) table += form.Header(column) + "|";
    for (int row = 0; row < form.RowCount(); ++row) {
        table += "\n";
        for (int column = 0; column < form.ColumnCount(); ++column) table += form.Cell(row, column) + "|";
    }
    return table;
}

struct CountingView : ByLogView {
    int refreshes = 0;
    void Refresh() override { ++refreshes; }
};

TEST(ByLog, RangesFilterAndOrderDecideTheRowsAndTotals) {
    testing::FakeView owner;
    ByLogForm form(owner);
    CountingView view;
    form.Attach(&view);
    form.SetOutcome(Outcome(), "Alia, Picked Up");
    EXPECT_EQ(form.Caption(), "By Log: Alia, Picked Up");
    EXPECT_EQ(Table(form), "Item|Total|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt|\n"
                           "Widget|9|4|2|3|\nRope *|5|5|0|0|\nCaf\u00E9 Gem|-2|0|0|-2|");
    form.Last_Change(2);
    EXPECT_EQ(Table(form), "Item|Total|ActionLog0102.txt|ActionLog0103.txt|\nWidget|5|2|3|\nCaf\u00E9 Gem|-2|0|-2|");
    EXPECT_EQ(form.Status(), "2 of 2 items, 2 logs: ActionLog0102.txt to ActionLog0103.txt");
    form.From_Change(0);
    form.To_Change(0);
    EXPECT_EQ(Table(form), "Item|Total|ActionLog0101.txt|\nWidget|4|4|\nRope *|5|5|");
    form.To_Change(2);
    form.Filter_Change("PE");  // letter case ignored
    form.Header_Click(ByLogForm::kItemColumn);
    EXPECT_EQ(Table(form).substr(Table(form).find('\n')), "\nRope *|5|5|0|0|");
    form.Filter_Change("");
    form.Header_Click(ByLogForm::kTotalColumn);  // a number: largest first, whatever came before
    EXPECT_EQ(form.Cell(0, 0) + "," + form.Cell(1, 0) + "," + form.Cell(2, 0), "Widget,Rope *,Caf\u00E9 Gem");
    form.Header_Click(ByLogForm::kTotalColumn);
    EXPECT_GT(view.refreshes, 8);

    // Copy: what is shown, tab-separated, the names without the mark; a new analysis of more logs keeps
    // the filter, the order and the selection, and the range grows to the new last log.
    form.Row_Click(1);
    form.Copy_Click();
    EXPECT_EQ(owner.clipboard, "Item\tTotal\tActionLog0101.txt\tActionLog0102.txt\tActionLog0103.txt\r\n"
                               "Caf\u00E9 Gem\t-2\t0\t0\t-2\r\nRope\t5\t5\t0\t0\r\nWidget\t9\t4\t2\t3\r\n");
    auto more = Outcome();
    more->logs.push_back("ActionLog0104.txt");
    more->rows[1].parts.push_back({3, 1, 1});
    more->rows[1].ownLogs.push_back(3);
    more->rows[1].total = 6;
    form.SetOutcome(more, "Alia, Picked Up");
    EXPECT_EQ(form.ColumnCount(), 6);
    EXPECT_EQ(form.Cell(form.SelectedRow(), 0) + "=" + form.Cell(form.SelectedRow(), 1), "Rope *=6");
}

// Followed: a Session column after Total with each row's gain, by the
// outcome's rows whatever the range; an order by a log stays with that log
// as the column comes; Copy takes the plain numbers.
TEST(ByLog, FollowedASessionColumnShowsEachRowsGain) {
    testing::FakeView owner;
    ByLogForm form(owner);
    form.SetOutcome(Outcome(), "Alia");
    form.Header_Click(4);  // ActionLog0103.txt
    form.SetOutcome(Outcome(), "Alia", {}, {}, std::vector<std::int64_t>{4, 0, -2});
    EXPECT_EQ(Table(form), "Item|Total|Session|ActionLog0101.txt|ActionLog0102.txt|ActionLog0103.txt|\n"
                           "Widget|9|+4|4|2|3|\nRope *|5|0|5|0|0|\nCaf\u00E9 Gem|-2|-2|0|0|-2|");
    EXPECT_EQ(form.SortColumn(), 5);
    form.Last_Change(1);
    form.Copy_Click();
    EXPECT_EQ(owner.clipboard, "Item\tTotal\tSession\tActionLog0103.txt\r\nWidget\t3\t4\t3\r\nCaf\u00E9 Gem\t-2\t-2\t-2\r\n");
}

TEST(ByLog, SavesTheShownTableAsCsvThatSpreadsheetsReadAsUtf8) {
    testing::TempDir dir;
    testing::FakeView owner;
    ByLogForm form(owner);
    auto outcome = Outcome();
    outcome->rows[1].item = "Rope, \"long\"";
    form.SetOutcome(outcome, "Alia, Picked Up", "Alia", "Picked Up");
    form.Last_Change(1);
    owner.nextAnswer = (dir.path() / "tally.csv").string();
    form.SaveCsv_Click();
    ASSERT_EQ(owner.dialogs.size(), 1u);
    EXPECT_FALSE(owner.dialogs[0].open);
    std::ifstream in(dir.path() / "tally.csv", std::ios::binary);
    std::ostringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), "\xEF\xBB\xBF\"Item\",\"Total\",\"ActionLog0103.txt\"\r\n\"Widget\",3,3\r\n\"Caf\u00E9 Gem\",-2,-2\r\n");
    form.From_Change(0);
    owner.nextAnswer = (dir.path() / "missing" / "tally.csv").string();
    form.SaveCsv_Click();
    EXPECT_EQ(owner.messages.size(), 1u) << "a file that cannot be written is a message";
    owner.settings["csvFolder"] = dir.text() + "gone";
    form.SaveCsv_Click();
    // Documents first, then the folder of the last save while it is there;
    // the player, the action and the range as the name.
    Texts asked;
    for (const FileDialogRequest& dialog : owner.dialogs) asked.push_back(dialog.initialDir + "|" + dialog.initialFileName);
    EXPECT_EQ(asked, (Texts{owner.documents + "|Alia-Picked-Up-ActionLog0103.csv",
                            dir.text() + "|Alia-Picked-Up-ActionLog0101-ActionLog0103.csv",
                            owner.documents + "|Alia-Picked-Up-ActionLog0101-ActionLog0103.csv"}));
}

// The chart: a scale of round steps covering the values and zero; bars from
// the zero line, inside the area; labels thinned where they would overlap.
TEST(ByLogChart, ScaleCoversTheValuesAndBarsStandOnZero) {
    const struct { std::int64_t low, high; int most; std::vector<std::int64_t> scale; } scales[] = {
        {0, 0, 5, {0, 1}},        {0, 7, 5, {0, 2, 4, 6, 8}},     {-3, 12, 6, {-5, 0, 5, 10, 15}},
        {0, 1000, 3, {0, 500, 1000}}, {0, 1001, 3, {0, 1000, 2000}}, {-40, -1, 5, {-40, -30, -20, -10, 0}},
    };
    for (const auto& s : scales) EXPECT_EQ(ChartScale(s.low, s.high, s.most), s.scale) << s.low << ".." << s.high;

    const TextMetrics metrics{[](std::string_view text) { return static_cast<int>(6 * text.size()); }, 12};
    std::vector<ChartBar> bars;
    for (int i = 0; i < 40; ++i) bars.push_back({"01" + std::to_string(i), i % 3 == 0 ? -4 : i});
    const ChartPicture picture = LayOutChart("Widget", bars, 400, 200, metrics);
    ASSERT_EQ(picture.bars.size(), bars.size());
    const int zero = picture.zeroLine.y1;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const ChartRect& bar = picture.bars[i];
        EXPECT_TRUE(bar.left >= 0 && bar.right <= 400 && bar.top >= 12 && bar.bottom <= 200) << i;
        EXPECT_EQ(bars[i].value < 0 ? bar.top : bar.bottom, zero) << i;
        if (i > 0 && bars[i].value > bars[i - 1].value && bars[i - 1].value > 0) {
            EXPECT_LT(bar.top, picture.bars[i - 1].top) << "a larger value, a taller bar";
        }
    }
    int labels = 0;
    int lastRight = -1;
    for (const ChartText& text : picture.texts) {
        if (text.text.rfind("01", 0) != 0 || text.top < zero) continue;
        ++labels;
        EXPECT_GT(text.left, lastRight) << text.text << " overlaps the label before it";
        lastRight = text.left + metrics.width(text.text);
    }
    EXPECT_TRUE(labels > 5 && labels < 40) << labels;
}

}  // namespace
}  // namespace vantor
