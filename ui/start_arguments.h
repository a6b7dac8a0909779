#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// What the window's command line, `[--player ID] [--follow] [LOG_DIR]`,
// fills in at start: each one given replaces its box's default, and
// --follow starts following the logs. UTF-8.
struct StartArguments {
    std::optional<std::string> player;
    std::optional<std::string> folder;
    bool follow = false;
};

inline constexpr std::string_view kStartUsage = "Usage: vantor-log-analyzer [--player ID] [--follow] [LOG_DIR]";

// The arguments after the program's name; nothing for bad usage: an unknown
// option, --player without a value or given twice, a second folder.
std::optional<StartArguments> ParseStartArguments(const std::vector<std::string>& arguments);

}  // namespace vantor
