// clsHash and NaiveStore run the same random operations on keys that collide, overlap,
// cross slot ends, sit in padding, and are missed once and found later across the old end.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "naive_store.h"
#include "store/cls_hash.h"
#include "tests/support/test_seed.h"

namespace {

using testing::PrintToString;

TEST(StoreDifferential, RandomSequencesMatchTheNaiveStore) {
    const std::string names[] = {"AddValue", "GetValue", "AddToValue", "GetKeyByNumber", "GetValueByNumber", "Clear"};
    const char* const odd[] = {"2.5", " 3.5 ", "-0.5", "abc", "", "2147483648", "-2147483649", "1e3", "7.", "+12"};
    int maxSlots = 0;
    const std::uint32_t firstSeed = vantor::testing::TestSeed(1);  // a failure names its seed
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 2500; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        const auto big = [&] { return std::array{INT32_MAX, INT32_MIN, INT32_MAX - 3, INT32_MIN + 3}[pick(4)]; };
        const auto rare = [&] { return "xyZ\xA8"[pick(4)]; };
        const auto text = [&](int len) {
            std::string s;
            while (len-- > 0) s += pick(60) ? "ab (\0"[pick(5)] : rare();
            return s;
        };
        std::array<std::string, 64> earlier;  // keys used before, for repeated lookups
        std::string cross, more, recheck;      // cross: the end of the text + more; AddValue(more) comes next
        vantor::clsHash store;
        vantor::testing::NaiveStore model;
        const std::string& keys = model.keys();
        const int steps = seed % 10 ? 20 + static_cast<int>(seed * 7919 % 200) : 1500;
        const auto newKey = [&](bool forAdd) {
            if (!recheck.empty()) return std::exchange(recheck, {});
            if (!cross.empty() && forAdd && pick(4))
                return recheck = std::exchange(cross, {}), std::exchange(more, {});
            const int size = static_cast<int>(keys.size()), kind = pick(12);
            if (kind < 3) return earlier[pick(64)];
            if (kind < 5 && size > 0) return keys.substr(pick(size), pick(46));
            if (kind < 6 && size > 0) {
                more = text(1 + pick(6));
                cross = keys.substr(size - 1 - pick(std::min(60, size))) + more;
                return more += text(pick(8)), cross;
            }
            if (kind < 7) {
                std::string k = text(std::array{39, 40, 41, 80, 85, 90}[pick(6)]);
                if (pick(3) == 0) k[39] = rare();  // a rare byte ending its slot
                return k;
            }
            return kind < 8 ? std::string(1, pick(2) ? rare() : "ab (\0"[pick(5)]) : text(pick(7));
        };
        for (int step = 0; step < steps; ++step) {
            const int r = pick(100), op = r < 38 ? 0 : r < 63 ? 1 : r < 78 ? 2 : r < 88 ? 3 : r < 98 ? 4 : 5;
            if (op == 5 && (seed % 3 || pick(4))) continue;  // Clear only in every third sequence, and rarely
            const std::string key = earlier[pick(64)] = newKey(op == 0);
            const std::string value =
                pick(5) ? std::to_string(pick(6) ? pick(101) - 50 : std::int64_t{big()} - pick(3) + 1) : odd[pick(10)];
            const std::int32_t number =
                op == 2 ? (pick(5) ? pick(41) - 20 : big()) : pick(20) ? pick(model.NumKeys() + 5) - 2 : big();
            const auto run = [&](auto& s) {  // the result or the kind of error, and NumKeys afterwards
                std::string result = "done";
                try {
                    if (op == 0) s.AddValue(key, value);
                    if (op == 1) result = std::to_string(s.GetValue(key));
                    if (op == 2) s.AddToValue(key, number);
                    if (op == 3) result = PrintToString(s.GetKeyByNumber(number));
                    if (op == 4) result = std::to_string(s.GetValueByNumber(number));
                    if (op == 5) s.Clear();
                } catch (const vantor::RunError& e) {
                    result = "RunError " + std::string(vantor::KindName(e.kind()));
                } catch (const std::exception& e) {
                    result = std::string("exception ") + e.what();
                }
                return result + ", NumKeys " + std::to_string(s.NumKeys());
            };
            const auto where = [&] {
                return "seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " + names[op] + " key " +
                       PrintToString(key) + " value " + PrintToString(value) + " number " + std::to_string(number);
            };
            ASSERT_EQ(run(store), run(model)) << where();
            for (std::int32_t n = 1; (step % 50 == 49 || step + 1 == steps) && n <= model.NumKeys(); ++n) {
                ASSERT_EQ(store.GetKeyByNumber(n), model.GetKeyByNumber(n)) << where() << ", then slot " << n;
                ASSERT_EQ(store.GetValueByNumber(n), model.GetValueByNumber(n)) << where() << ", then slot " << n;
            }
            maxSlots = std::max(maxSlots, model.NumKeys());
        }
    }
    EXPECT_GE(maxSlots, 200) << "sequences should grow to hundreds of slots";
}

}  // namespace
