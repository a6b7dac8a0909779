#include "tests/support/fake_window.h"

#include "analysis/log_folder.h"
#include "store/run_error.h"

namespace vantor::testing {

std::string Outcome(const std::function<void(FakeWindow&, clsHash&)>& scan, const std::string& player,
                    const std::function<bool(FakeWindow&)>& onPass) {
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

std::string FolderOutcome(const std::string& folder) {
    return Outcome([&](FakeWindow& window, clsHash& items) { ProcessLogFolder(folder, window, items); });
}

}  // namespace vantor::testing
