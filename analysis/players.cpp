#include "vantor/players.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "analysis/log_file.h"
#include "analysis/log_folder.h"
#include "vantor/code_page.h"
#include "vantor/text.h"
#include "vantor/run_error.h"

namespace vantor {

namespace {

// IDs in the order first met, with their counts.
class Counter {
public:
    void Add(std::string_view player, std::uint64_t records = 1) {
        const auto [it, added] = index_.try_emplace(std::string(player), counts_.size());
        if (added) counts_.push_back({{}, it->first, 0});
        counts_[it->second].records += records;
    }

    std::vector<PlayerCount> Take() { return std::move(counts_); }

private:
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<PlayerCount> counts_;
};

// The line being read: its tabs so far (up to the five a record needs) and
// field 1.
struct Line {
    int tabs = 0;
    std::string player;

    // The bytes [p, end) of the line, which hold no CR.
    void Add(const char* p, const char* end) {
        while (tabs < 5) {
            const auto* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
            if (tabs == 1) player.append(p, tab != nullptr ? tab : end);
            if (tab == nullptr) return;
            ++tabs;
            p = tab + 1;
        }
    }
};

}  // namespace

LogPlayers CountLogPlayers(const std::filesystem::path& log) {
    LogFile file(log);
    Counter counter;
    Line line;
    std::vector<char> buffer(std::size_t{1} << 20);
    for (std::size_t got; (got = file.Read(buffer.data(), buffer.size())) > 0;) {
        const char* p = buffer.data();
        const char* const end = p + got;
        // A LF after a CR belongs to the line end, but would be in field 0
        // anyway: only CRs matter here.
        while (p < end) {
            const auto* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
            line.Add(p, cr != nullptr ? cr : end);
            if (cr == nullptr) break;
            if (line.tabs >= 5) counter.Add(line.player);
            line = {};
            p = cr + 1;
        }
    }
    // A last line without a line end may be half written while the game
    // has the log open.
    if (line.tabs >= 5 && !file.BeingWritten()) counter.Add(line.player);
    return {counter.Take()};
}

std::vector<PlayerCount> PlayerIndex::Update(const std::string& folder, unsigned codePage, const ScanOptions& options,
                                             const std::atomic<bool>* stop) {
    const CodePage text(codePage);
    RequireLogFolder(folder);
    const std::string prefix = WithTrailingSeparator(folder);
    if (prefix != folder_) {
        logs_.clear();
        folder_ = prefix;
    }
    const std::vector<LogEntry> logs = ListLogs(Utf8ToPath(prefix));
    std::map<std::string, Known> kept;
    std::vector<std::pair<std::string, Known*>> stale;  // to count again
    for (const LogEntry& log : logs) {
        Known now{log.size, log.time, {}};
        const auto known = logs_.find(log.name);
        if (known != logs_.end() && known->second.size == now.size && known->second.time == now.time) {
            now.players = std::move(known->second.players);
            kept.emplace(log.name, std::move(now));
            continue;
        }
        stale.emplace_back(log.name, &kept.emplace(log.name, std::move(now)).first->second);
    }
    logs_ = std::move(kept);

    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (stop == nullptr || !*stop) && (i = next.fetch_add(1)) < stale.size();) {
            try {
                stale[i].second->players = CountLogPlayers(Utf8ToPath(prefix + stale[i].first));
            } catch (const RunError&) {
                stale[i].second->players = {};  // a tally names such a log
            }
        }
    };
    const unsigned jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned i = 1; i < jobs && i < stale.size(); ++i) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    // Logs not begun are forgotten, so that the next call counts them.
    for (std::size_t i = std::min(next.load(), stale.size()); i < stale.size(); ++i) logs_.erase(stale[i].first);

    Counter counter;
    for (const LogEntry& log : logs) {
        const auto known = logs_.find(log.name);
        if (known == logs_.end()) continue;
        for (const PlayerCount& count : known->second.players.players) counter.Add(count.bytes, count.records);
    }
    std::vector<PlayerCount> players = counter.Take();
    for (PlayerCount& count : players) count.player = text.ToUtf8(count.bytes);
    std::stable_sort(players.begin(), players.end(),
                     [](const PlayerCount& a, const PlayerCount& b) { return a.records > b.records; });
    return players;
}

}  // namespace vantor
