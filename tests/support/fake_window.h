#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/window_state.h"

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

}  // namespace vantor::testing
