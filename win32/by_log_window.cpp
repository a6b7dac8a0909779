#include "win32/by_log_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VantorLogAnalyzerByLog";
constexpr wchar_t kChartClassName[] = L"VantorLogAnalyzerChart";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Sizes at 96 dpi.
constexpr int kStartWidth = 760;
constexpr int kStartHeight = 560;
constexpr int kSmallestWidth = 560;
constexpr int kSmallestHeight = 360;
constexpr int kGap = 8;
constexpr int kRow = 23;          // a row of controls
constexpr int kComboWidth = 150;
constexpr int kCountWidth = 56;
constexpr int kButtonWidth = 96;
constexpr int kItemColumnWidth = 180;
// The grid lines faint, the bars in kBarColor.
constexpr COLORREF kGridColor = RGB(222, 222, 222);

void RegisterClasses(HINSTANCE instance, WNDPROC window, WNDPROC chart) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = window;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly once registered
    windowClass.hIcon = windowClass.hIconSm = nullptr;
    // The chart paints all of itself, off screen: no background to erase first.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = chart;
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kChartClassName;
    RegisterClassExW(&windowClass);
}

SIZE TextSize(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

// The font selected into `dc`, for the chart's layout.
TextMetrics MetricsOf(HDC dc) {
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    return {[dc](std::string_view utf8) { return static_cast<int>(TextSize(dc, Utf8ToWide(utf8)).cx); },
            static_cast<int>(text.tmHeight)};
}

}  // namespace

ByLogWindow::ByLogWindow(HINSTANCE instance, HWND owner) : mInstance(instance), mOwner(owner) {
    RegisterClasses(instance, ViewWindowProc<ByLogWindow>, ChartProc);
}

ByLogWindow::~ByLogWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

void ByLogWindow::Show(ByLogForm& form) {
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
    if (mForm != &form) {
        mForm->Attach(nullptr);
        mForm = &form;
        form.Attach(this);
    }
    if (IsIconic(mWindow)) ShowWindow(mWindow, SW_RESTORE);
    SetForegroundWindow(mWindow);
}

