#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/all_actions.h"
#include "win32/table_window.h"
#include "win32/win32_support.h"

namespace vantor::win32 {

// The All Actions window in plain Win32: a top-level window owned by the
// main one, with the range (From, To, the last N logs), a filter, the table
// (a virtual list view), a note on what the columns hold, the records that
// could not be counted, a status line, and Copy and Save as CSV. It hands
// every event to AllActionsForm and shows what AllActionsForm says.
class AllActionsWindow final : public TableWindow, public AllActionsView {
public:
    // Control IDs, clear of IDOK and IDCANCEL, which Enter and Escape send.
    enum ControlId : int {
        kFromLabel = 300,
        kFrom,
        kToLabel,
        kTo,
        kLastLabel,
        kLast,
        kLastUpDown,
        kLogsLabel,
        kFilterLabel,
        kFilter,
        kTable,
        kNote,
        kProblems,
        kStatus,
        kCopy,
        kSaveCsv,
    };

    AllActionsWindow(HINSTANCE instance, HWND owner);
    ~AllActionsWindow() override;

    // Opens the window over `form`, or brings it to the front.
    void Show(AllActionsForm& form);
    // Its keys, for the message loop: Ctrl+C copies the table (but in an
    // edit box), Escape closes, Tab moves on. True when it took the message.
    bool PreTranslate(MSG& message) { return mForm != nullptr && PreTranslateFor(*mForm, message); }

    void Refresh() override;

private:
    void CreateControls() override;
    void LayOutBetween(const Frame& frame) override;
    void OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR& header) override;
    void OnFontChanged() override;
    void OnDestroy() override;

    void ShowColumns();
    void FitItemColumn();

    AllActionsForm* mForm = nullptr;
    int mColumnsShown = 0;     // in the font of now; 0: to be shown anew
    bool mItemFitted = false;  // the item column to the ledger's names
};

}  // namespace vantor::win32
