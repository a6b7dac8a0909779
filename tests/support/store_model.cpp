#include "tests/support/store_model.h"

#include <algorithm>
#include <array>
#include <vector>

#include "store/cls_hash.h"
#include "vantor/run_error.h"

namespace vantor::testing {

namespace {

constexpr std::size_t kWidth = 40;

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The store as its description reads.
class LiteralStore {
public:
    void AddValue(std::string_view Key, std::string_view Value) {
        std::size_t slot = Slot(Key);
        if (slot == 0) {
            keys_ += (std::string(Key.substr(0, kWidth)) + std::string(kWidth, '\0')).substr(0, kWidth);
            values_.push_back(0);
            slot = values_.size() - 1;
        }
        values_[slot] = ReferenceToInt32(Value);
    }
    std::int32_t GetValue(std::string_view Key) const { return values_[Slot(Key)]; }
    std::int32_t NumKeys() const { return static_cast<std::int32_t>(values_.size()) - 1; }
    void Clear() { keys_.clear(), values_.assign(1, 0); }
    std::string GetKeyByNumber(std::int32_t Number) const {
        if (Number < 1) throw RunError(ErrorKind::InvalidArgument, "slot number below 1");
        std::string key = Number > NumKeys() ? "" : keys_.substr((Number - 1) * kWidth, kWidth);
        key.erase(0, key.find_first_not_of(' '));
        return key.erase(key.find_last_not_of(' ') + 1);
    }
    std::int32_t GetValueByNumber(std::int32_t Number) const {
        return Number < 0 || Number > NumKeys() ? 0 : values_[static_cast<std::size_t>(Number)];
    }
    void AddToValue(std::string_view Key, std::int32_t Amount) {
        const std::int64_t sum = std::int64_t{GetValue(Key)} + Amount;
        if (sum != static_cast<std::int32_t>(sum)) throw RunError(ErrorKind::Overflow, "sum out of range");
        AddValue(Key, std::to_string(sum));
    }
    const std::string& keys() const { return keys_; }

private:
    // The first match, at 1-based position p, lies in slot p / 40 + 1; no
    // match, or one past the last slot, is slot 0, whose value stays 0.
    std::size_t Slot(std::string_view Key) const {
        const std::size_t position = keys_.empty() ? std::string::npos : keys_.find(Key);
        const std::size_t slot = position == std::string::npos ? 0 : (position + 1) / kWidth + 1;
        return slot < values_.size() ? slot : 0;
    }

    std::string keys_;
    std::vector<std::int32_t> values_{0};
};

}  // namespace

std::int32_t ReferenceToInt32(std::string_view text) {
    const RunError mismatch(ErrorKind::TypeMismatch, "'" + std::string(text) + "' is not a number");
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) throw mismatch;
    std::string s(text.substr(first, text.find_last_not_of(' ') - first + 1));
    const bool negative = s[0] == '-';
    if (s[0] == '+' || s[0] == '-') s.erase(0, 1);
    const std::size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : s.substr(point + 1);
    if (!AllDigits(whole) || !AllDigits(fraction) || whole.size() + fraction.size() == 0) throw mismatch;

