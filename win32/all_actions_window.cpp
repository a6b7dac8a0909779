#include "win32/all_actions_window.h"

#include <commctrl.h>

#include <algorithm>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VantorLogAnalyzerAllActions";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Sizes at 96 dpi.
constexpr int kStartWidth = 720;
constexpr int kStartHeight = 480;
constexpr int kSmallestWidth = 560;
constexpr int kSmallestHeight = 320;
constexpr int kGap = 8;
constexpr int kRow = 23;  // a row of controls
constexpr int kComboWidth = 150;
constexpr int kCountWidth = 56;
constexpr int kButtonWidth = 96;
constexpr int kItemColumnWidth = 220;

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly once registered
}

SIZE TextSize(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace

AllActionsWindow::AllActionsWindow(HINSTANCE instance, HWND owner) : mInstance(instance), mOwner(owner) {
    RegisterWindowClass(instance, ViewWindowProc<AllActionsWindow>);
}

AllActionsWindow::~AllActionsWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

void AllActionsWindow::Show(AllActionsForm& form) {
    if (mWindow == nullptr) {
        mForm = &form;
        CreateWindowExW(0, kClassName, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        mOwner, nullptr, mInstance, this);
        if (mWindow == nullptr) return;
        form.Attach(this);
        ShowWindow(mWindow, SW_SHOWNORMAL);
        SetFocus(Item(kTable));
        return;
    }
    if (IsIconic(mWindow)) ShowWindow(mWindow, SW_RESTORE);
    SetForegroundWindow(mWindow);
}

bool AllActionsWindow::PreTranslate(MSG& message) {
    if (mWindow == nullptr || (message.hwnd != mWindow && !IsChild(mWindow, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        wchar_t className[16] = {};
        GetClassNameW(GetFocus(), className, 16);
        if (lstrcmpiW(className, WC_EDITW) != 0) {
            mForm->Copy_Click();
            return true;
        }
    }
    return IsDialogMessageW(mWindow, &message) != FALSE;
}

LRESULT AllActionsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_SIZE: LayOut(); return 0;
        case WM_GETMINMAXINFO: {
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            const RECT frame = FrameAround(Scaled(kSmallestWidth, mDpi), Scaled(kSmallestHeight, mDpi), kWindowStyle, mDpi);
            limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: DestroyWindow(mWindow); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: break;
    }
    return DefWindowProcW(mWindow, message, wParam, lParam);
}

void AllActionsWindow::OnCreate() {
    mDpi = WindowDpi(mWindow);
    mFont = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    CreateControls();
    const RECT frame = FrameAround(Scaled(kStartWidth, mDpi), Scaled(kStartHeight, mDpi), kWindowStyle, mDpi);
    SetWindowPos(mWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// In tab order: the range, the filter, the table, the buttons.
void AllActionsWindow::CreateControls() {
    struct Made {
        int id;
        const wchar_t* windowClass;
        std::wstring text;
        DWORD style;
        DWORD extended;
    };
    const Made controls[] = {
        {kFromLabel, WC_STATICW, L"&From:", SS_LEFT, 0},
        {kFrom, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
        {kToLabel, WC_STATICW, L"&To:", SS_LEFT, 0},
        {kTo, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
        {kLastLabel, WC_STATICW, L"&Last", SS_LEFT, 0},
        {kLast, WC_EDITW, L"", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {kLastUpDown, UPDOWN_CLASSW, L"",
         UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_AUTOBUDDY, 0},
        {kLogsLabel, WC_STATICW, L"logs", SS_LEFT, 0},
        {kFilterLabel, WC_STATICW, L"F&ilter:", SS_LEFT, 0},
        {kFilter, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {kTable, WC_LISTVIEWW, L"",
         WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE},
        {kNote, WC_STATICW, Utf8ToWide(AllActionsForm::Note()), SS_LEFT | SS_NOPREFIX, 0},
        {kProblems, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0},
        {kStatus, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0},
        {kCopy, WC_BUTTONW, L"&Copy", WS_TABSTOP | BS_PUSHBUTTON, 0},
        {kSaveCsv, WC_BUTTONW, L"&Save as CSV...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    };
    for (const Made& made : controls) {
        const HWND control = CreateWindowExW(made.extended, made.windowClass, made.text.c_str(),
                                             WS_CHILD | WS_VISIBLE | made.style, 0, 0, 0, 0, mWindow,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(made.id)), mInstance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mFont.get()), FALSE);
    }
    SendMessageW(Item(kTable), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
}

// The range and the filter in a row along the top; the buttons and the
// status along the bottom, the problems and the note above them (each as
// many lines as it wraps to); the table between.
void AllActionsWindow::LayOut() {
    if (Item(kTable) == nullptr) return;  // WM_SIZE comes before WM_CREATE's controls
    RECT client{};
    GetClientRect(mWindow, &client);
    const int gap = Scaled(kGap, mDpi);
    const int row = Scaled(kRow, mDpi);
    const WindowDc dc(mWindow);
    const Selection font(dc.get(), mFont.get());
    const auto place = [&](int id, int left, int top, int width, int height) {
        SetWindowPos(Item(id), nullptr, left, top, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const auto label = [&](int id, int& x, int y) {
        const SIZE size = TextSize(dc.get(), WindowText(Item(id)));
        place(id, x, y + (row - size.cy) / 2, size.cx + 2, size.cy);
        x += size.cx + 2 + gap / 2;
    };
    int x = gap;
    const int y = gap;
    label(kFromLabel, x, y);
    place(kFrom, x, y, Scaled(kComboWidth, mDpi), row + Scaled(240, mDpi));  // with its drop-down
    x += Scaled(kComboWidth, mDpi) + gap;
    label(kToLabel, x, y);
    place(kTo, x, y, Scaled(kComboWidth, mDpi), row + Scaled(240, mDpi));
    x += Scaled(kComboWidth, mDpi) + gap;
    label(kLastLabel, x, y);
    place(kLast, x, y, Scaled(kCountWidth, mDpi), row);
    SendMessageW(Item(kLastUpDown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(kLast)), 0);  // fits itself to it
    x += Scaled(kCountWidth, mDpi) + gap / 2;
    label(kLogsLabel, x, y);
    x += gap;
    label(kFilterLabel, x, y);
    place(kFilter, x, y, client.right - gap - x, row);

    const int bottom = client.bottom - gap - row;
    const int buttonWidth = Scaled(kButtonWidth, mDpi);
    const int lineHeight = TextSize(dc.get(), L"0").cy;
    place(kSaveCsv, client.right - gap - buttonWidth, bottom, buttonWidth, row);
    place(kCopy, client.right - 2 * (gap + buttonWidth), bottom, buttonWidth, row);
    place(kStatus, gap, bottom + (row - lineHeight) / 2, client.right - 3 * gap - 2 * (gap + buttonWidth), row);
    const int width = client.right - 2 * gap;
    const auto wrapped = [&](int id) {
        const std::wstring text = WindowText(Item(id));
        RECT area{0, 0, width, 0};
        if (!text.empty()) DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return static_cast<int>(area.bottom);
    };
    const int problemsHeight = wrapped(kProblems);
    const int problems = bottom - gap / 2 - problemsHeight;
    place(kProblems, gap, problems, width, problemsHeight);
    const int noteHeight = wrapped(kNote);
    const int noteTop = problems - gap / 2 - noteHeight;
    place(kNote, gap, noteTop, width, noteHeight);
    const int top = y + row + gap;
    place(kTable, gap, top, width, noteTop - gap - top);
}

void AllActionsWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    mDpi = dpi;
    Font font = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    for (HWND child = GetWindow(mWindow, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    mFont = std::move(font);  // the old one goes once no control uses it
    mColumnsShown = 0;        // the columns' widths
    mItemFitted = false;
    SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (mForm != nullptr) Refresh();
}

void AllActionsWindow::OnDestroy() {
    if (mForm != nullptr) mForm->Attach(nullptr);
    mLogNames.clear();
    mColumnsShown = 0;
    mItemFitted = false;
}

void AllActionsWindow::OnCommand(int id, int code) {
    if (mRefreshing || mForm == nullptr) return;
    const auto selected = [&](int combo) { return static_cast<int>(SendMessageW(Item(combo), CB_GETCURSEL, 0, 0)); };
    switch (id) {
        case IDCANCEL: DestroyWindow(mWindow); break;  // Escape
        case kFrom:
            if (code == CBN_SELCHANGE) mForm->From_Change(selected(kFrom));
            break;
        case kTo:
            if (code == CBN_SELCHANGE) mForm->To_Change(selected(kTo));
            break;
        case kLast:
            if (code == EN_CHANGE) {
                BOOL number = FALSE;
                const UINT count = GetDlgItemInt(mWindow, kLast, &number, FALSE);
                if (number) mForm->Last_Change(static_cast<int>(count));
            }
            break;
        case kFilter:
            if (code == EN_CHANGE) mForm->Filter_Change(WideToUtf8(WindowText(Item(kFilter))));
            break;
        case kCopy:
            if (code == BN_CLICKED) mForm->Copy_Click();
            break;
        case kSaveCsv:
            if (code == BN_CLICKED) mForm->SaveCsv_Click();
            break;
        default: break;
    }
}

LRESULT AllActionsWindow::OnNotify(NMHDR& header) {
    if (header.idFrom != kTable || mForm == nullptr) return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
            if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0) {
                const std::wstring cell = Utf8ToWide(mForm->Cell(item.iItem, item.iSubItem));
                lstrcpynW(item.pszText, cell.c_str(), item.cchTextMax);
            }
            return 0;
        }
        case LVN_COLUMNCLICK: mForm->Header_Click(reinterpret_cast<NMLISTVIEW&>(header).iSubItem); return 0;
        default: return 0;
    }
}

void AllActionsWindow::Refresh() {
    if (mWindow == nullptr || mForm == nullptr) return;
    mRefreshing = true;
    SetWindowTextW(mWindow, Utf8ToWide(mForm->Caption()).c_str());
    const std::vector<std::string>& logs = mForm->LogNames();
    if (logs != mLogNames) {
        for (const int combo : {kFrom, kTo}) {
            SendMessageW(Item(combo), CB_RESETCONTENT, 0, 0);
            for (const std::string& log : logs) {
                SendMessageW(Item(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(log).c_str()));
            }
        }
        SendMessageW(Item(kLastUpDown), UDM_SETRANGE32, 1, std::max<LPARAM>(1, static_cast<LPARAM>(logs.size())));
        mLogNames = logs;
    }
    SendMessageW(Item(kFrom), CB_SETCURSEL, static_cast<WPARAM>(mForm->From()), 0);
    SendMessageW(Item(kTo), CB_SETCURSEL, static_cast<WPARAM>(mForm->To()), 0);
    // What the player is typing stays as typed.
    const std::wstring count = logs.empty() ? L"" : std::to_wstring(mForm->To() - mForm->From() + 1);
    if (GetFocus() != Item(kLast) && WindowText(Item(kLast)) != count) SetWindowTextW(Item(kLast), count.c_str());
    const std::wstring filter = Utf8ToWide(mForm->Filter());
    if (WindowText(Item(kFilter)) != filter) SetWindowTextW(Item(kFilter), filter.c_str());
    ShowColumns();
    SendMessageW(Item(kTable), LVM_SETITEMCOUNT, static_cast<WPARAM>(mForm->RowCount()), LVSICF_NOSCROLL);
    InvalidateRect(Item(kTable), nullptr, FALSE);
    ShowSortArrow();
    // A new ledger; one read again while following keeps the widths the player gave.
    if (mForm->Reading() && mForm->RowCount() == 0) mItemFitted = false;
    if (!mItemFitted && mForm->RowCount() > 0) FitItemColumn();
    const std::wstring problems = Utf8ToWide(mForm->Problems());
    if (WindowText(Item(kProblems)) != problems) {
        SetWindowTextW(Item(kProblems), problems.c_str());
        LayOut();  // its lines
    }
    SetWindowTextW(Item(kStatus), Utf8ToWide(mForm->Status()).c_str());
    mRefreshing = false;
}

// The item column as wide as a new ledger's longest name, up to half the table.
void AllActionsWindow::FitItemColumn() {
    const HWND table = Item(kTable);
    RECT area{};
    GetClientRect(table, &area);
    const int least = Scaled(kItemColumnWidth, mDpi);
    int widest = least;
    for (int row = 0; row < mForm->RowCount() && row < 5000; ++row) {
        const std::wstring name = Utf8ToWide(mForm->Cell(row, AllActionsForm::kItemColumn));
        const auto width = SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(name.c_str()));
        widest = std::max(widest, static_cast<int>(width) + Scaled(14, mDpi));  // and the cell's margins
    }
    widest = std::min(widest, std::max(static_cast<int>(area.right) / 2, least));
    SendMessageW(table, LVM_SETCOLUMNWIDTH, AllActionsForm::kItemColumn, widest);
    mItemFitted = true;
}

// Each column wide enough for its caption beside the sort arrow: the
// header's margins on either side of the text and of the arrow (which the
// header sizes by its height) and the divider. A column that comes or goes
// (Session, while following) is added or taken at the end, so the others
// keep the widths the player gave them.
void AllActionsWindow::ShowColumns() {
    const int columns = mForm->ColumnCount();
    if (mColumnsShown == columns) return;
    const HWND table = Item(kTable);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    RECT headerArea{};
    GetClientRect(header, &headerArea);
    const int margin = static_cast<int>(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0));
    const int headerHeight = headerArea.bottom > 0 ? static_cast<int>(headerArea.bottom) : Scaled(kRow, mDpi);
    const int room = 4 * margin + 2 * MulDiv(headerHeight, 4, 13) + Scaled(6, mDpi);
    SendMessageW(table, WM_SETREDRAW, FALSE, 0);
    if (mColumnsShown == 0) {
        while (SendMessageW(table, LVM_DELETECOLUMN, 0, 0)) {
        }
    }
    for (int column = mColumnsShown - 1; column >= columns; --column) SendMessageW(table, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
    for (int column = mColumnsShown; column < columns; ++column) {
        std::wstring text = Utf8ToWide(mForm->Header(column));
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        entry.fmt = mForm->IsNumber(column) ? LVCFMT_RIGHT : LVCFMT_LEFT;
        entry.pszText = text.data();
        entry.iSubItem = column;
        const int needed = static_cast<int>(SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
        entry.cx = std::max(column == AllActionsForm::kItemColumn ? Scaled(kItemColumnWidth, mDpi) : Scaled(64, mDpi),
                            needed + room);
        SendMessageW(table, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
    }
    SendMessageW(table, WM_SETREDRAW, TRUE, 0);
    mColumnsShown = columns;
}

void AllActionsWindow::ShowSortArrow() {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(Item(kTable), LVM_GETHEADER, 0, 0));
    for (int column = 0; column < mForm->ColumnCount(); ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == mForm->SortColumn()) item.fmt |= mForm->SortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace vantor::win32
