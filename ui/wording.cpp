#include "ui/wording.h"

#include <algorithm>

namespace vantor {

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

// Appended, not added up: GCC 12 at -O3 takes "'" + text + "'" for an
// overlapping copy (-Wrestrict).
std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    quoted.append(text).push_back('\'');
    return quoted;
}

std::pair<std::size_t, std::size_t> ProblemCounts(const std::vector<RunError>& kept, std::size_t count) {
    const auto logs = static_cast<std::size_t>(
        std::count_if(kept.begin(), kept.end(), [](const RunError& problem) { return problem.line() == 0; }));
    return {count - logs, logs};
}

std::string SkippedText(const std::vector<RunError>& kept, std::size_t count) {
    const auto [records, unread] = ProblemCounts(kept, count);
    std::string text;
    if (records > 0) text += ", " + std::to_string(records) + " skipped";
    if (unread > 0) text += ", " + std::to_string(unread) + " unreadable";
    return text;
}

std::string NoRecordText(std::string_view player, const std::vector<std::string>& similarPlayers, std::string_view logs) {
    if (!similarPlayers.empty()) {
        std::string text = "No record of " + Quoted(player) + "; the logs have ";
        for (std::size_t i = 0; i < similarPlayers.size(); ++i) text += (i > 0 ? ", " : "") + Quoted(similarPlayers[i]);
        return text;
    }
    if (player.empty()) return "The Player ID is empty: no such record in " + std::string(logs);
    return {};
}

}  // namespace vantor
