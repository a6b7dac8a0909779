#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "vantor/ledger.h"
#include "vantor/session.h"
#include "ui/log_table.h"

namespace vantor {

class FormView;

// The All Actions window as a toolkit draws it.
class AllActionsView {
public:
    virtual ~AllActionsView() = default;
    // What AllActionsForm offers changed (the logs, the range, the table,
    // the status): show it again, asking AllActionsForm for each part.
    virtual void Refresh() = 0;
};

// The All Actions window's behaviour, whatever the toolkit: a player's
// ledger, every item with what was picked up, sold, bought from NPCs and
// bought from player shops and the net of them, over a range of logs,
// sortable by any column and filtered by name. The ledger is read on a
// thread of its own; what it finds reaches the window's thread through
// FormView::Post.
//
// While the main window follows the logs, a Session column after Net shows
// each row's gain of its net this session, by the rule of SessionStart. The
// session's start is a reading of the ledger that Form1 asks for when the
// follow's first tally arrives and at New Session (BeginSession), whether
// the window is open or not, so that it begins with the main list's
// session; records the game writes between that tally and that reading
// count in the start, not in the gain.
class AllActionsForm : public LogTable, private ScanObserver {
public:
    // The table's columns, one table: the item, then the numbers.
    static constexpr int kNetColumn = 5;
    static constexpr int kSessionColumn = 6;  // while following

    // `owner` is the main window, for posting, the clipboard and the dialogs.
    explicit AllActionsForm(FormView& owner);
    // Stops a reading after the current log.
    ~AllActionsForm() override;
    AllActionsForm(const AllActionsForm&) = delete;
    AllActionsForm& operator=(const AllActionsForm&) = delete;

    // Reads the ledger of `player` (as typed) in the logs of `folder` in
    // `codePage`, unless it holds or is reading that one already (and the
    // last reading of it did not fail). A new ledger shows every log; the
    // filter and the order stay.
    void Read(const std::string& folder, const std::string& player, unsigned codePage);
    // The toolkit's window while it is open; nullptr once it is closed.
    void Attach(AllActionsView* view);
    bool Reading() const { return reading_; }

    // Whether the main window follows the logs: the Session column shows
    // (its gains 0 until a session begins) or goes.
    void Follow(bool following);
    // The follow's session began (its first tally, or New Session): the
    // ledger of `player` in `folder` is read again, and that reading is the
    // session's start, its gains 0 until then.
    void BeginSession(const std::string& folder, const std::string& player, unsigned codePage);
    // A follow update changed the tally: the ledger is read again in the
    // background while the window is open (once more after the reading
    // under way, if one is), else when it opens next. The range, the filter
    // and the order stay, and a range that reached the last log reaches the
    // new last log.
    void TallyChanged();

    // The view's events, besides the range's, the filter's and the
    // header's (LogTable).
    // The shown rows with the header, tab-separated, onto the clipboard.
    void Copy_Click();
    // The same as CSV into a file the player chooses (SaveCsvTable), named
    // after the player and the range: "Alia-All-Actions-ActionLog0101-ActionLog0103.csv".
    void SaveCsv_Click();

    // What the view shows. Texts are UTF-8.
    std::string Caption() const;  // "All Actions: Alia"
    const std::vector<std::string>& LogNames() const override;
    int ColumnCount() const override;
    std::string Header(int column) const;
    std::string Cell(int row, int column) const;
    // What the columns hold and why a name is its own row, in a sentence or two.
    static std::string Note();
    // "Reading ActionLog0102.txt", then "12 of 40 items, 7 logs:
    // ActionLog0101.txt to ActionLog0107.txt, 1 skipped", or why nothing
    // is listed.
    std::string Status() const;
    // The records that could not be counted, the first named: empty when none.
    std::string Problems() const;

private:
    struct Read_;

    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;
    // `keep`: the ledger shown stays until the new one comes, and its range with it.
    void Start(bool keep);
    void Stop();
    void OnRead(const std::shared_ptr<Read_>& read);
    void Rebuild() override;
    void Reorder() override;
    void Changed();
    std::int64_t Value(std::size_t index, int column) const override;  // of rows_[index]
    std::string Table(char separator, bool quoted) const;

    FormView& owner_;
    AllActionsView* view_ = nullptr;

    // What is read or being read: folder, player, code page.
    std::string folder_;
    std::string player_;
    unsigned codePage_ = 0;
    bool failed_ = false;
    std::shared_ptr<const LedgerOutcome> outcome_;
    std::optional<std::string> error_;  // why the last reading found no logs

    std::thread worker_;
    std::atomic<bool> stop_{false};
    bool reading_ = false;
    unsigned generation_ = 0;  // of the reading whose outcome is awaited
    mutable std::mutex progressLock_;
    std::string progress_;     // the log being read
    std::atomic<bool> progressPosted_{false};

    std::vector<LedgerRow> rows_;           // the range's rows

    // The follow's session: whether it runs, what it began with (none until
    // the reading asked for at its start is done), and the readings owed.
    bool following_ = false;
    std::optional<SessionStart> session_;
    bool startWanted_ = false;  // the next reading is the session's start
    bool again_ = false;        // the tally changed during a reading
    bool stale_ = false;        // the tally changed while the window was closed
    std::vector<std::int64_t> gains_;  // by rows_, while following
};

}  // namespace vantor
