#include "ui/by_log.h"

#include <algorithm>

#include "vantor/code_page.h"
#include "vantor/text.h"
#include "ui/csv_save.h"
#include "ui/form_view.h"

namespace vantor {

namespace {

// "ActionLog0102.txt" is "0102" under its bar.
std::string ShortName(std::string_view log) {
    const std::string lower = FoldedUtf8(log);
    if (lower.starts_with("actionlog")) log.remove_prefix(9);
    if (lower.ends_with(".txt") && log.size() >= 4) log.remove_suffix(4);
    return std::string(log.empty() ? "-" : log);
}

}  // namespace

// Appended, not added up: GCC 12 at -O3 takes "+" + text for an
// overlapping copy (-Wrestrict).
std::string GainText(std::int64_t gain) {
    std::string text(gain > 0 ? "+" : "");
    text += std::to_string(gain);
    return text;
}

ByLogForm::ByLogForm(FormView& owner) : owner_(owner) {}

void ByLogForm::SetOutcome(std::shared_ptr<const TallyOutcome> outcome, std::string whose, std::string player,
                           std::string action, std::optional<std::vector<std::int64_t>> gains) {
    // The Session column comes or goes: an order by a log's column stays
    // with that log.
    if (gains.has_value() != gains_.has_value() && sortColumn_ >= kSessionColumn) {
        sortColumn_ = sortColumn_ == kSessionColumn && !gains ? -1 : sortColumn_ + (gains ? 1 : -1);
    }
    gains_ = std::move(gains);
    player_ = std::move(player);
    action_ = std::move(action);
    const int oldCount = static_cast<int>(LogNames().size());
    const bool toLast = to_ == oldCount - 1;
    const bool sameLogs = outcome_ != nullptr && outcome != nullptr &&
                          std::equal(outcome_->logs.begin(), outcome_->logs.end(), outcome->logs.begin(),
                                     outcome->logs.begin() + std::min(outcome->logs.size(), outcome_->logs.size()));
    outcome_ = std::move(outcome);
    whose_ = std::move(whose);
    const int count = static_cast<int>(LogNames().size());
    if (!sameLogs || oldCount == 0) {
        from_ = 0;
        to_ = count - 1;
    } else {
        from_ = std::min(from_, count - 1);
        to_ = toLast ? count - 1 : std::min(to_, count - 1);
    }
    Rebuild();
}

void ByLogForm::Attach(ByLogView* view) {
    view_ = view;
    if (view_ != nullptr) view_->Refresh();
}

const std::vector<std::string>& ByLogForm::LogNames() const {
    static const std::vector<std::string> none;
    return outcome_ != nullptr ? outcome_->logs : none;
}

void ByLogForm::Row_Click(int row) { Rows_Select({row}); }

void ByLogForm::Rows_Select(const std::vector<int>& rows) {
    selected_.clear();
    for (const int row : rows) {
        if (row < 0 || row >= RowCount()) continue;
        const std::size_t index = shown_[static_cast<std::size_t>(row)];
        selected_.emplace_back(rowIndexes_[index], rows_[index].item);
    }
    if (view_ != nullptr) view_->Refresh();
}

void ByLogForm::Cumulative_Change(bool cumulative) {
    cumulative_ = cumulative;
    if (view_ != nullptr) view_->Refresh();
}

int ByLogForm::ColumnCount() const {
    if (to_ < from_) return FirstLogColumn();
    return FirstLogColumn() + std::min(to_ - from_ + 1, kMostLogColumns);
}

int ByLogForm::FirstColumnLog() const { return std::max(from_, to_ - kMostLogColumns + 1); }

std::string ByLogForm::Header(int column) const {
    if (column == kItemColumn) return "Item";
    if (column == kTotalColumn) return "Total";
    if (column == kSessionColumn && gains_) return "Session";
    if (column < 0 || column >= ColumnCount()) return {};
    return LogNames()[static_cast<std::size_t>(FirstColumnLog() + column - FirstLogColumn())];
}

std::int64_t ByLogForm::Value(std::size_t index, int column) const {
    const TallyRow& row = rows_[index];
    if (column == kTotalColumn) return row.total;
    if (column == kSessionColumn && gains_) {
        const std::size_t outcomeRow = rowIndexes_[index];
        return outcomeRow < gains_->size() ? (*gains_)[outcomeRow] : 0;
    }
    const auto log = static_cast<std::uint32_t>(FirstColumnLog() + column - FirstLogColumn());
    const auto part = std::lower_bound(row.parts.begin(), row.parts.end(), log,
                                       [](const LogCredit& credit, std::uint32_t wanted) { return credit.log < wanted; });
    return part != row.parts.end() && part->log == log ? part->quantity : 0;
}

std::string ByLogForm::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    const std::size_t index = shown_[static_cast<std::size_t>(row)];
    const TallyRow& shown = rows_[index];
    if (column == kItemColumn) {
        return shown.item + (shown.others.empty() ? "" : std::string(kOthersMark));
    }
    if (column == kSessionColumn && gains_) return GainText(Value(index, column));
    return std::to_string(Value(index, column));
}

int ByLogForm::SelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

std::vector<int> ByLogForm::SelectedRows() const {
    std::vector<int> rows;
    if (selected_.empty()) return rows;
    for (std::size_t row = 0; row < shown_.size(); ++row) {
        const std::size_t index = rowIndexes_[shown_[row]];
        if (std::any_of(selected_.begin(), selected_.end(), [&](const auto& s) { return s.first == index; })) {
            rows.push_back(static_cast<int>(row));
        }
    }
    return rows;
}

std::vector<std::size_t> ByLogForm::Charted() const {
    std::vector<std::size_t> charted;
    for (const int row : SelectedRows()) {
        if (charted.size() == kMostSeries) break;
        charted.push_back(shown_[static_cast<std::size_t>(row)]);
    }
    return charted;
}