bool ByLogWindow::PreTranslate(MSG& message) {
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

LRESULT ByLogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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

void ByLogWindow::OnCreate() {
    mDpi = WindowDpi(mWindow);
    mFont = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    CreateControls();
    // The chart's tip: the tip window watches the chart's mouse itself and
    // ShowChartTip sets what it says.
    mTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr, mInstance, nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(kChart));
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(mTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(mTip, TTM_SETMAXTIPWIDTH, 0, Scaled(480, mDpi));  // one line per item
    const RECT frame = FrameAround(Scaled(kStartWidth, mDpi), Scaled(kStartHeight, mDpi), kWindowStyle, mDpi);
    SetWindowPos(mWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// In tab order: the range, the filter, the table, the buttons.
void ByLogWindow::CreateControls() {
    struct Made {
        int id;
        const wchar_t* windowClass;
        const wchar_t* text;
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
        {kTable, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE},
        {kChart, kChartClassName, L"", 0, WS_EX_CLIENTEDGE},
        {kStatus, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0},
        {kCumulative, WC_BUTTONW, L"&Running total", WS_TABSTOP | BS_AUTOCHECKBOX, 0},
        {kCopy, WC_BUTTONW, L"&Copy", WS_TABSTOP | BS_PUSHBUTTON, 0},
        {kSaveCsv, WC_BUTTONW, L"&Save as CSV...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    };
    for (const Made& made : controls) {
        const HWND control = CreateWindowExW(made.extended, made.windowClass, made.text, WS_CHILD | WS_VISIBLE | made.style,
                                             0, 0, 0, 0, mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(made.id)),
                                             mInstance, made.id == kChart ? this : nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mFont.get()), FALSE);
    }
    SendMessageW(Item(kTable), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
}

// The range and the filter in a row along the top, the buttons and the
// status along the bottom; the table and the chart share what is between.
void ByLogWindow::LayOut() {
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
    place(kSaveCsv, client.right - gap - buttonWidth, bottom, buttonWidth, row);
    place(kCopy, client.right - 2 * (gap + buttonWidth), bottom, buttonWidth, row);
    const int boxWidth =
        GetSystemMetricsForDpi(SM_CXMENUCHECK, mDpi) + gap + TextSize(dc.get(), WindowText(Item(kCumulative))).cx;
    const int boxLeft = client.right - 2 * (gap + buttonWidth) - gap - boxWidth;
    place(kCumulative, boxLeft, bottom, boxWidth, row);
    place(kStatus, gap, bottom + (row - TextSize(dc.get(), L"0").cy) / 2, boxLeft - 2 * gap, row);

    const int top = y + row + gap;
    const int between = bottom - gap - top;
    const int tableHeight = between * 11 / 20;
    place(kTable, gap, top, client.right - 2 * gap, tableHeight);
    place(kChart, gap, top + tableHeight + gap, client.right - 2 * gap, between - tableHeight - gap);
}

void ByLogWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    mDpi = dpi;
    Font font = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    for (HWND child = GetWindow(mWindow, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    mFont = std::move(font);  // the old one goes once no control uses it
    SendMessageW(mTip, TTM_SETMAXTIPWIDTH, 0, Scaled(480, mDpi));
    mHeaders.clear();         // the columns' widths
    SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (mForm != nullptr) Refresh();
}

void ByLogWindow::OnDestroy() {
    if (mForm != nullptr) mForm->Attach(nullptr);
    mForm = nullptr;
    mLogNames.clear();
    mHeaders.clear();
    mTip = nullptr;  // gone with its owner
    mTipText.reset();
}

void ByLogWindow::OnCommand(int id, int code) {
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
        case kCumulative:
            if (code == BN_CLICKED) mForm->Cumulative_Change(IsDlgButtonChecked(mWindow, kCumulative) == BST_CHECKED);
            break;
        default: break;
    }
}

LRESULT ByLogWindow::OnNotify(NMHDR& header) {
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
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            if (!mRefreshing) mForm->Rows_Select(TableSelection());
            return 0;
        default: return 0;
    }
}

void ByLogWindow::Refresh() {
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
    ShowSelection();
    ShowSortArrow();
    CheckDlgButton(mWindow, kCumulative, mForm->Cumulative() ? BST_CHECKED : BST_UNCHECKED);
    SetWindowTextW(Item(kStatus), Utf8ToWide(mForm->Status()).c_str());
    InvalidateRect(Item(kChart), nullptr, FALSE);
    mTipText.reset();  // may say something else at the next move
    mRefreshing = false;
}

// Columns again only when their headers changed: a new range, not a new order.
void ByLogWindow::ShowColumns() {
    std::vector<std::string> headers;
    for (int column = 0; column < mForm->ColumnCount(); ++column) headers.push_back(mForm->Header(column));
    if (headers == mHeaders) return;
    const HWND table = Item(kTable);
    // Room beside a caption: the header's margins on either side of the
    // text and of the sort arrow, the arrow (which the header sizes by its
    // height) and the divider, so that whichever column is sorted by shows
    // its caption whole.
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    RECT headerArea{};
    GetClientRect(header, &headerArea);
    const int margin = static_cast<int>(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0));
    const int headerHeight = headerArea.bottom > 0 ? static_cast<int>(headerArea.bottom) : Scaled(kRow, mDpi);
    const int arrow = 2 * MulDiv(headerHeight, 4, 13);
    const int room = 4 * margin + arrow + Scaled(6, mDpi);
    SendMessageW(table, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(table, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int column = 0; column < static_cast<int>(headers.size()); ++column) {
        std::wstring text = Utf8ToWide(headers[static_cast<std::size_t>(column)]);
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        entry.fmt = mForm->IsNumber(column) ? LVCFMT_RIGHT : LVCFMT_LEFT;
        entry.pszText = text.data();
        entry.iSubItem = column;
        const int needed = static_cast<int>(SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
        entry.cx = std::max(column == ByLogForm::kItemColumn ? Scaled(kItemColumnWidth, mDpi) : 0, needed + room);
        SendMessageW(table, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
    }
    SendMessageW(table, WM_SETREDRAW, TRUE, 0);
    mHeaders = std::move(headers);
}

std::vector<int> ByLogWindow::TableSelection() const {
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(Item(kTable), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                             LVNI_SELECTED))) >= 0;) {
        rows.push_back(row);
    }
    return rows;
}

// The player's own selection stays as made (and its focus); the form's
// otherwise, after a new order or filter.
void ByLogWindow::ShowSelection() {
    const std::vector<int> rows = mForm->SelectedRows();
    if (rows == TableSelection()) return;
    const HWND table = Item(kTable);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (const int row : rows) {
        SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
    if (rows.empty()) return;
    state.stateMask = state.state = LVIS_FOCUSED;
    SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(rows.front()), reinterpret_cast<LPARAM>(&state));
    SendMessageW(table, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows.front()), FALSE);
}

void ByLogWindow::ShowSortArrow() {
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

LRESULT CALLBACK ByLogWindow::ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* view = reinterpret_cast<ByLogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    RECT client{};
    GetClientRect(window, &client);
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(window, &paint);
            if (view != nullptr) view->PaintChart(dc, client.right, client.bottom);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (view != nullptr) view->PaintChart(reinterpret_cast<HDC>(wParam), client.right, client.bottom);
            return 0;
        case WM_MOUSEMOVE:
            if (view != nullptr) view->ShowChartTip(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void ByLogWindow::PaintChart(HDC dc, int width, int height) const {
    if (width <= 0 || height <= 0) return;
    const MemoryDc memory(dc);
    const Bitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    const Selection canvas(memory.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    FillRect(memory.get(), &all, GetSysColorBrush(COLOR_WINDOW));
    if (mForm != nullptr) {
        const Selection font(memory.get(), mFont.get());
        const ChartPicture picture = mForm->Chart(width, height, MetricsOf(memory.get()));

        const Pen grid(CreatePen(PS_SOLID, 1, kGridColor));
        const Pen zero(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT)));
        const auto line = [&](const ChartLine& at, HPEN pen) {
            const Selection selected(memory.get(), pen);
            MoveToEx(memory.get(), at.x1, at.y1, nullptr);
            LineTo(memory.get(), at.x2, at.y2);
        };
        for (const ChartLine& at : picture.gridLines) line(at, grid.get());
        const Brush colours[kMostSeries] = {Brush(CreateSolidBrush(SeriesColour(0))),
                                            Brush(CreateSolidBrush(SeriesColour(1))),
                                            Brush(CreateSolidBrush(SeriesColour(2)))};
        for (const auto* rects : {&picture.bars, &picture.swatches}) {
            for (const ChartRect& bar : *rects) {
                const RECT rect{bar.left, bar.top, bar.right, bar.bottom};
                if (bar.right > bar.left && bar.bottom > bar.top) FillRect(memory.get(), &rect, colours[bar.series].get());
            }
        }
        if (!picture.bars.empty() || !picture.gridLines.empty()) line(picture.zeroLine, zero.get());
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextColor(memory.get(), GetSysColor(COLOR_WINDOWTEXT));
        for (const ChartText& label : picture.texts) {
            const std::wstring wide = Utf8ToWide(label.text);
            TextOutW(memory.get(), label.left, label.top, wide.c_str(), static_cast<int>(wide.size()));
        }
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void ByLogWindow::ShowChartTip(int x, int y) {
    if (mForm == nullptr || mTip == nullptr) return;
    const HWND chart = Item(kChart);
    RECT client{};
    GetClientRect(chart, &client);
    const WindowDc dc(chart);
    const Selection font(dc.get(), mFont.get());
    std::wstring text = Utf8ToWide(mForm->ChartTip(client.right, client.bottom, MetricsOf(dc.get()), x, y));
    if (text == mTipText) return;
    mTipText = std::move(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = mWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(chart);
    tool.lpszText = mTipText->data();
    SendMessageW(mTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    if (mTipText->empty()) SendMessageW(mTip, TTM_POP, 0, 0);
}

}  // namespace vantor::win32
