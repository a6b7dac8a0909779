#include "ui/all_actions.h"

#include <algorithm>
#include <array>

#include "vantor/code_page.h"
#include "vantor/run_error.h"
#include "vantor/text.h"
#include "ui/by_log.h"
#include "ui/controls.h"
#include "ui/csv_save.h"
#include "ui/form1.h"
#include "ui/form_view.h"
#include "ui/wording.h"

namespace vantor {

namespace {

// The columns, in the order of LedgerRow::totals after the item; Net last.
// One table, so that a column can join them.
constexpr std::array<std::string_view, 6> kHeaders = {"Item", "Picked Up", "Sold", "Bought", "Shop", "Net"};

}  // namespace

// What a reading left for the window's thread.
struct AllActionsForm::Read_ {
    std::shared_ptr<const LedgerOutcome> outcome;
    std::optional<std::string> error;
    bool keep = false;
};

AllActionsForm::AllActionsForm(FormView& owner) : owner_(owner) {}

AllActionsForm::~AllActionsForm() { Stop(); }

void AllActionsForm::Read(const std::string& folder, const std::string& player, unsigned codePage) {
    const bool same = folder == folder_ && player == player_ && codePage == codePage_ && !failed_;
    if (same && (reading_ || outcome_)) {
        // Closed while the tally changed: read again, as if open.
        if (std::exchange(stale_, false) && !reading_) Start(true);
        return;
    }
    folder_ = folder;
    player_ = player;
    codePage_ = codePage;
    // Another player's ledger in mid-session: its start is its first reading.
    startWanted_ = following_;
    session_.reset();
    Start(false);
}

void AllActionsForm::BeginSession(const std::string& folder, const std::string& player, unsigned codePage) {
    const bool same = folder == folder_ && player == player_ && codePage == codePage_ && outcome_ && !failed_;
    folder_ = folder;
    player_ = player;
    codePage_ = codePage;
    following_ = true;
    session_.reset();
    startWanted_ = true;
    Start(same);
}

void AllActionsForm::TallyChanged() {
    if (!following_) return;
    if (view_ == nullptr) {
        stale_ = true;
    } else if (reading_) {
        again_ = true;
    } else {
        Start(true);
    }
}

void AllActionsForm::Follow(bool following) {
    if (following == following_) return;
    following_ = following;
    session_.reset();
    startWanted_ = again_ = stale_ = false;
    if (sortColumn_ == kSessionColumn) sortColumn_ = -1;
    Rebuild();
}

void AllActionsForm::Start(bool keep) {
    Stop();
    stale_ = again_ = false;
    if (!keep) {
        failed_ = false;
        error_.reset();
        outcome_.reset();
    }
    {
        const std::lock_guard lock(progressLock_);
        progress_.clear();
    }
    stop_ = false;
    reading_ = true;
    const unsigned generation = ++generation_;
    worker_ = std::thread([this, folder = folder_, player = player_, codePage = codePage_, generation, keep] {
        auto read = std::make_shared<Read_>();
        read->keep = keep;
        try {
            read->outcome = std::make_shared<const LedgerOutcome>(LedgerFolder(folder, player, codePage, this));
        } catch (const RunError& error) {
            // The player cannot be written in the code page, or there is no such folder.
            read->error = error.kind() == ErrorKind::InvalidArgument
                              ? error.detail() + "; choose another under " + std::string(kCodePageMenu)
                              : DescribeFolderError(error);
        }
        owner_.Post([this, read, generation] {
            if (generation == generation_) OnRead(read);
        });
    });
    Rebuild();
}

void AllActionsForm::Stop() {
    if (!worker_.joinable()) return;
    stop_ = true;
    worker_.join();
    ++generation_;  // what it posted is left unshown
    reading_ = false;
}

bool AllActionsForm::BeforeLog(std::string_view name, std::size_t, std::size_t) {
    {
        const std::lock_guard lock(progressLock_);
        progress_ = name;
    }
    // One update on its way at a time: thousands of small logs would keep
    // the window busy repainting.
    if (!progressPosted_.exchange(true)) {
        owner_.Post([this] {
            progressPosted_ = false;
            if (reading_ && outcome_ == nullptr) Changed();
        });
    }
    return !stop_;
}

void AllActionsForm::OnRead(const std::shared_ptr<Read_>& read) {
    if (worker_.joinable()) worker_.join();
    reading_ = false;
    error_ = read->error;
    failed_ = read->error.has_value();
    const std::shared_ptr<const LedgerOutcome> previous = std::exchange(outcome_, read->outcome);
    const int oldCount = previous != nullptr ? static_cast<int>(previous->logs.size()) : 0;
    const bool toLast = to_ == oldCount - 1;
    const std::vector<std::string>& logs = LogNames();
    const int count = static_cast<int>(logs.size());
    // Read again for the same logs and more: the range stays, as a new Go!
    // over the same logs keeps By log's.
    const bool sameLogs = read->keep && oldCount > 0 && oldCount <= count &&
                          std::equal(previous->logs.begin(), previous->logs.end(), logs.begin());
    if (sameLogs) {
        to_ = toLast ? count - 1 : to_;
    } else {
        from_ = 0;
        to_ = count - 1;
    }
    if (std::exchange(startWanted_, false)) {
        session_ = outcome_ != nullptr ? SessionStart(outcome_->rows, &LedgerRow::Net) : SessionStart();
    }
    Rebuild();
    if (std::exchange(again_, false)) Start(true);
}

void AllActionsForm::Attach(AllActionsView* view) {
    view_ = view;
    Changed();
}

void AllActionsForm::Changed() {
    if (view_ != nullptr) view_->Refresh();
}

const std::vector<std::string>& AllActionsForm::LogNames() const {
    static const std::vector<std::string> none;
    return outcome_ != nullptr ? outcome_->logs : none;
}

int AllActionsForm::ColumnCount() const { return static_cast<int>(kHeaders.size()) + (following_ ? 1 : 0); }

std::string AllActionsForm::Header(int column) const {
    if (column < 0 || column >= ColumnCount()) return {};
    if (column == kSessionColumn) return "Session";
    return std::string(kHeaders[static_cast<std::size_t>(column)]);
}

std::int64_t AllActionsForm::Value(std::size_t index, int column) const {
    if (column == kSessionColumn) return gains_[index];
    const LedgerRow& row = rows_[index];
    if (column == kNetColumn) return row.Net();
    return row.totals[static_cast<std::size_t>(column - 1)];
}

std::string AllActionsForm::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    const std::size_t index = shown_[static_cast<std::size_t>(row)];
    if (column == kItemColumn) return rows_[index].item;
    return column == kSessionColumn ? GainText(gains_[index]) : std::to_string(Value(index, column));
}

