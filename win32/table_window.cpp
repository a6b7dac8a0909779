#include "win32/table_window.h"

namespace vantor::win32 {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Sizes at 96 dpi.
constexpr int kComboWidth = 150;
constexpr int kCountWidth = 56;
constexpr int kButtonWidth = 96;

}  // namespace

TableWindow::TableWindow(HINSTANCE instance, HWND owner, const Shape& shape)
    : mInstance(instance), mOwner(owner), mShape(shape) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ViewWindowProc<TableWindow>;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = shape.className;
    RegisterClassExW(&windowClass);  // fails harmlessly once registered
}

bool TableWindow::Create() {
    CreateWindowExW(0, mShape.className, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    mOwner, nullptr, mInstance, this);
    return mWindow != nullptr;
}

void TableWindow::ShowCreated() {
    ShowWindow(mWindow, SW_SHOWNORMAL);
    SetFocus(Item(mShape.ids.table));
}

void TableWindow::BringToFront() {
    if (IsIconic(mWindow)) ShowWindow(mWindow, SW_RESTORE);
    SetForegroundWindow(mWindow);
}

LRESULT TableWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_SIZE: LayOut(); return 0;
        case WM_GETMINMAXINFO: {
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            const RECT frame =
                FrameAround(Scaled(mShape.smallestWidth, mDpi), Scaled(mShape.smallestHeight, mDpi), kWindowStyle, mDpi);
            limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: DestroyWindow(mWindow); return 0;
        case WM_DESTROY:
            OnDestroy();
            mLogNames.clear();
            return 0;
        default: break;
    }
    return DefWindowProcW(mWindow, message, wParam, lParam);
}