    // The fraction against one half, as digit strings: "5000..." is a half.
    fraction.resize(std::max<std::size_t>(fraction.size(), 1), '0');
    const int half = fraction.compare("5" + std::string(fraction.size() - 1, '0'));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (half > 0 || (half == 0 && !whole.empty() && (whole.back() - '0') % 2 == 1)) {
        std::size_t i = whole.size();
        while (i > 0 && whole[i - 1] == '9') whole[--i] = '0';
        if (i == 0) {
            whole.insert(whole.begin(), '1');
        } else {
            ++whole[i - 1];
        }
    }
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (whole.size() > limit.size() || (whole.size() == limit.size() && whole > limit)) {
        throw RunError(ErrorKind::Overflow, "'" + std::string(text) + "' is outside the 32-bit range");
    }
    const long long magnitude = whole.empty() ? 0 : std::stoll(whole);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string StoreDifference(std::string_view ops) {
    const auto next = [&]() -> unsigned {  // the next byte; 0 once they run out
        if (ops.empty()) return 0;
        const auto byte = static_cast<unsigned char>(ops.front());
        ops.remove_prefix(1);
        return byte;
    };
    const auto below = [&](unsigned n) { return next() % n; };
    clsHash store;
    LiteralStore model;
    const std::string& keys = model.keys();
    std::vector<std::string> used{""};
    std::size_t count = 0;
    std::string k, value, difference;
    std::int32_t n = 0, amount = 0;
    // Runs `op` on both stores; notes the first result (or error kind, or
    // number of slots after it) that differs.
    const auto same = [&](const char* name, auto&& op) {
        const auto run = [&](auto& s) {
            std::string result;
            try {
                result = op(s);
            } catch (const RunError& error) {
                result = KindName(error.kind());
            }
            return result + ", " + std::to_string(s.NumKeys()) + " slots";
        };
        const std::string got = run(store), want = run(model);
        if (got == want || !difference.empty()) return;
        difference = EscapeControlBytes("operation " + std::to_string(count) + ", " + name + ": key '" + k +
                                        "', value '" + value + "', number " + std::to_string(n) + ", amount " +
                                        std::to_string(amount) + ": clsHash " + got + ", model " + want);
    };
    // Mostly bytes that make keys occur in one another and in the padding.
    const auto text = [&](std::size_t length) {
        std::string s;
        while (s.size() < length) {
            const unsigned byte = next();
            s += byte < 240 ? "ab (\0"[byte % 5] : "xyZ\xA8"[byte % 4];
        }
        return s;
    };
    const auto key = [&] {
        const unsigned how = below(8);
        if (how < 2) return used[used.size() - 1 - next() % used.size()];
        if (how < 4) {  // from 2 bytes before a slot to 2 bytes past its end
            const std::size_t from = next() % (keys.size() / kWidth + 1) * kWidth + below(44);
            used.push_back(keys.substr(std::min(std::max<std::size_t>(from, 2) - 2, keys.size()), below(56)));
        } else {
            used.push_back(text(how == 4 ? std::array{39, 40, 41, 80, 85}[below(5)] : below(8)));
        }
        return used.back();
    };
    const auto number = [&] {  // signs, points, halves, spaces, limits, junk
        static constexpr std::string_view kPieces[] = {" ", "-", "+", "0", "1", "2", "7", "9", ".", ".5", "5",
                                                       "2147483647", "2147483648", "x", "e3", "-0.5"};
        std::string number;
        for (unsigned pieces = 1 + below(4); pieces > 0; --pieces) number += kPieces[below(16)];
        return number;
    };
    const auto raw = [&](std::size_t length) {  // the next bytes as they are
        const std::string bytes(ops.substr(0, length));
        ops.remove_prefix(bytes.size());
        return bytes;
    };
    const auto add = [&](auto& s) { return s.AddValue(k, value), std::string(); };
    const auto get = [&](auto& s) { return std::to_string(s.GetValue(k)); };
    bool cleared = false;
    while (!ops.empty() && difference.empty()) {
        ++count;
        const unsigned byte = next(), op = byte % 8;
        if (byte == 0xFB && !cleared) {  // once at most: a cleared index costs more than all else here
            cleared = true;
            store.Clear();
            model.Clear();
            continue;
        }
        k = op < 7 ? key() : keys.substr(keys.size() - std::min<std::size_t>(keys.size(), 1 + below(8)));
        value = below(2) ? std::to_string(static_cast<std::int8_t>(next())) : below(2) ? number() : raw(below(12));
        n = below(16) ? static_cast<std::int32_t>(next()) - 2 : std::array{INT32_MIN, INT32_MAX}[below(2)];
        amount = below(4) ? static_cast<std::int8_t>(next()) : std::array{INT32_MAX, INT32_MIN, 1 << 30}[below(3)];
        switch (op) {
            case 0:
            case 1: same("AddValue", add); break;
            case 2: same("GetValue", get); break;
            case 3:
            case 4: same("AddToValue", [&](auto& s) { return s.AddToValue(k, amount), std::string(); }); break;
            case 5: same("GetKeyByNumber", [&](auto& s) { return s.GetKeyByNumber(n); }); break;
            case 6: same("GetValueByNumber", [&](auto& s) { return std::to_string(s.GetValueByNumber(n)); }); break;
            default: {
                if (below(2)) {  // a full slot ending in new bytes, then 2 or 3 of them: no 4-byte gram starts there
                    k = text(37) + raw(3), same("AddValue of a full slot", add);
                    k = k.substr(std::min(k.size(), std::size_t{37} + below(2))), same("GetValue at the end", get);
                    break;
                }
                // A key across the end of the text: missed, then found once its rest is added.
                const std::string rest = text(1 + below(6)), across = k + rest;
                k = across, same("GetValue across the end", get);
                k = rest + text(below(8)), same("AddValue after it", add);
                k = across, same("GetValue across the old end", get);
            }
        }
    }
    same("every slot at the end", [](auto& s) {
        std::string all;
        for (std::int32_t i = 1; i <= s.NumKeys(); ++i) {
            all += s.GetKeyByNumber(i) + "=" + std::to_string(s.GetValueByNumber(i)) + ";";
        }
        return all;
    });
    return difference;
}

}  // namespace vantor::testing
