#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// What By log and All Actions share: a table of items over a range of logs,
// From to To, filtered by name and sorted by any column, and how the range
// row and a header click move them. Column 0 is the item's name; the others
// are numbers.
class LogTable {
public:
    static constexpr int kItemColumn = 0;

    virtual ~LogTable() = default;

    // The view's events. Log indexes are into LogNames(). From drags To
    // along, To drags From, Last is the last `count` logs; an index or count
    // the logs do not have changes nothing.
    void From_Change(int index);
    void To_Change(int index);
    void Last_Change(int count);
    void Filter_Change(std::string_view text);
    // A new column sorts numbers largest first and names from A; the same
    // column again turns the order round.
    void Header_Click(int column);

    virtual const std::vector<std::string>& LogNames() const = 0;
    virtual int ColumnCount() const = 0;
    int RowCount() const { return static_cast<int>(shown_.size()); }
    int From() const { return from_; }
    int To() const { return to_; }
    std::string Filter() const { return filter_; }
    bool IsNumber(int column) const { return column != kItemColumn; }
    int SortColumn() const { return sortColumn_; }  // -1: first met first
    bool SortDescending() const { return descending_; }

protected:
    // The first and the last log of the range, without ".txt", for the
    // name of a saved table: "ActionLog0101", "ActionLog0103"; one name
    // for a range of one log, none without logs.
    std::vector<std::string> RangeNames() const;
    // The rows of the range made again, then Reorder.
    virtual void Rebuild() = 0;
    // The shown rows filtered and sorted again.
    virtual void Reorder() = 0;
    // The number in column `column` of row `row` of the range.
    virtual std::int64_t Value(std::size_t row, int column) const = 0;
    // shown_ made again from foldedNames_: the rows whose name holds the
    // filter, whatever the letter case, in the order of the sorted column
    // (stable: rows alike stay in the order first met).
    void FilterAndSort();

    int from_ = 0;
    int to_ = -1;
    std::string filter_;
    int sortColumn_ = -1;
    bool descending_ = false;
    std::vector<std::string> foldedNames_;  // each row's name, letters folded (FoldedUtf8)
    std::vector<std::size_t> shown_;        // the rows shown, filtered and in order
};

}  // namespace vantor
