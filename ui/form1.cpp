#include "ui/form1.h"

#include <cstdlib>
#include <algorithm>
#include <optional>

#include "analysis/path_text.h"
#include "store/windows1252.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "ui/comm_dlgs.h"

namespace vantor {

namespace {

#ifdef _WIN32
// Windows file names ignore case; the game's tools show a folder in capitals.
constexpr bool kFileNamesIgnoreCase = true;
#else
// Here an upper-cased folder would not exist: it is kept as chosen.
constexpr bool kFileNamesIgnoreCase = false;
#endif

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

// What the status line says once an analysis is over.
std::string Outcome(const TallyOutcome& outcome) {
    const std::size_t logs = outcome.logsRead;
    std::string status;
    if (outcome.logs.empty()) return "No ActionLog*.txt in this folder";
    if (outcome.rows.empty()) {
        status = "No matching record in " + Counted(logs, "log", "logs");
    } else {
        status = Counted(logs, "log", "logs") + " read, " + Counted(outcome.rows.size(), "item", "items") + " listed";
    }
    if (outcome.problemCount > 0) status += ", " + Counted(outcome.problemCount, "problem", "problems");
    return status;
}

// The message for what could not be counted: the first ten, and how many more.
std::string ProblemsText(const TallyOutcome& outcome) {
    std::string text;
    const std::size_t shown = std::min<std::size_t>(outcome.problems.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) text += DescribeRunError(outcome.problems[i]) + "\n\n";
    if (outcome.problemCount > shown) text += "and " + std::to_string(outcome.problemCount - shown) + " more";
    return text;
}

}  // namespace

Form1::Form1(FormView& view) : mView(view) {}

Form1::~Form1() = default;

std::string Form1::DefaultLogDir() { return DefaultLogFolder(); }

void Form1::Form_Load(const StartArguments& arguments) {
    mView.SetText(Control::txtLogDir, arguments.folder ? WithTrailingSeparator(*arguments.folder) : DefaultLogDir());
    if (arguments.player) mView.SetText(Control::txtPID, *arguments.player);
    mItems = std::make_unique<clsHash>();
    mActionTag = kActions[0].tag;
    // Shown selected from the start; its tag is set above.
    mView.SetChecked(Control::Option1_0);
}

bool Form1::Form_QueryUnload() {
    if (!mScanning) return true;
    // The analysis still uses the store: stop it after the current log, then close.
    mCloseRequested = true;
    return false;
}

void Form1::Form_Unload() { mItems.reset(); }

void Form1::Option1_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(kActions.size())) mActionTag = kActions[Index].tag;
}

void Form1::Command1_Click() {
    if (!mItems || mScanning) return;
    mView.ClearList();
    mRows.clear();
    mItems->Clear();
    mView.SetText(Control::Text1, "");

    // The inputs hold for the whole analysis; what is changed meanwhile
    // applies to the next Go!. A tab never occurs inside a field, so an ID
    // the logs' code page cannot write matches no record.
    const Query query{Utf8ToWindows1252(mView.Text(Control::txtPID)).value_or("\t"), mActionTag};
    mScanning = true;
    mView.SetEnabled(Control::Command1, false);
    mView.SetEnabled(Control::btnBrowse, false);

    std::string status;
    std::optional<RunError> failure;
    TallyOutcome outcome;
    try {
        outcome = TallyFolder(mView.Text(Control::txtLogDir), query, *mItems, this);
        status = Outcome(outcome);
    } catch (const RunError& error) {
        failure = error;
        status = "No logs read";
    }

    mScanning = false;
    mView.SetEnabled(Control::Command1, true);
    mView.SetEnabled(Control::btnBrowse, true);
    if (mCloseRequested) {
        mView.CloseWindow();
        return;
    }
    mRows = std::move(outcome.rows);
    for (const TallyRow& row : mRows) mView.AddListItem(Windows1252ToUtf8(row.item));
    mView.SetText(Control::Label3, status);
    mView.SetFocus(Control::Command1);
    if (failure) mView.ShowMessage(kFormCaption, DescribeRunError(*failure));
    if (outcome.problemCount > 0) mView.ShowMessage(kFormCaption, ProblemsText(outcome));
}

void Form1::List1_Click() {
    if (const auto item = Item(mView.ListIndex())) mView.SetText(Control::Text1, item->second);
}

std::optional<std::pair<std::string, std::string>> Form1::Item(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= mRows.size()) return std::nullopt;
    const TallyRow& shown = mRows[static_cast<std::size_t>(row)];
    return std::pair{Windows1252ToUtf8(shown.item), std::to_string(shown.total)};
}

void Form1::List1_Copy() {
    if (mRows.empty()) return;
    std::string text;
    for (int row = 0; row < static_cast<int>(mRows.size()); ++row) {
        const auto [name, total] = *Item(row);
        text += name + '\t' + total + "\r\n";  // as spreadsheets copy rows, on any system
    }
    mView.SetClipboardText(text);
}

std::string Form1::ItemTip(int row) const {
    const auto item = Item(row);
    return item ? item->first + ": " + item->second : std::string();
}

void Form1::btnBrowse_Click() {
    if (mScanning) return;
    std::string chosen = CommDlgs::ShowFileDialog(mView, 1, "Open Vantor log file", "*.txt",
                                                  std::string("Vantor Log Files") + '\0' + "*.txt",
                                                  mView.Text(Control::txtLogDir), "");
    if (chosen.empty()) return;
    std::string separator(1, kPathSeparator);
    const int position = CommDlgs::FindLast(chosen, separator, !kFileNamesIgnoreCase, false,
                                            [this](std::string_view text) { return mView.UpperCase(text); });
    mView.SetText(Control::txtLogDir, chosen.substr(0, static_cast<std::size_t>(position)));
}

bool Form1::BeforeLog(std::string_view name, std::size_t, std::size_t) {
    mView.SetText(Control::Label3, "Processing " + std::string(name));
    mView.PassEvents();
    return !mCloseRequested;
}

std::string DescribeRunError(const RunError& error) {
    // Each part on one line of its own, control bytes escaped as vantor-tally writes them.
    std::string text = "Run-time error: " + std::string(KindName(error.kind())) + '\n';
    if (!error.file().empty()) text += "File: " + EscapeControlBytes(error.file()) + '\n';
    if (error.line() > 0) {
        text += "Line: " + std::to_string(error.line()) + '\n';
        text += "Item: " + EscapeControlBytes(Windows1252ToUtf8(error.item())) + '\n';
    }
    return text + EscapeControlBytes(error.detail());
}

}  // namespace vantor
