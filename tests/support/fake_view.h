#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/form_view.h"

namespace vantor::testing {

// A window without a toolkit: control states in maps, dialogs answered from
// presets, and a record of what Form1 asked for.
class FakeView : public FormView {
public:
    std::map<Control, std::string> texts;
    std::map<Control, bool> disabled;
    Control focus = Control::Label1;
    Control checked = Control::Label1;
    std::vector<std::string> list;
    int listIndex = -1;
    std::vector<std::string> messages;           // each message box's text
    std::vector<FileDialogRequest> dialogs;      // each dialog asked for
    std::string nextAnswer;                      // the next dialog's answer; empty: cancelled
    std::string clipboard;
    int passes = 0;
    std::function<void()> onPass;                // user input at an event pass
    bool closed = false;

    std::string Text(Control control) override { return texts[control]; }
    void SetText(Control control, std::string_view text) override { texts[control] = text; }
    void SetEnabled(Control control, bool enabled) override { disabled[control] = !enabled; }
    void SetFocus(Control control) override { focus = control; }
    void SetChecked(Control option) override { checked = option; }
    void ClearList() override { list.clear(), listIndex = -1; }
    void AddListItem(std::string_view text) override { list.emplace_back(text); }
    int ListIndex() override { return listIndex; }
    void SetClipboardText(std::string_view text) override { clipboard = text; }
    void ShowMessage(std::string_view, std::string_view text) override { messages.emplace_back(text); }
    std::string ShowFileDialog(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return std::exchange(nextAnswer, {});
    }
    // ASCII letters only: enough to tell upper-cased text apart.
    std::string UpperCase(std::string_view text) override {
        std::string upper(text);
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        return upper;
    }
    void PassEvents() override {
        ++passes;
        if (onPass) onPass();
    }
    void CloseWindow() override { closed = true; }
};

}  // namespace vantor::testing
