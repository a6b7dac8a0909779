#include "vantor/ledger.h"

#include <unordered_map>
#include <utility>

namespace vantor {

LedgerOutcome LedgerFolder(const std::string& folder, const std::string& player, unsigned codePage,
                           ScanObserver* observer, const ScanOptions& options) {
    Query query{player, std::string(kActions[0].tag), {}, codePage};
    for (std::size_t action = 1; action < kActions.size(); ++action) query.moreTags.emplace_back(kActions[action].tag);
    ScanOptions exact = options;
    exact.exactNames = true;
    TallyOutcome tally = TallyFolder(folder, query, observer, exact);

    LedgerOutcome ledger;
    ledger.codePage = tally.codePage;
    ledger.logs = std::move(tally.logs);
    ledger.logsRead = tally.logsRead;
    ledger.stopped = tally.stopped;
    ledger.problems = std::move(tally.problems);
    ledger.problemCount = tally.problemCount;
    ledger.similarPlayers = std::move(tally.similarPlayers);
    // Each tally row is one action's name, under the action's index as its
    // first byte (in the text too), first met first: a name's first row
    // places it.
    std::unordered_map<std::string, std::size_t> index;
    for (TallyRow& row : tally.rows) {
        const auto action = static_cast<std::size_t>(static_cast<unsigned char>(row.bytes.front()));
        std::string bytes = row.bytes.substr(1);
        const auto [it, added] = index.try_emplace(bytes, ledger.rows.size());
        if (added) ledger.rows.push_back({row.item.substr(1), std::move(bytes), {}, {}});
        LedgerRow& item = ledger.rows[it->second];
        item.totals[action] = row.total;
        item.parts[action] = std::move(row.parts);
    }
    return ledger;
}

std::vector<LedgerRow> LedgerRowsInRange(const LedgerOutcome& outcome, std::size_t first, std::size_t last,
                                         std::vector<std::size_t>* indexes) {
    std::vector<LedgerRow> rows;
    if (indexes != nullptr) indexes->clear();
    for (const LedgerRow& row : outcome.rows) {
        LedgerRow part{row.item, row.bytes, {}, {}};
        bool credited = false;
        for (std::size_t action = 0; action < row.parts.size(); ++action) {
            for (const LogCredit& credit : row.parts[action]) {
                if (credit.log < first || credit.log > last) continue;
                part.parts[action].push_back(credit);
                part.totals[action] += credit.quantity;
                credited = true;
            }
        }
        if (!credited) continue;
        rows.push_back(std::move(part));
        if (indexes != nullptr) indexes->push_back(static_cast<std::size_t>(&row - outcome.rows.data()));
    }
    return rows;
}

}  // namespace vantor