std::string ByLogForm::Caption() const { return whose_.empty() ? "By Log" : "By Log: " + whose_; }

std::string ByLogForm::Status() const {
    if (outcome_ == nullptr || LogNames().empty()) return "No logs";
    const int logs = to_ - from_ + 1;
    std::string status = std::to_string(RowCount()) + " of " + std::to_string(rows_.size()) +
                         (rows_.size() == 1 ? " item, " : " items, ") + std::to_string(logs) +
                         (logs == 1 ? " log: " : " logs: ") + LogNames()[static_cast<std::size_t>(from_)];
    if (logs > 1) status += " to " + LogNames()[static_cast<std::size_t>(to_)];
    if (logs > kMostLogColumns) status += " (columns of the last " + std::to_string(kMostLogColumns) + ")";
    return status;
}

ChartPicture ByLogForm::Chart(int width, int height, const TextMetrics& metrics) const {
    const std::vector<std::size_t> charted = Charted();
    if (charted.empty()) {
        return LayOutChart("Select an item, or up to three, to see them per log", {}, {}, width, height, metrics);
    }
    std::vector<std::string> labels;
    for (int column = FirstLogColumn(); column < ColumnCount(); ++column) labels.push_back(ShortName(Header(column)));
    std::vector<ChartSeries> series;
    for (const std::size_t item : charted) {
        ChartSeries one{rows_[item].item, {}};
        std::int64_t sum = 0;
        for (int column = FirstLogColumn(); column < ColumnCount(); ++column) {
            sum += Value(item, column);
            one.values.push_back(cumulative_ ? sum : Value(item, column));
        }
        series.push_back(std::move(one));
    }
    // "Widget: 9 in 3 logs", "Widget 9, Rope 5 in 3 logs, running total".
    std::string title;
    for (const std::size_t item : charted) {
        title += (title.empty() ? "" : ", ") + rows_[item].item + (charted.size() == 1 ? ": " : " ") +
                 std::to_string(rows_[item].total);
    }
    title += " in " + std::to_string(to_ - from_ + 1) + (to_ == from_ ? " log" : " logs");
    if (cumulative_) title += ", running total";
    if (const std::size_t selected = SelectedRows().size(); selected > charted.size()) {
        title += " (the first " + std::to_string(charted.size()) + " of " + std::to_string(selected) + " selected)";
    }
    return LayOutChart(title, labels, series, width, height, metrics);
}

std::string ByLogForm::ChartTip(int width, int height, const TextMetrics& metrics, int x, int y) const {
    const std::vector<std::size_t> charted = Charted();
    const int slot = charted.empty() ? -1 : ChartSlotAt(Chart(width, height, metrics), x, y);
    if (slot < 0) return {};
    const int column = FirstLogColumn() + slot;
    std::string tip = Header(column);
    for (const std::size_t item : charted) {
        tip += "\n" + rows_[item].item + ": ";
        if (!cumulative_) {
            tip += std::to_string(Value(item, column));
            continue;
        }
        std::int64_t sum = 0;
        for (int before = FirstLogColumn(); before <= column; ++before) sum += Value(item, before);
        tip += std::to_string(sum) + ", " + std::to_string(Value(item, column)) + " in this log";
    }
    return tip;
}

void ByLogForm::Rebuild() {
    rows_.clear();
    rowIndexes_.clear();
    foldedNames_.clear();
    if (outcome_ != nullptr && to_ >= from_ && from_ >= 0) {
        rows_ = RowsInRange(*outcome_, static_cast<std::size_t>(from_), static_cast<std::size_t>(to_), &rowIndexes_);
    }
    // Compared at every keystroke in the filter and in every sort by name.
    for (const TallyRow& row : rows_) foldedNames_.push_back(FoldedUtf8(row.item));
    // A selection keeps its rows, or failing that the first row of each item.
    std::erase_if(selected_, [&](auto& selected) {
        if (outcome_ == nullptr) return false;
        const std::vector<TallyRow>& all = outcome_->rows;
        if (selected.first < all.size() && all[selected.first].item == selected.second) return false;
        const auto same = std::find_if(all.begin(), all.end(), [&](const TallyRow& r) { return r.item == selected.second; });
        selected.first = static_cast<std::size_t>(same - all.begin());
        return same == all.end();
    });
    Reorder();
}

void ByLogForm::Reorder() {
    if (sortColumn_ >= ColumnCount()) sortColumn_ = -1;
    FilterAndSort();
    if (view_ != nullptr) view_->Refresh();
}

std::string ByLogForm::Table(char separator, bool quoted) const {
    const auto field = [&](const std::string& text) { return quoted ? CsvQuoted(text) : text; };
    std::string table;
    for (int column = 0; column < ColumnCount(); ++column) {
        if (column > 0) table += separator;
        table += field(Header(column));
    }
    table += "\r\n";
    for (int row = 0; row < RowCount(); ++row) {
        const std::size_t index = shown_[static_cast<std::size_t>(row)];
        for (int column = 0; column < ColumnCount(); ++column) {
            if (column > 0) table += separator;
            table += column == kItemColumn ? field(rows_[index].item) : std::to_string(Value(index, column));
        }
        table += "\r\n";
    }
    return table;
}

void ByLogForm::Copy_Click() {
    if (RowCount() > 0) owner_.SetClipboardText(Table('\t', false));
}

void ByLogForm::SaveCsv_Click() {
    std::vector<std::string> parts{player_, action_};
    for (std::string& log : RangeNames()) parts.push_back(std::move(log));
    SaveCsvTable(owner_, parts, Table(',', true));
}

}  // namespace vantor