std::string AllActionsForm::Caption() const { return player_.empty() ? "All Actions" : "All Actions: " + player_; }

std::string AllActionsForm::Note() {
    return "Sold and Bought are with NPCs, Shop is bought from player shops, Net is picked up and bought less sold. "
           "Each full name is its own row, as Exact Names counts them: the merged rows of the four actions cannot be "
           "joined row to row.";
}

std::string AllActionsForm::Status() const {
    if (reading_ && outcome_ == nullptr) {
        const std::lock_guard lock(progressLock_);
        return progress_.empty() ? "Reading the logs" : "Reading " + progress_;
    }
    if (error_) return *error_;
    if (outcome_ == nullptr) return {};
    const std::vector<std::string>& logs = outcome_->logs;
    if (logs.empty()) return "No ActionLog*.txt in this folder";
    std::string status;
    if (outcome_->rows.empty()) {
        const std::string read = Counted(outcome_->logsRead, "log", "logs");
        status = NoRecordText(player_, outcome_->similarPlayers, read);
        if (status.empty()) status = "No record of " + Quoted(player_) + " in " + read;
    } else {
        const int count = to_ - from_ + 1;
        status = std::to_string(RowCount()) + " of " + Counted(rows_.size(), "item, ", "items, ") +
                 Counted(static_cast<std::size_t>(count), "log: ", "logs: ") + logs[static_cast<std::size_t>(from_)];
        if (count > 1) status += " to " + logs[static_cast<std::size_t>(to_)];
    }
    return status + SkippedText(outcome_->problems, outcome_->problemCount);
}

