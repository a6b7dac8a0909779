#include "vantor/session.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vantor {
namespace {

std::vector<TallyRow> Rows(const std::vector<std::pair<std::string, std::int64_t>>& totals) {
    std::vector<TallyRow> rows;
    for (const auto& [item, total] : totals) rows.push_back({item, item, total, {}, {}, {}});
    return rows;
}

// A row is known by its name and how many rows before it have that name,
// wherever it is listed now.
TEST(SessionStart, EachRowGainsItsTotalLessItsTotalAtTheStart) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::int64_t>> start, now;
        std::vector<std::int64_t> gains;
    };
    const Case cases[] = {
        {"an append", {{"Feather", 12}, {"Rope", 3}}, {{"Feather", 31}, {"Rope", 3}}, {19, 0}},
        {"an item new since", {{"Feather", 12}}, {{"Feather", 12}, {"Gem", 4}}, {0, 4}},
        {"an earlier log rewritten with less", {{"Feather", 12}, {"Rope", 3}}, {{"Feather", 7}}, {-5}},
        {"rows in another order", {{"Feather", 1}, {"Rope", 2}}, {{"Rope", 5}, {"Feather", 1}}, {3, 0}},
        {"a name cut at 40 bytes: two rows", {{"Cut", 5}, {"Rope", 1}, {"Cut", 2}}, {{"Rope", 1}, {"Cut", 6}, {"Cut", 2}},
         {0, 1, 0}},
        {"a second row of a name new since", {{"Cut", 5}}, {{"Cut", 5}, {"Cut", 3}}, {0, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SessionStart(Rows(c.start)).Gains(Rows(c.now)), c.gains) << c.what;
    }
    EXPECT_EQ(SessionStart().Gains(Rows({{"Feather", 12}, {"Feather", 2}})), (std::vector<std::int64_t>{12, 2}))
        << "a session begun before any row";
}

}  // namespace
}  // namespace vantor
