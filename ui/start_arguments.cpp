#include "ui/start_arguments.h"

namespace vantor {

std::optional<StartArguments> ParseStartArguments(const std::vector<std::string>& arguments) {
    StartArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--player" && i + 1 < arguments.size() && !parsed.player) {
            parsed.player = arguments[++i];
        } else if (argument == "--follow") {
            parsed.follow = true;
        } else if (argument.starts_with('-') || parsed.folder) {
            // A folder named like an option is still reachable as ./-name.
            return std::nullopt;
        } else {
            parsed.folder = argument;
        }
    }
    return parsed;
}

}  // namespace vantor
