#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/form_view.h"

namespace vantor::testing {

// A window without a toolkit: control states in maps, dialogs answered from
// presets, work posted from other threads queued until the test runs it,
// and a record of what Form1 asked for.
class FakeView : public FormView {
public:
    std::map<Control, std::string> texts;
    std::vector<std::string> statuses;  // every text the status line was given
    std::map<Control, bool> disabled;
    Control focus = Control::Label1;
    Control checked = Control::Label1;
    std::vector<std::string> list;
    int listIndex = -1;
    int listFills = 0;                           // SetListItems calls
    std::vector<std::string> offered;            // the player IDs offered under the box
    std::vector<std::string> messages;           // each message box's text
    std::vector<MessageKind> messageKinds;
    std::vector<FileDialogRequest> dialogs;      // each dialog asked for
    std::string nextAnswer;                      // the next dialog's answer; empty: cancelled
    std::string documents = "/home/alia/Documents/";
    std::string clipboard;
    std::map<std::string, std::string, std::less<>> settings;
    ByLogForm* byLog = nullptr;                  // the By log window's form, once shown
    AllActionsForm* allActions = nullptr;        // the All Actions window's form, once shown
    bool closed = false;

    std::string Text(Control control) override { return texts[control]; }
    void SetText(Control control, std::string_view text) override {
        texts[control] = text;
        if (control == Control::Label3) statuses.emplace_back(text);
    }
    void SetEnabled(Control control, bool enabled) override { disabled[control] = !enabled; }
    void SetFocus(Control control) override { focus = control; }
    void SetChecked(Control option) override { checked = option; }
    void SetListItems(const std::vector<std::string>& items) override { list = items, listIndex = -1, ++listFills; }
    void AppendListItems(const std::vector<std::string>& items) override { list.insert(list.end(), items.begin(), items.end()); }
    void ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) override { for (const auto& [i, text] : items) list.at(i) = text; }
    int ListIndex() override { return listIndex; }
    void SetListIndex(int index) override { listIndex = index; }
    void ShowSuggestions(const std::vector<std::string>& players) override { offered = players; }
    void SetClipboardText(std::string_view text) override { clipboard = text; }
    void ShowMessage(std::string_view, std::string_view text, MessageKind kind) override {
        messages.emplace_back(text);
        messageKinds.push_back(kind);
    }
    std::string ShowFileDialog(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return std::exchange(nextAnswer, {});
    }
    std::string DocumentsFolder() override { return documents; }
    // ASCII letters only: enough to tell upper-cased text apart.
    std::string UpperCase(std::string_view text) override {
        std::string upper(text);
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        return upper;
    }
    void Post(std::function<void()> work) override {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
        arrived_.notify_all();
    }
    void CloseWindow() override { closed = true; }
    void ShowByLog(ByLogForm& form) override { byLog = &form; }
    void ShowAllActions(AllActionsForm& form) override { allActions = &form; }
    std::optional<std::string> LoadSetting(std::string_view name) override {
        const auto found = settings.find(name);
        return found != settings.end() ? std::optional(found->second) : std::nullopt;
    }
    void SaveSetting(std::string_view name, std::string_view value) override { settings[std::string(name)] = value; }

    // Runs the work posted to the window, as its event loop would, waiting
    // for more until `done` holds. A minute without it fails the test.
    void RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!arrived_.wait_until(lock, deadline, [&] { return !posted_.empty(); })) {
                throw std::runtime_error("the window waited a minute for posted work");
            }
            std::function<void()> work = std::move(posted_.front());
            posted_.pop_front();
            lock.unlock();
            work();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> posted_;
};

}  // namespace vantor::testing
