#include "vantor/tally.h"

#include <algorithm>

#include "analysis/folder_scan.h"
#include "analysis/log_folder.h"
#include "store/cls_hash.h"
#include "vantor/code_page.h"
#include "vantor/text.h"

namespace vantor {

const std::array<Action, 4> kActions = {{
    {"Picked Up", "[Pickup]", "pickup"},
    {"Sold to NPC", "[Sell]", "sell"},
    {"Bought from NPC", "[Buy]", "buy"},
    {"Bought from Player Shop", "[MR_Buy]", "shop"},
}};

std::vector<TallyRow> RowsInRange(const TallyOutcome& outcome, std::size_t first, std::size_t last,
                                  std::vector<std::size_t>* indexes) {
    const auto inRange = [&](std::uint32_t log) { return log >= first && log <= last; };
    std::vector<TallyRow> rows;
    if (indexes != nullptr) indexes->clear();
    for (std::size_t index = 0; index < outcome.rows.size(); ++index) {
        const TallyRow& row = outcome.rows[index];
        if (std::none_of(row.ownLogs.begin(), row.ownLogs.end(), inRange)) continue;
        if (indexes != nullptr) indexes->push_back(index);
        TallyRow part = row;
        part.parts.clear();
        part.total = 0;
        for (const LogCredit& credit : row.parts) {
            if (!inRange(credit.log)) continue;
            part.parts.push_back(credit);
            part.total += credit.quantity;
        }
        std::erase_if(part.ownLogs, [&](std::uint32_t log) { return !inRange(log); });
        rows.push_back(std::move(part));
    }
    return rows;
}

std::string PlayerBytes(const Query& query) {
    const CodePage codePage(query.codePage);
    CodePage::Encoded player = codePage.FromUtf8(query.player);
    if (player.bytes) return std::move(*player.bytes);
    throw RunError(ErrorKind::InvalidArgument, "'" + query.player + "' cannot be written in " + codePage.Name() +
                                                   ", the code page of these logs");
}

TallyOutcome TallyFolder(const std::string& folder, const Query& query, ScanObserver* observer,
                         const ScanOptions& options) {
    RequireLogFolder(folder);
    const std::string prefix = WithTrailingSeparator(folder);
    clsHash store;
    detail::FolderScan scan(prefix, query, store, options);
    // The listing goes before the logs are read: with many small logs it
    // is megabytes.
    std::vector<std::string> logs = NamesOf(ListLogs(Utf8ToPath(prefix)));
    scan.Run(std::move(logs), observer);
    return std::move(scan.outcome());
}

}  // namespace vantor
