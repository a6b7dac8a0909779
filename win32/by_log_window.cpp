#include "win32/by_log_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kChartClassName[] = L"VantorLogAnalyzerChart";
// Sizes at 96 dpi.
constexpr int kItemColumnWidth = 180;
// The grid lines faint, the bars in kBarColor.
constexpr COLORREF kGridColor = RGB(222, 222, 222);

constexpr TableWindow::Shape kShape{
    L"VantorLogAnalyzerByLog",
    {ByLogWindow::kFromLabel, ByLogWindow::kFrom, ByLogWindow::kToLabel, ByLogWindow::kTo, ByLogWindow::kLastLabel,
     ByLogWindow::kLast, ByLogWindow::kLastUpDown, ByLogWindow::kLogsLabel, ByLogWindow::kFilterLabel,
     ByLogWindow::kFilter, ByLogWindow::kTable, ByLogWindow::kCopy, ByLogWindow::kSaveCsv},
    760, 560, 560, 360};

// The font selected into `dc`, for the chart's layout.
TextMetrics MetricsOf(HDC dc) {
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    return {[dc](std::string_view utf8) { return static_cast<int>(TextSize(dc, Utf8ToWide(utf8)).cx); },
            static_cast<int>(text.tmHeight)};
}

}  // namespace

ByLogWindow::ByLogWindow(HINSTANCE instance, HWND owner) : TableWindow(instance, owner, kShape) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // The chart paints all of itself, off screen: no background to erase first.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ChartProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kChartClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly once registered
}

// Here, not in TableWindow's: its controls' notes of going need this window whole.
ByLogWindow::~ByLogWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

void ByLogWindow::Show(ByLogForm& form) {
    if (!Open(mForm, form, *this)) return;
    if (mForm != &form) {
        mForm->Attach(nullptr);
        mForm = &form;
        form.Attach(this);
    }
    BringToFront();
}

// In tab order: the range, the filter, the table, the chart, Running
// total, the buttons; and the chart's tip, which watches the chart's mouse
// itself while ShowChartTip sets what it says.
void ByLogWindow::CreateControls() {
    CreateTableControls(0, {
        {kChart, kChartClassName, L"", 0, WS_EX_CLIENTEDGE, this},
        {kStatus, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0},
        {kCumulative, WC_BUTTONW, L"&Running total", WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    });
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
}

// Running total and the status left of the buttons; the table and the
// chart share what is between the rows.
void ByLogWindow::LayOutBetween(const Frame& frame) {
    const int gap = frame.gap;
    const int boxWidth =
        GetSystemMetricsForDpi(SM_CXMENUCHECK, mDpi) + gap + TextSize(frame.dc, WindowText(Item(kCumulative))).cx;
    const int boxLeft = frame.buttonsLeft - gap - boxWidth;
    Place(kCumulative, boxLeft, frame.bottom, boxWidth, frame.row);
    Place(kStatus, gap, frame.bottom + (frame.row - TextSize(frame.dc, L"0").cy) / 2, boxLeft - 2 * gap, frame.row);

    const int between = frame.bottom - gap - frame.top;
    const int tableHeight = between * 11 / 20;
    Place(kTable, gap, frame.top, frame.client.right - 2 * gap, tableHeight);
    Place(kChart, gap, frame.top + tableHeight + gap, frame.client.right - 2 * gap, between - tableHeight - gap);
}

void ByLogWindow::OnFontChanged() {
    SendMessageW(mTip, TTM_SETMAXTIPWIDTH, 0, Scaled(480, mDpi));
    mHeaders.clear();  // the columns' widths
}

void ByLogWindow::OnDestroy() {
    if (mForm != nullptr) mForm->Attach(nullptr);
    mForm = nullptr;
    mHeaders.clear();
    mTip = nullptr;  // gone with its owner
    mTipText.reset();
}

void ByLogWindow::OnCommand(int id, int code) {
    if (mRefreshing || mForm == nullptr || OnTableCommand(*mForm, id, code)) return;
    if (id == kCumulative && code == BN_CLICKED) {
        mForm->Cumulative_Change(IsDlgButtonChecked(mWindow, kCumulative) == BST_CHECKED);
    }
}

LRESULT ByLogWindow::OnNotify(NMHDR& header) {
    if (header.idFrom != kTable || mForm == nullptr || OnTableNotify(*mForm, header)) return 0;
    if ((header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED) && !mRefreshing) {
        mForm->Rows_Select(TableSelection());
    }
    return 0;
}

void ByLogWindow::Refresh() {
    if (mWindow == nullptr || mForm == nullptr) return;
    mRefreshing = true;
    ShowRange(*mForm);
    ShowColumns();
    ShowRowCount(mForm->RowCount());
    ShowSelection();
    ShowSortArrow(mForm->ColumnCount(), mForm->SortColumn(), mForm->SortDescending());
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
    const int room = CaptionRoom();
    SendMessageW(table, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(table, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int column = 0; column < static_cast<int>(headers.size()); ++column) {
        InsertColumn(column, headers[static_cast<std::size_t>(column)], mForm->IsNumber(column),
                     column == ByLogForm::kItemColumn ? Scaled(kItemColumnWidth, mDpi) : 0, room);
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
