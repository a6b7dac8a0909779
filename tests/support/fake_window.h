#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/window_state.h"
#include "store/cls_hash.h"

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
std::string Outcome(const std::function<void(FakeWindow&, clsHash&)>& scan, const std::string& player = "Alia",
                    const std::function<bool(FakeWindow&)>& onPass = {});

// The Outcome of Alia's pickups in `folder` (UTF-8, as the window passes it).
std::string FolderOutcome(const std::string& folder);

}  // namespace vantor::testing
