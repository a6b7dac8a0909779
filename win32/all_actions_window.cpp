#include "win32/all_actions_window.h"

#include <commctrl.h>

#include <algorithm>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

// Sizes at 96 dpi.
constexpr int kItemColumnWidth = 220;

constexpr TableWindow::Shape kShape{
    L"VantorLogAnalyzerAllActions",
    {AllActionsWindow::kFromLabel, AllActionsWindow::kFrom, AllActionsWindow::kToLabel, AllActionsWindow::kTo,
     AllActionsWindow::kLastLabel, AllActionsWindow::kLast, AllActionsWindow::kLastUpDown,
     AllActionsWindow::kLogsLabel, AllActionsWindow::kFilterLabel, AllActionsWindow::kFilter,
     AllActionsWindow::kTable, AllActionsWindow::kCopy, AllActionsWindow::kSaveCsv},
    720, 480, 560, 320};

}  // namespace

AllActionsWindow::AllActionsWindow(HINSTANCE instance, HWND owner) : TableWindow(instance, owner, kShape) {}

// Here, not in TableWindow's: its controls' notes of going need this window whole.
AllActionsWindow::~AllActionsWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

void AllActionsWindow::Show(AllActionsForm& form) {
    if (Open(mForm, form, *this)) BringToFront();
}

// In tab order: the range, the filter, the table, the note, the problems,
// the status, the buttons.
void AllActionsWindow::CreateControls() {
    CreateTableControls(LVS_SINGLESEL, {
        {kNote, WC_STATICW, Utf8ToWide(AllActionsForm::Note()), SS_LEFT | SS_NOPREFIX, 0},
        {kProblems, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0},
        {kStatus, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0},
    });
}

// The status left of the buttons, the problems and the note above them
// (each as many lines as it wraps to); the table between the rows.
void AllActionsWindow::LayOutBetween(const Frame& frame) {
    const int gap = frame.gap;
    const int lineHeight = TextSize(frame.dc, L"0").cy;
    Place(kStatus, gap, frame.bottom + (frame.row - lineHeight) / 2, frame.buttonsLeft - 3 * gap, frame.row);
    const int width = frame.client.right - 2 * gap;
    const auto wrapped = [&](int id) {
        const std::wstring text = WindowText(Item(id));
        RECT area{0, 0, width, 0};
        if (!text.empty()) DrawTextW(frame.dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return static_cast<int>(area.bottom);
    };
    const int problemsHeight = wrapped(kProblems);
    const int problems = frame.bottom - gap / 2 - problemsHeight;
    Place(kProblems, gap, problems, width, problemsHeight);
    const int noteHeight = wrapped(kNote);
    const int noteTop = problems - gap / 2 - noteHeight;
    Place(kNote, gap, noteTop, width, noteHeight);
    Place(kTable, gap, frame.top, width, noteTop - gap - frame.top);
}

void AllActionsWindow::OnFontChanged() {
    mColumnsShown = 0;  // the columns' widths
    mItemFitted = false;
}

void AllActionsWindow::OnDestroy() {
    if (mForm != nullptr) mForm->Attach(nullptr);
    mColumnsShown = 0;
    mItemFitted = false;
}

void AllActionsWindow::OnCommand(int id, int code) {
    if (mRefreshing || mForm == nullptr) return;
    OnTableCommand(*mForm, id, code);
}

LRESULT AllActionsWindow::OnNotify(NMHDR& header) {
    if (header.idFrom == kTable && mForm != nullptr) OnTableNotify(*mForm, header);
    return 0;
}

void AllActionsWindow::Refresh() {
    if (mWindow == nullptr || mForm == nullptr) return;
    mRefreshing = true;
    ShowRange(*mForm);
    ShowColumns();
    ShowRowCount(mForm->RowCount());
    ShowSortArrow(mForm->ColumnCount(), mForm->SortColumn(), mForm->SortDescending());
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

// Each column wide enough for its caption beside the sort arrow. A column that comes or goes
// (Session, while following) is added or taken at the end, so the others
// keep the widths the player gave them.
void AllActionsWindow::ShowColumns() {
    const int columns = mForm->ColumnCount();
    if (mColumnsShown == columns) return;
    const HWND table = Item(kTable);
    const int room = CaptionRoom();
    SendMessageW(table, WM_SETREDRAW, FALSE, 0);
    if (mColumnsShown == 0) {
        while (SendMessageW(table, LVM_DELETECOLUMN, 0, 0)) {
        }
    }
    for (int column = mColumnsShown - 1; column >= columns; --column) SendMessageW(table, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
    for (int column = mColumnsShown; column < columns; ++column) {
        InsertColumn(column, mForm->Header(column), mForm->IsNumber(column),
                     column == AllActionsForm::kItemColumn ? Scaled(kItemColumnWidth, mDpi) : Scaled(64, mDpi), room);
    }
    SendMessageW(table, WM_SETREDRAW, TRUE, 0);
    mColumnsShown = columns;
}

}  // namespace vantor::win32
