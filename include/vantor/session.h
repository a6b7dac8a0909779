#pragma once

// This session's gains: while a folder is followed, what each listed item
// gained since the session began, whatever changed the logs (an append, a
// new log, an earlier log rewritten).

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "vantor/tally.h"

namespace vantor {

// The totals a session began with. A row is known by its name and how many
// rows before it have that name (a name cut at 40 bytes can be several
// rows), not by its place in the list, which an earlier log rewritten can
// change.
class SessionStart {
public:
    // A session that began before any row: each gains its whole total.
    SessionStart() = default;
    // Begins at the totals of `rows`, in the order they are listed.
    explicit SessionStart(const std::vector<TallyRow>& rows);
    // The same for rows of another kind with an `item` (a ledger's), whose
    // total is std::invoke(total, row): one action's, say.
    template <typename Row, typename Total>
    SessionStart(const std::vector<Row>& rows, Total total);

    // Each row's gain: its total less its total when the session began, its
    // whole total when it was not listed then. Less than nothing when an
    // earlier log was rewritten with less.
    std::vector<std::int64_t> Gains(const std::vector<TallyRow>& rows) const;
    template <typename Row, typename Total>
    std::vector<std::int64_t> Gains(const std::vector<Row>& rows, Total total) const;

private:
    using Key = std::pair<std::string, int>;
    // Each name's next key, for rows taken in list order.
    class Keys {
    public:
        Key Next(const std::string& name);

    private:
        std::map<std::string, int> seen_;
    };

    std::map<Key, std::int64_t> totals_;
};

template <typename Row, typename Total>
SessionStart::SessionStart(const std::vector<Row>& rows, Total total) {
    Keys keys;
    for (const Row& row : rows) totals_[keys.Next(row.item)] = std::invoke(total, row);
}

template <typename Row, typename Total>
std::vector<std::int64_t> SessionStart::Gains(const std::vector<Row>& rows, Total total) const {
    Keys keys;
    std::vector<std::int64_t> gains;
    gains.reserve(rows.size());
    for (const Row& row : rows) {
        const auto start = totals_.find(keys.Next(row.item));
        gains.push_back(std::invoke(total, row) - (start != totals_.end() ? start->second : 0));
    }
    return gains;
}

}  // namespace vantor
