#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "vantor/text.h"
#include "win32/win32_support.h"

namespace vantor::win32 {

// `text` in the font selected into `dc`.
SIZE TextSize(HDC dc, std::wstring_view text);

// What the By log and All Actions windows have alike: a top-level window
// owned by the main one with the range (From, To, the last N logs) and the
// filter along the top, a virtual list view under them, and Copy and Save
// as CSV at the bottom right. A window of either kind says what lies
// between (its own controls and their places) and hands its form's events
// on; the form is a ByLogForm or an AllActionsForm, alike in these parts.
class TableWindow {
public:
    // The controls this part makes, places and reads: each window's own IDs.
    struct Ids {
        int fromLabel, from, toLabel, to, lastLabel, last, lastUpDown, logsLabel, filterLabel, filter, table, copy,
            saveCsv;
    };
    // The window class and the sizes, at 96 dpi, it starts at and shrinks to.
    struct Shape {
        const wchar_t* className;
        Ids ids;
        int startWidth, startHeight, smallestWidth, smallestHeight;
    };

    TableWindow(const TableWindow&) = delete;
    TableWindow& operator=(const TableWindow&) = delete;

    // Null while it is closed.
    HWND Window() const { return mWindow; }

protected:
    // A control of a window's own, made between the table and the buttons.
    struct Control {
        int id;
        const wchar_t* windowClass;
        std::wstring text;
        DWORD style;
        DWORD extended;
        void* param = nullptr;  // the control's creation data
    };
    // The top row and the bottom one as placed, for what goes between.
    struct Frame {
        HDC dc;  // the window's font selected
        RECT client;
        int gap, row;
        int top;          // under the top row
        int bottom;       // the bottom row's top
        int buttonsLeft;  // Copy's left edge
    };
    static constexpr int kGap = 8;
    static constexpr int kRow = 23;  // a row of controls

    TableWindow(HINSTANCE instance, HWND owner, const Shape& shape);
    // A window of either kind destroys its window itself: WM_DESTROY calls its part.
    virtual ~TableWindow() = default;

    // Opens the window over `form` (`shown` the window's own pointer to it)
    // with the table in focus, unless it is open: then false, and nothing
    // changed. True when it was open before.
    template <typename Form, typename View>
    bool Open(Form*& shown, Form& form, View& view);
    void BringToFront();
    void LayOut();
    HWND Item(int id) const { return GetDlgItem(mWindow, id); }
    void Place(int id, int left, int top, int width, int height) const;

    // The range row and the table (with `tableStyle` too), `own`, then the buttons.
    void CreateTableControls(DWORD tableStyle, std::initializer_list<Control> own);
    // Room beside a column's caption for the header's margins on either
    // side of the text and of the sort arrow, the arrow (which the header
    // sizes by its height) and the divider, so that a column sorted by shows
    // its caption whole.
    int CaptionRoom() const;
    // A column at `column`, at least `least` wide and `room` wider than its caption.
    void InsertColumn(int column, const std::string& caption, bool number, int least, int room) const;
    // The table `rows` long, its rows drawn again.
    void ShowRowCount(int rows) const;
    void ShowSortArrow(int columns, int sortColumn, bool descending) const;

    // Escape, From, To, Last, the filter, Copy and Save as CSV: true when `id` is one.
    template <typename Form>
    bool OnTableCommand(Form& form, int id, int code);
    // The table's cells and header clicks: true when `header` is one.
    template <typename Form>
    bool OnTableNotify(Form& form, const NMHDR& header);
    // Ctrl+C copies the table (but in an edit box), Escape closes, Tab moves
    // on. True when it took the message.
    template <typename Form>
    bool PreTranslateFor(Form& form, MSG& message);
    // The caption, the range and the filter as `form` has them.
    template <typename Form>
    void ShowRange(const Form& form);

    HINSTANCE mInstance;
    HWND mWindow = nullptr;
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    Font mFont;
    bool mRefreshing = false;  // the controls' notes of what Refresh does to them are not the player's

private:
    // Creates the window; false when that failed.
    bool Create();
    void ShowCreated();

