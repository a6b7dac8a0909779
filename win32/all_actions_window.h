#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/all_actions.h"
#include "win32/win32_support.h"

namespace vantor::win32 {

// The All Actions window in plain Win32: a top-level window owned by the
// main one, with the range (From, To, the last N logs), a filter, the table
// (a virtual list view), a note on what the columns hold, the records that
// could not be counted, a status line, and Copy and Save as CSV. It hands
// every event to AllActionsForm and shows what AllActionsForm says.
class AllActionsWindow final : public AllActionsView {
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
    AllActionsWindow(const AllActionsWindow&) = delete;
    AllActionsWindow& operator=(const AllActionsWindow&) = delete;

    // Opens the window over `form`, or brings it to the front.
    void Show(AllActionsForm& form);
    // Null while it is closed.
    HWND Window() const { return mWindow; }
    // Its keys, for the message loop: Ctrl+C copies the table (but in an
    // edit box), Escape closes, Tab moves on. True when it took the message.
    bool PreTranslate(MSG& message);

    void Refresh() override;

private:
    template <typename View>
    friend LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnCommand(int id, int code);
    LRESULT OnNotify(NMHDR& header);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnDestroy();

    void CreateControls();
    void LayOut();
    void ShowColumns();
    void FitItemColumn();
    void ShowSortArrow();
    HWND Item(int id) const { return GetDlgItem(mWindow, id); }

    HINSTANCE mInstance;
    HWND mOwner;
    HWND mWindow = nullptr;
    AllActionsForm* mForm = nullptr;
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    Font mFont;
    bool mRefreshing = false;  // the controls' notes of what Refresh does to them are not the player's
    std::vector<std::string> mLogNames;  // as the drop-downs list them
    int mColumnsShown = 0;               // in the font of now; 0: to be shown anew
    bool mItemFitted = false;            // the item column to the ledger's names
};

}  // namespace vantor::win32
