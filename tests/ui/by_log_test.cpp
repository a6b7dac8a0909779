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
    // More rows selected, in any order: the chart names the first three in the table's order (by Total).
    auto salt = std::make_shared<TallyOutcome>(*more);
    salt->rows.push_back({"Salt", "Salt", 1, {{1, 1, 1}}, {1}, {}});
    form.SetOutcome(salt, "Alia, Picked Up");
    form.Rows_Select({3, 1, 0, 2});
    form.Cumulative_Change(true);
    EXPECT_EQ(form.Chart(600, 300, {[](std::string_view) { return 6; }, 12}).texts[0].text,
              "Caf\u00E9 Gem -2, Salt 1, Rope 6 in 4 logs, running total (the first 3 of 4 selected)");
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

// The chart: a scale of round steps covering the values and zero. Whatever
// the number of logs and items, bars stand on the zero line inside the plot,
// several items' side by side in each log's slot (a legend's swatch each),
// and no text runs into another (the title, the legend, the scale, the
// labels, the bars' values) or out of the area.
TEST(ByLogChart, BarsStandOnZeroAndNoTextOverlapsAnotherOrLeavesTheArea) {
    const struct { std::int64_t low, high; int most; std::vector<std::int64_t> scale; } scales[] = {
        {0, 0, 5, {0, 1}},        {0, 7, 5, {0, 2, 4, 6, 8}},     {-3, 12, 6, {-5, 0, 5, 10, 15}},
        {0, 1000, 3, {0, 500, 1000}}, {0, 1001, 3, {0, 1000, 2000}}, {-40, -1, 5, {-40, -30, -20, -10, 0}},
    };
    for (const auto& s : scales) EXPECT_EQ(ChartScale(s.low, s.high, s.most), s.scale) << s.low << ".." << s.high;

    const TextMetrics metrics{[](std::string_view text) { return static_cast<int>(7 * text.size()); }, 15};
    const struct { int logs, items, width; bool negative; } charts[] = {
        {365, 1, 700, false}, {3, 1, 300, false}, {3, 3, 600, true}, {40, 2, 500, true}, {12, 2, 900, false}};
    for (const auto& c : charts) {
        Texts labels;
        std::vector<ChartSeries> series(static_cast<std::size_t>(c.items));
        for (int log = 0; log < c.logs; ++log) {
            labels.push_back(std::to_string(251000 + log));
            for (int item = 0; item < c.items; ++item) {
                series[static_cast<std::size_t>(item)].name = "Item " + std::to_string(item);
                series[static_cast<std::size_t>(item)].values.push_back(c.negative && log % 2 ? -100 : item % 2 ? 100 + log : 200 - log);
            }
        }
        const ChartPicture picture = LayOutChart("Title of the chart", labels, series, c.width, 240, metrics);
        const std::string name = std::to_string(c.logs) + " logs, " + std::to_string(c.items) + " items";
        int labelsShown = 0;
        for (std::size_t a = 0; a < picture.texts.size(); ++a) {
            const ChartText& one = picture.texts[a];
            const int right = one.left + metrics.width(one.text);
            labelsShown += one.text.starts_with("251");
            EXPECT_TRUE(one.left >= 0 && right <= c.width && one.top >= 0 && one.top + 15 <= 240) << name << ": " << one.text;
            for (std::size_t b = 0; b < a; ++b) {
                const ChartText& other = picture.texts[b];
                const bool apart = right <= other.left || other.left + metrics.width(other.text) <= one.left ||
                                   one.top + 15 <= other.top || other.top + 15 <= one.top;
                EXPECT_TRUE(apart) << name << ": '" << one.text << "' runs into '" << other.text << "'";
            }
        }
        EXPECT_TRUE(labelsShown > 2 && labelsShown <= c.logs) << name << ": " << labelsShown;
        ASSERT_EQ(picture.bars.size(), static_cast<std::size_t>(c.logs * c.items)) << name;
        for (std::size_t i = 0; i < picture.bars.size(); ++i) {
            const ChartRect& bar = picture.bars[i];
            const std::int64_t value = series[i % series.size()].values[i / series.size()];
            const bool lower = i >= series.size() && value > 0 && series[i % series.size()].values[i / series.size() - 1] > value;
            EXPECT_TRUE((value < 0 ? bar.top : bar.bottom) == picture.zeroLine.y1 && bar.top >= picture.plot.top &&
                        bar.series == static_cast<int>(i) % c.items && (i == 0 || picture.bars[i - 1].right <= bar.left) &&
                        (!lower || bar.top >= picture.bars[i - series.size()].top)) << name << ": bar " << i;
        }
    }
}

}  // namespace
}  // namespace vantor
