#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/tally.h"
#include "ui/form_view.h"
#include "ui/start_arguments.h"

namespace vantor {

class clsHash;
class RunError;

// The program's one window, whatever the toolkit: log folder, player ID and
// action in, item list and the clicked item's total out. A view creates the
// controls of kControls, calls the handlers on the matching events, and
// carries out what Form1 asks of it through FormView.
class Form1 : private ScanObserver {
public:
    explicit Form1(FormView& view);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The default log folder: the user's profile (Windows) or home folder
    // followed by My Documents, Halvern, ZENTHARA, LOG and a trailing
    // separator. UTF-8.
    static std::string DefaultLogDir();

    // Fills in the defaults, then what the command line gave; the view calls
    // it once its controls exist.
    void Form_Load(const StartArguments& arguments = {});
    // The window is asked to close. Returns whether it may close now; during
    // an analysis it closes (CloseWindow) once the current log is read.
    bool Form_QueryUnload();
    void Form_Unload();

    void Command1_Click();
    void btnBrowse_Click();
    // The list's selection changed, by mouse or keyboard.
    void List1_Click();
    void Option1_Click(int Index);
    // Ctrl+C or the list's Copy command: every listed item and its total,
    // a tab between them, one line each, as spreadsheets paste them. An
    // empty list leaves the clipboard alone.
    void List1_Copy();

    // The tip for the list's row `row`: the name as listed and its total;
    // empty when there is no such row.
    std::string ItemTip(int row) const;

private:
    // Before each log: names it on the status line and lets the window
    // handle its events; stops when the window is being closed.
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;

    // The listed name and the total of the list's row `row`; nothing for a
    // row the list does not have.
    std::optional<std::pair<std::string, std::string>> Item(int row) const;

    FormView& mView;
    std::unique_ptr<clsHash> mItems;
    std::string mActionTag;
    std::vector<TallyRow> mRows;  // what the list shows, row by row
    bool mScanning = false;
    bool mCloseRequested = false;
};

// The text of the message box for a run-time error: its kind, the file, the
// line, the item entry and what went wrong. UTF-8.
std::string DescribeRunError(const RunError& error);

}  // namespace vantor
