#pragma once

// A slow, literal tally store for the differential test: one text of 40-byte
// slots searched with std::string::find from the start.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/numeric.h"
#include "store/run_error.h"

namespace vantor::testing {

class NaiveStore {
public:
    static constexpr std::size_t kWidth = 40;

    void AddValue(std::string_view Key, std::string_view Value) {
        std::size_t slot = Slot(Key);
        if (slot == 0) {
            keys_ += (std::string(Key.substr(0, kWidth)) + std::string(kWidth, '\0')).substr(0, kWidth);
            values_.push_back(0);
            slot = values_.size() - 1;
        }
        values_[slot] = ToInt32(Value);
    }
    std::int32_t GetValue(std::string_view Key) const { return values_[Slot(Key)]; }
    std::int32_t NumKeys() const { return static_cast<std::int32_t>(values_.size() - 1); }
    void Clear() { keys_.clear(), values_.assign(1, 0); }
    std::string GetKeyByNumber(std::int32_t Number) const {
        if (Number < 1) throw RunError(ErrorKind::InvalidArgument, "slot number below 1");
        std::string key = Number > NumKeys() ? "" : keys_.substr((Number - 1) * kWidth, kWidth);
        key.erase(0, key.find_first_not_of(' '));
        return key.erase(key.find_last_not_of(' ') + 1);
    }
    std::int32_t GetValueByNumber(std::int32_t Number) const {
        return Number < 0 || Number > NumKeys() ? 0 : values_[Number];
    }
    void AddToValue(std::string_view Key, std::int32_t Amount) {
        const std::int64_t sum = std::int64_t{GetValue(Key)} + Amount;
        if (sum != static_cast<std::int32_t>(sum)) throw RunError(ErrorKind::Overflow, "sum out of range");
        AddValue(Key, std::to_string(sum));
    }
    const std::string& keys() const { return keys_; }

private:
    // Position p (1-based) of the first match lies in slot p / 40 + 1; no match,
    // or one past the last slot, gives slot 0, whose value is always 0.
    std::size_t Slot(std::string_view Key) const {
        const std::size_t pos = keys_.empty() ? std::string::npos : keys_.find(Key);
        const std::size_t slot = pos == std::string::npos ? 0 : (pos + 1) / kWidth + 1;
        return slot < values_.size() ? slot : 0;
    }

    std::string keys_;
    std::vector<std::int32_t> values_{0};
};

}  // namespace vantor::testing
