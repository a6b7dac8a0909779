#include "ui/log_table.h"

#include <algorithm>

#include "vantor/code_page.h"

namespace vantor {

void LogTable::From_Change(int index) {
    if (index < 0 || index >= static_cast<int>(LogNames().size())) return;
    from_ = index;
    to_ = std::max(to_, from_);
    Rebuild();
}

void LogTable::To_Change(int index) {
    if (index < 0 || index >= static_cast<int>(LogNames().size())) return;
    to_ = index;
    from_ = std::min(from_, to_);
    Rebuild();
}

void LogTable::Last_Change(int count) {
    const int logs = static_cast<int>(LogNames().size());
    if (count < 1 || logs == 0) return;
    to_ = logs - 1;
    from_ = std::max(0, logs - count);
    Rebuild();
}

void LogTable::Filter_Change(std::string_view text) {
    filter_ = text;
    Reorder();
}

void LogTable::Header_Click(int column) {
    if (column < 0 || column >= ColumnCount()) return;
    descending_ = column == sortColumn_ ? !descending_ : IsNumber(column);
    sortColumn_ = column;
    Reorder();
}

void LogTable::FilterAndSort() {
    shown_.clear();
    const std::string wanted = FoldedUtf8(filter_);
    for (std::size_t index = 0; index < foldedNames_.size(); ++index) {
        if (foldedNames_[index].find(wanted) != std::string::npos) shown_.push_back(index);
    }
    if (sortColumn_ < 0) return;
    const auto less = [&](std::size_t a, std::size_t b) {
        if (sortColumn_ == kItemColumn) return foldedNames_[a] < foldedNames_[b];
        return Value(a, sortColumn_) < Value(b, sortColumn_);
    };
    std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
        return descending_ ? less(b, a) : less(a, b);
    });
}

std::vector<std::string> LogTable::RangeNames() const {
    const std::vector<std::string>& logs = LogNames();
    if (from_ < 0 || to_ < from_ || to_ >= static_cast<int>(logs.size())) return {};
    const auto shortName = [&](int log) {
        std::string name = logs[static_cast<std::size_t>(log)];
        if (FoldedUtf8(name).ends_with(".txt")) name.resize(name.size() - 4);
        return name;
    };
    std::vector<std::string> names{shortName(from_)};
    if (to_ > from_) names.push_back(shortName(to_));
    return names;
}

}  // namespace vantor
