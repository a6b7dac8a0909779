#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_folder.h"
#include "analysis/window_state.h"
#include "store/cls_hash.h"
#include "store/run_error.h"

namespace vantor::testing {

// Window state for tests: fixed inputs, and a record of what the scan did.
class FakeWindow : public WindowState {
public:
    std::string playerId;
    std::string actionTag = "[Pickup]";
    std::vector<std::string> statuses;  // every caption set, in order
    std::vector<std::string> items;     // the item list
    int passes = 0;
    // Runs at each event pass, as user input would; returns false to stop.
    std::function<bool(FakeWindow&)> onPass;

    std::string PlayerId() override { return playerId; }
    std::string ActionTag() override { return actionTag; }
    void SetStatus(std::string_view caption) override { statuses.emplace_back(caption); }
    void AppendItem(std::string_view item) override { items.emplace_back(item); }
    bool PassEvents() override {
        ++passes;
        return onPass ? onPass(*this) : true;
    }
};

// What `scan` leaves in a fresh window and store: the number of event
// passes and each status, the error with the raw entry it names, each slot
// of the store with its total, then the list.
inline std::string Outcome(const std::function<void(FakeWindow&, clsHash&)>& scan, const std::string& player = "Alia",
                           const std::function<bool(FakeWindow&)>& onPass = {}) {
    FakeWindow window;
    window.playerId = player;
    window.onPass = onPass;
    clsHash items;
    std::string outcome;
    try {
        scan(window, items);
    } catch (const RunError& error) {
        outcome = error.what() + std::string(" [") + error.item() + "] ";
    }
    for (std::int32_t n = 1; n <= items.NumKeys(); ++n) {
        const std::string key = items.GetKeyByNumber(n);
        outcome += key.substr(0, key.find('\0')) + "=" + std::to_string(items.GetValueByNumber(n)) + ";";
    }
    for (const std::string& item : window.items) outcome += " listed " + item;
    for (auto status = window.statuses.rbegin(); status != window.statuses.rend(); ++status) {
        outcome.insert(0, *status + "; ");
    }
    return window.passes > 0 ? std::to_string(window.passes) + " passes: " + outcome : outcome;
}

// The Outcome of Alia's pickups in `folder` (UTF-8, as the window passes it).
inline std::string FolderOutcome(const std::string& folder) {
    return Outcome([&](FakeWindow& window, clsHash& items) { ProcessLogFolder(folder, window, items); });
}

}  // namespace vantor::testing
