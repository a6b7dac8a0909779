#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vantor/tally.h"
#include "analysis/folder_scan.h"
#include "analysis/log_folder.h"
#include "store/cls_hash.h"
#include "vantor/text.h"
#include "vantor/run_error.h"

namespace vantor::testing {

// Records each log the analysis announces; `go` (when set) answers whether
// it goes on.
struct Announcements : ScanObserver {
    std::vector<std::string> names;
    std::function<bool(std::size_t index)> go;
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t) override {
        names.emplace_back(name);
        return go ? go(index) : true;
    }
};

// Every slot of the store with its total: "key=total;" (the key up to its first NUL).
inline std::string Slots(const clsHash& store) {
    std::string text;
    for (std::int32_t n = 1; n <= store.NumKeys(); ++n) {
        const std::string key = store.GetKeyByNumber(n);
        text += key.substr(0, key.find('\0')) + "=" + std::to_string(store.GetValueByNumber(n)) + ";";
    }
    return text;
}

// A problem as vantor-tally prints it, with its raw item entry: "what() [item]".
inline std::string Described(const RunError& problem) { return problem.what() + std::string(" [") + problem.item() + "]"; }

// TallyFolder's steps with a store the caller can look at afterwards.
inline TallyOutcome TallyWithStore(const std::string& folder, const Query& query, clsHash& store,
                                   ScanObserver* observer, const ScanOptions& options) {
    RequireLogFolder(folder);
    detail::FolderScan scan(WithTrailingSeparator(folder), query, store, options);
    scan.Run(NamesOf(ListLogs(Utf8ToPath(WithTrailingSeparator(folder)))), observer);
    return std::move(scan.outcome());
}

// An analysis of `folder` for `player`'s pickups as one text: each log
// announced, each problem, the store's slots, then the rows and their
// totals; or the error that stopped it before it began.
inline std::string FolderOutcome(const std::string& folder, const std::string& player = "Alia", ScanOptions options = {1}) {
    Announcements announced;
    clsHash store;
    TallyOutcome outcome;
    try {
        outcome = TallyWithStore(folder, {player, "[Pickup]"}, store, &announced, options);
    } catch (const RunError& error) {
        return error.what();
    }
    std::string text;
    for (const std::string& name : announced.names) text += "Processing " + name + "; ";
    for (const RunError& problem : outcome.problems) text += Described(problem) + " ";
    text += Slots(store);
    for (const TallyRow& row : outcome.rows) text += " listed " + row.bytes + "=" + std::to_string(row.total);
    return text;
}

}  // namespace vantor::testing