std::string AllActionsForm::Problems() const {
    if (outcome_ == nullptr || outcome_->problems.empty()) return {};
    const auto [records, logs] = ProblemCounts(outcome_->problems, outcome_->problemCount);
    std::string text;
    if (records > 0) text = Counted(records, "record", "records") + " could not be counted";
    if (logs > 0) text += (text.empty() ? "" : " and ") + Counted(logs, "log", "logs") + " could not be read to the end";
    text += "; the totals leave " + std::string(records + logs == 1 ? "it" : "them") + " out. ";
    if (records + logs > 1) text += "The first: ";
    const RunError& first = outcome_->problems.front();
    text += EscapeControlBytes(first.file());
    if (first.line() == 0) return text + " could not be read to its end: " + EscapeControlBytes(first.detail());
    return text + ", line " + std::to_string(first.line()) + ": " + Quoted(EscapeControlBytes(first.item())) + ", " +
           EscapeControlBytes(first.detail());
}

void AllActionsForm::Rebuild() {
    rows_.clear();
    foldedNames_.clear();
    gains_.clear();
    std::vector<std::size_t> indexes;  // into outcome_->rows
    if (outcome_ != nullptr && to_ >= from_ && from_ >= 0) {
        if (from_ == 0 && to_ + 1 == static_cast<int>(outcome_->logs.size())) {
            rows_ = outcome_->rows;
            for (std::size_t index = 0; index < rows_.size(); ++index) indexes.push_back(index);
        } else {
            rows_ = LedgerRowsInRange(*outcome_, static_cast<std::size_t>(from_), static_cast<std::size_t>(to_), &indexes);
        }
    }
    if (following_) {
        // A row's gain is its whole ledger's, whatever the range.
        const std::vector<std::int64_t> gains = session_ && outcome_ != nullptr
                                                    ? session_->Gains(outcome_->rows, &LedgerRow::Net)
                                                    : std::vector<std::int64_t>(outcome_ != nullptr ? outcome_->rows.size() : 0);
        for (const std::size_t index : indexes) gains_.push_back(gains[index]);
    }
    // Compared at every keystroke in the filter and in every sort by name.
    for (const LedgerRow& row : rows_) foldedNames_.push_back(FoldedUtf8(row.item));
    Reorder();
}

void AllActionsForm::Reorder() {
    FilterAndSort();
    Changed();
}

std::string AllActionsForm::Table(char separator, bool quoted) const {
    std::string table;
    for (int row = -1; row < RowCount(); ++row) {
        for (int column = 0; column < ColumnCount(); ++column) {
            // The gains as plain numbers, for a spreadsheet to sum.
            const std::string cell = row < 0 ? Header(column)
                                     : column == kSessionColumn
                                         ? std::to_string(Value(shown_[static_cast<std::size_t>(row)], column))
                                         : Cell(row, column);
            if (column > 0) table += separator;
            table += quoted && (row < 0 || column == kItemColumn) ? CsvQuoted(cell) : cell;
        }
        table += "\r\n";
    }
    return table;
}

void AllActionsForm::Copy_Click() {
    if (RowCount() > 0) owner_.SetClipboardText(Table('\t', false));
}

void AllActionsForm::SaveCsv_Click() {
    std::vector<std::string> parts{player_, "All Actions"};
    for (std::string& log : RangeNames()) parts.push_back(std::move(log));
    SaveCsvTable(owner_, parts, Table(',', true));
}

}  // namespace vantor
