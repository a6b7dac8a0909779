#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/by_log.h"
#include "win32/table_window.h"
#include "win32/win32_support.h"

namespace vantor::win32 {

// The colour of each charted item's bars.
constexpr COLORREF SeriesColour(int series) {
    return RGB(kSeriesColours[series].red, kSeriesColours[series].green, kSeriesColours[series].blue);
}

// The By log window in plain Win32: a top-level window owned by the main
// one, with the range (From, To, the last N logs), a filter, the table (a
// virtual list view, so that thousands of rows and hundreds of logs cost
// nothing until shown), the chart of the selected items with a tip for the
// log under the mouse, Running total, a status line, and Copy and Save as
// CSV. It hands every event to ByLogForm and shows what ByLogForm says,
// nothing more; it remembers nothing once closed.
class ByLogWindow final : public TableWindow, public ByLogView {
public:
    // Control IDs, clear of IDOK and IDCANCEL, which Enter and Escape send.
    enum ControlId : int {
        kFromLabel = 200,
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
        kChart,
        kStatus,
        kCopy,
        kSaveCsv,
        kCumulative,
    };
    // The colour of the first charted item's bars.
    static constexpr COLORREF kBarColor = SeriesColour(0);

    ByLogWindow(HINSTANCE instance, HWND owner);
    ~ByLogWindow() override;

    // Opens the window over `form`, or brings it to the front.
    void Show(ByLogForm& form);
    // Its keys, for the message loop: Ctrl+C copies the table (but in an
    // edit box), Escape closes, Tab moves on. True when it took the message.
    bool PreTranslate(MSG& message) { return mForm != nullptr && PreTranslateFor(*mForm, message); }

    void Refresh() override;

private:
    static LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls() override;
    void LayOutBetween(const Frame& frame) override;
    void OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR& header) override;
    void OnFontChanged() override;
    void OnDestroy() override;

    void ShowColumns();
    void ShowSelection();
    // The chart of the selected item in a `width` by `height` area of `dc`,
    // drawn off screen first so that it does not flicker.
    void PaintChart(HDC dc, int width, int height) const;
    // The form's tip for the point (x, y) of the chart, in the tip window.
    void ShowChartTip(int x, int y);
    std::vector<int> TableSelection() const;

    HWND mTip = nullptr;  // the chart's tip, a popup of the window
    ByLogForm* mForm = nullptr;
    std::vector<std::string> mHeaders;    // as the table's columns have them
    std::optional<std::wstring> mTipText; // what the chart's tip says; none: not known since a Refresh
};

}  // namespace vantor::win32
