#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/controls.h"

namespace vantor {

class AllActionsForm;
class ByLogForm;

// An open or save dialog as Form1 asks for it. Texts are UTF-8.
struct FileDialogRequest {
    bool open = true;               // false: the save dialog
    std::string title;
    std::string initialFileName;    // what the file name box starts with, e.g. "*.txt"
    std::string filter;             // "description\0pattern" pairs joined by NUL, e.g. "Vantor Log Files\0*.txt"
    std::string initialDir;
    std::string defaultExt;
    unsigned flags = 0;             // the platform dialog's OFN_* flags
};

enum class MessageKind { Error, Warning, Information };

// What Form1 needs of a toolkit: one implementation per platform (Qt, Win32)
// and a fake for the tests. All texts are UTF-8; a view converts them to and
// from its toolkit's strings and does nothing else with them. Every call but
// Post comes on the window's thread.
class FormView {
public:
    virtual ~FormView() = default;

    // The text of a text box, label, button or option.
    virtual std::string Text(Control control) = 0;
    virtual void SetText(Control control, std::string_view text) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual void SetFocus(Control control) = 0;
    // Shows an option selected (clearing the others) without a click.
    virtual void SetChecked(Control option) = 0;

    // The item list: all its entries at once, replacing what it held (the
    // selection goes), or more at its end (the selection and the scroll
    // position stay). Either way at the cost of one repaint, not one each.
    virtual void SetListItems(const std::vector<std::string>& items) = 0;
    virtual void AppendListItems(const std::vector<std::string>& items) = 0;
    // Entries already listed take new texts, each given with its index; the
    // selection and the scroll position stay, at the cost of one repaint.
    virtual void ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) = 0;
    // The selected entry's index, -1 when none is selected.
    virtual int ListIndex() = 0;
    // Selects entry `index` (-1: none) without a click.
    virtual void SetListIndex(int index) = 0;

    // Offers the player IDs `players` under the Player ID box, in this
    // order, for the player to pick one (Form1::txtPID_Choose); none: the
    // offer goes. The box stays the player's to type into.
    virtual void ShowSuggestions(const std::vector<std::string>& players) = 0;

    // Puts `text` on the system clipboard in place of what it held.
    virtual void SetClipboardText(std::string_view text) = 0;

    // A modal message box owned by the window.
    virtual void ShowMessage(std::string_view title, std::string_view text, MessageKind kind) = 0;
    // A modal file dialog: the chosen full path, or empty text when cancelled.
    virtual std::string ShowFileDialog(const FileDialogRequest& request) = 0;
    // The user's Documents folder (the home folder when there is none),
    // where a save starts the first time.
    virtual std::string DocumentsFolder() = 0;
    // The platform's upper case of `text`.
    virtual std::string UpperCase(std::string_view text) = 0;

    // Runs `work` on the window's thread as soon as it handles its events.
    // Any thread may call it; work posted to a window that is gone is dropped.
    virtual void Post(std::function<void()> work) = 0;
    // Closes the window for good (Form1 has agreed to it).
    virtual void CloseWindow() = 0;

    // Opens the By log window over `form`, or brings it to the front.
    virtual void ShowByLog(ByLogForm& form) = 0;
    // Opens the All Actions window over `form`, or brings it to the front.
    virtual void ShowAllActions(AllActionsForm& form) = 0;

    // What the window remembers for this user between starts (the log
    // folder, the player): nothing when it was never saved.
    virtual std::optional<std::string> LoadSetting(std::string_view name) = 0;
    virtual void SaveSetting(std::string_view name, std::string_view value) = 0;
};

}  // namespace vantor