void TableWindow::OnCreate() {
    mDpi = WindowDpi(mWindow);
    mFont = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    CreateControls();
    const RECT frame = FrameAround(Scaled(mShape.startWidth, mDpi), Scaled(mShape.startHeight, mDpi), kWindowStyle, mDpi);
    SetWindowPos(mWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TableWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    mDpi = dpi;
    Font font = CreateChosenFont({"", MessageFontPoints(mDpi)}, mDpi);
    for (HWND child = GetWindow(mWindow, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    mFont = std::move(font);  // the old one goes once no control uses it
    OnFontChanged();
    SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Refresh();
}

// In tab order: the range, the filter, the table, the window's own, the buttons.
void TableWindow::CreateTableControls(DWORD tableStyle, std::initializer_list<Control> own) {
    const Ids& ids = mShape.ids;
    const Control range[] = {
        {ids.fromLabel, WC_STATICW, L"&From:", SS_LEFT, 0},
        {ids.from, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
        {ids.toLabel, WC_STATICW, L"&To:", SS_LEFT, 0},
        {ids.to, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0},
        {ids.lastLabel, WC_STATICW, L"&Last", SS_LEFT, 0},
        {ids.last, WC_EDITW, L"", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {ids.lastUpDown, UPDOWN_CLASSW, L"",
         UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_AUTOBUDDY, 0},
        {ids.logsLabel, WC_STATICW, L"logs", SS_LEFT, 0},
        {ids.filterLabel, WC_STATICW, L"F&ilter:", SS_LEFT, 0},
        {ids.filter, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
        {ids.table, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | tableStyle,
         WS_EX_CLIENTEDGE},
    };
    const Control buttons[] = {
        {ids.copy, WC_BUTTONW, L"&Copy", WS_TABSTOP | BS_PUSHBUTTON, 0},
        {ids.saveCsv, WC_BUTTONW, L"&Save as CSV...", WS_TABSTOP | BS_PUSHBUTTON, 0},
    };
    const auto create = [&](const Control& made) {
        const HWND control = CreateWindowExW(made.extended, made.windowClass, made.text.c_str(),
                                             WS_CHILD | WS_VISIBLE | made.style, 0, 0, 0, 0, mWindow,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(made.id)), mInstance, made.param);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mFont.get()), FALSE);
    };
    for (const Control& made : range) create(made);
    for (const Control& made : own) create(made);
    for (const Control& made : buttons) create(made);
    SendMessageW(Item(ids.table), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
}

SIZE TextSize(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TableWindow::Place(int id, int left, int top, int width, int height) const {
    SetWindowPos(Item(id), nullptr, left, top, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The range and the filter in a row along the top, Copy and Save as CSV at
// the bottom right; the window places the rest.
void TableWindow::LayOut() {
    const Ids& ids = mShape.ids;
    if (Item(ids.table) == nullptr) return;  // WM_SIZE comes before WM_CREATE's controls
    RECT client{};
    GetClientRect(mWindow, &client);
    const int gap = Scaled(kGap, mDpi);
    const int row = Scaled(kRow, mDpi);
    const WindowDc dc(mWindow);
    const Selection font(dc.get(), mFont.get());
    const auto label = [&](int id, int& x, int y) {
        const SIZE size = TextSize(dc.get(), WindowText(Item(id)));
        Place(id, x, y + (row - size.cy) / 2, size.cx + 2, size.cy);
        x += size.cx + 2 + gap / 2;
    };
    int x = gap;
    const int y = gap;
    label(ids.fromLabel, x, y);
    Place(ids.from, x, y, Scaled(kComboWidth, mDpi), row + Scaled(240, mDpi));  // with its drop-down
    x += Scaled(kComboWidth, mDpi) + gap;
    label(ids.toLabel, x, y);
    Place(ids.to, x, y, Scaled(kComboWidth, mDpi), row + Scaled(240, mDpi));
    x += Scaled(kComboWidth, mDpi) + gap;
    label(ids.lastLabel, x, y);
    Place(ids.last, x, y, Scaled(kCountWidth, mDpi), row);
    SendMessageW(Item(ids.lastUpDown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(ids.last)), 0);  // fits itself to it
    x += Scaled(kCountWidth, mDpi) + gap / 2;
    label(ids.logsLabel, x, y);
    x += gap;
    label(ids.filterLabel, x, y);
    Place(ids.filter, x, y, client.right - gap - x, row);

    const int bottom = client.bottom - gap - row;
    const int buttonWidth = Scaled(kButtonWidth, mDpi);
    Place(ids.saveCsv, client.right - gap - buttonWidth, bottom, buttonWidth, row);
    const int buttonsLeft = client.right - 2 * (gap + buttonWidth);
    Place(ids.copy, buttonsLeft, bottom, buttonWidth, row);
    LayOutBetween({dc.get(), client, gap, row, y + row + gap, bottom, buttonsLeft});
}

int TableWindow::CaptionRoom() const {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(Item(mShape.ids.table), LVM_GETHEADER, 0, 0));
    RECT headerArea{};
    GetClientRect(header, &headerArea);
    const int margin = static_cast<int>(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0));
    const int headerHeight = headerArea.bottom > 0 ? static_cast<int>(headerArea.bottom) : Scaled(kRow, mDpi);
    return 4 * margin + 2 * MulDiv(headerHeight, 4, 13) + Scaled(6, mDpi);
}

void TableWindow::InsertColumn(int column, const std::string& caption, bool number, int least, int room) const {
    const HWND table = Item(mShape.ids.table);
    std::wstring text = Utf8ToWide(caption);
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    entry.fmt = number ? LVCFMT_RIGHT : LVCFMT_LEFT;
    entry.pszText = text.data();
    entry.iSubItem = column;
    const int needed = static_cast<int>(SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    entry.cx = std::max(least, needed + room);
    SendMessageW(table, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
}

void TableWindow::ShowRowCount(int rows) const {
    SendMessageW(Item(mShape.ids.table), LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOSCROLL);
    InvalidateRect(Item(mShape.ids.table), nullptr, FALSE);
}

void TableWindow::ShowSortArrow(int columns, int sortColumn, bool descending) const {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(Item(mShape.ids.table), LVM_GETHEADER, 0, 0));
    for (int column = 0; column < columns; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortColumn) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace vantor::win32