    template <typename View>
    friend LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    // A window's own parts, called from its window procedure.
    virtual void CreateControls() = 0;
    virtual void LayOutBetween(const Frame& frame) = 0;
    virtual void OnCommand(int id, int code) = 0;
    virtual LRESULT OnNotify(NMHDR& header) = 0;
    // The font changed with the dpi: the sizes that follow it to be shown anew.
    virtual void OnFontChanged() = 0;
    virtual void OnDestroy() = 0;
    virtual void Refresh() = 0;

    HWND mOwner;
    Shape mShape;
    std::vector<std::string> mLogNames;  // as the drop-downs list them
};

template <typename Form, typename View>
bool TableWindow::Open(Form*& shown, Form& form, View& view) {
    if (mWindow != nullptr) return true;
    shown = &form;
    if (!Create()) return false;
    form.Attach(&view);
    ShowCreated();
    return false;
}

template <typename Form>
bool TableWindow::OnTableCommand(Form& form, int id, int code) {
    const Ids& ids = mShape.ids;
    const auto selected = [&](int combo) { return static_cast<int>(SendMessageW(Item(combo), CB_GETCURSEL, 0, 0)); };
    if (id == IDCANCEL) {
        DestroyWindow(mWindow);  // Escape
    } else if (id == ids.from) {
        if (code == CBN_SELCHANGE) form.From_Change(selected(ids.from));
    } else if (id == ids.to) {
        if (code == CBN_SELCHANGE) form.To_Change(selected(ids.to));
    } else if (id == ids.last) {
        if (code == EN_CHANGE) {
            BOOL number = FALSE;
            const UINT count = GetDlgItemInt(mWindow, ids.last, &number, FALSE);
            if (number) form.Last_Change(static_cast<int>(count));
        }
    } else if (id == ids.filter) {
        if (code == EN_CHANGE) form.Filter_Change(WideToUtf8(WindowText(Item(ids.filter))));
    } else if (id == ids.copy) {
        if (code == BN_CLICKED) form.Copy_Click();
    } else if (id == ids.saveCsv) {
        if (code == BN_CLICKED) form.SaveCsv_Click();
    } else {
        return false;
    }
    return true;
}

template <typename Form>
bool TableWindow::OnTableNotify(Form& form, const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0) {
                const std::wstring cell = Utf8ToWide(form.Cell(item.iItem, item.iSubItem));
                lstrcpynW(item.pszText, cell.c_str(), item.cchTextMax);
            }
            return true;
        }
        case LVN_COLUMNCLICK: form.Header_Click(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); return true;
        default: return false;
    }
}

template <typename Form>
bool TableWindow::PreTranslateFor(Form& form, MSG& message) {
    if (mWindow == nullptr || (message.hwnd != mWindow && !IsChild(mWindow, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        wchar_t className[16] = {};
        GetClassNameW(GetFocus(), className, 16);
        if (lstrcmpiW(className, WC_EDITW) != 0) {
            form.Copy_Click();
            return true;
        }
    }
    return IsDialogMessageW(mWindow, &message) != FALSE;
}

template <typename Form>
void TableWindow::ShowRange(const Form& form) {
    const Ids& ids = mShape.ids;
    SetWindowTextW(mWindow, Utf8ToWide(form.Caption()).c_str());
    const std::vector<std::string>& logs = form.LogNames();
    if (logs != mLogNames) {
        for (const int combo : {ids.from, ids.to}) {
            SendMessageW(Item(combo), CB_RESETCONTENT, 0, 0);
            for (const std::string& log : logs) {
                SendMessageW(Item(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(log).c_str()));
            }
        }
        SendMessageW(Item(ids.lastUpDown), UDM_SETRANGE32, 1, std::max<LPARAM>(1, static_cast<LPARAM>(logs.size())));
        mLogNames = logs;
    }
    SendMessageW(Item(ids.from), CB_SETCURSEL, static_cast<WPARAM>(form.From()), 0);
    SendMessageW(Item(ids.to), CB_SETCURSEL, static_cast<WPARAM>(form.To()), 0);
    // What the player is typing stays as typed.
    const std::wstring count = logs.empty() ? L"" : std::to_wstring(form.To() - form.From() + 1);
    if (GetFocus() != Item(ids.last) && WindowText(Item(ids.last)) != count) SetWindowTextW(Item(ids.last), count.c_str());
    const std::wstring filter = Utf8ToWide(form.Filter());
    if (WindowText(Item(ids.filter)) != filter) SetWindowTextW(Item(ids.filter), filter.c_str());
}

}  // namespace vantor::win32
