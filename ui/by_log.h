#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vantor/tally.h"
#include "ui/chart.h"
#include "ui/log_table.h"

namespace vantor {

class FormView;

// A listed row whose total took records of other names carries this mark
// after its name, in the main list and in By log's table; its tip names them.
inline constexpr std::string_view kOthersMark = " *";

// A session's gain as the list and By log show it: "+19", "-5", "0".
std::string GainText(std::int64_t gain);

// The By log window as a toolkit draws it.
class ByLogView {
public:
    virtual ~ByLogView() = default;
    // What ByLogForm offers changed (the logs, the range, the table, the
    // selection): show it again, asking ByLogForm for each part.
    virtual void Refresh() = 0;
};

// The By log window's behaviour, whatever the toolkit: every listed item's
// total over a range of logs and its part from each log, sortable by any
// column and filtered by name, and a chart per log of the selected items
// (the first kMostSeries of them), each log's own or the running total.
class ByLogForm : public LogTable {
public:
    // Table columns: the item, its total over the range, while following
    // its gain this session, then one per log (from FirstLogColumn()).
    static constexpr int kTotalColumn = 1;
    static constexpr int kSessionColumn = 2;
    // A range of more logs shows the columns of its last this many.
    static constexpr int kMostLogColumns = 1000;

    // `owner` is the main window, for the clipboard and the dialogs.
    explicit ByLogForm(FormView& owner);

    // The analysis to show (none: an empty table), whose it is, e.g.
    // "Alia, Picked Up", and the player and the action for the name of a
    // saved file. A new analysis of the same logs keeps the range, the
    // filter, the order and the selected item; a range that reached the
    // last log reaches the new last log. `gains`, while following, is the
    // session's gain of each of the outcome's rows (Form1's, whatever the
    // range), shown in a Session column.
    void SetOutcome(std::shared_ptr<const TallyOutcome> outcome, std::string whose, std::string player = {},
                    std::string action = {}, std::optional<std::vector<std::int64_t>> gains = std::nullopt);
    // The toolkit's window while it is open; nullptr once it is closed.
    void Attach(ByLogView* view);

    // The view's events, besides the range's, the filter's and the
    // header's (LogTable).
    void Row_Click(int row);  // -1: none
    // The rows the player selected in the table, whatever their number.
    void Rows_Select(const std::vector<int>& rows);
    // The chart's bars: each log's quantity, or the running total up to it.
    void Cumulative_Change(bool cumulative);
    // Every shown row and column, tab-separated, onto the clipboard.
    void Copy_Click();
    // The same as CSV, UTF-8, into a file the player chooses. The dialog
    // starts in the folder of the last save while it is there, else in
    // Documents, and suggests the player, the action and the range as the
    // name: "Alia-Picked-Up-ActionLog0101-ActionLog0103.csv".
    void SaveCsv_Click();

    // What the view shows. Texts are UTF-8.
    std::string Caption() const;
    const std::vector<std::string>& LogNames() const override;
    int ColumnCount() const override;
    int FirstLogColumn() const { return gains_ ? kSessionColumn + 1 : kSessionColumn; }
    std::string Header(int column) const;
    // The item column's names carry kOthersMark as the main list has it, and
    // the Session column's gains their sign (GainText); Copy and Save as CSV
    // take the names alone and the plain numbers.
    std::string Cell(int row, int column) const;
    int SelectedRow() const;  // the first of SelectedRows(), or -1
    std::vector<int> SelectedRows() const;  // in the table's order
    bool Cumulative() const { return cumulative_; }
    // "12 of 40 items, 7 logs: ActionLog0101.txt to ActionLog0107.txt".
    std::string Status() const;
    // The selected items' quantity in each log of the range.
    ChartPicture Chart(int width, int height, const TextMetrics& metrics) const;
    // What the chart says of the log at (x, y): its name and each item's
    // quantity there ("ActionLog0102.txt\nWidget: 2"; cumulative, "Widget: 6,
    // 2 in this log"), empty off the logs' slots.
    std::string ChartTip(int width, int height, const TextMetrics& metrics, int x, int y) const;

private:
    // The range's rows, after a new outcome or range; then Reorder.
    void Rebuild() override;
    // The rows shown, after a new filter or order.
    void Reorder() override;
    int FirstColumnLog() const;  // the log of column FirstLogColumn()
    std::int64_t Value(std::size_t row, int column) const override;  // of rows_[row]
    std::string Table(char separator, bool quoted) const;

    FormView& owner_;
    ByLogView* view_ = nullptr;
    std::shared_ptr<const TallyOutcome> outcome_;
    std::optional<std::vector<std::int64_t>> gains_;  // by the outcome's rows
    std::string whose_;
    std::string player_;
    std::string action_;
    // The charted rows: the first kMostSeries selected in the table's order.
    std::vector<std::size_t> Charted() const;  // indexes into rows_

    bool cumulative_ = false;
    // The selected rows: each one's index among the outcome's rows and its item.
    std::vector<std::pair<std::size_t, std::string>> selected_;
    std::vector<TallyRow> rows_;            // the range's rows
    std::vector<std::size_t> rowIndexes_;   // each one's index among the outcome's rows
};

}  // namespace vantor
