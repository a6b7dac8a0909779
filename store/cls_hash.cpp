#include "store/cls_hash.h"

#include <algorithm>
#include <limits>

#include "store/locate_index.h"
#include "store/numeric.h"
#include "vantor/run_error.h"

namespace vantor {

clsHash::clsHash()
    : mKeyWidth(kKeyWidth), mValues(1, 0), mIndex(std::make_unique<detail::LocateIndex>()) {}

clsHash::~clsHash() = default;

std::int64_t clsHash::FindSlot(std::string_view Key) {
    const std::size_t found = mIndex->Find(mKeys, Key);
    if (found == std::string_view::npos) return 0;
    const auto position = static_cast<std::int64_t>(found) + 1;  // 1-based
    // The width is always kKeyWidth, and dividing by a constant is cheaper.
    const std::int64_t slot = (mKeyWidth == kKeyWidth ? position / kKeyWidth : position / mKeyWidth) + 1;
    // A match at the last byte of the text maps one past the last slot.
    return slot <= NumKeys() ? slot : 0;
}

std::int64_t clsHash::AppendSlot(std::string_view Key) {
    const auto width = static_cast<std::size_t>(mKeyWidth);
    const std::size_t kept = std::min(Key.size(), width);
    mKeys.append(Key.data(), kept);
    mKeys.append(width - kept, '\0');
    mValues.push_back(0);
    return NumKeys();
}

void clsHash::AddValue(std::string_view Key, std::string_view Value) {
    std::int64_t slot = FindSlot(Key);
    if (slot == 0) slot = AppendSlot(Key);
    mValues[static_cast<std::size_t>(slot)] = ToInt32(Value);
}

std::int32_t clsHash::GetValue(std::string_view Key) {
    return mValues[static_cast<std::size_t>(FindSlot(Key))];  // element 0 is always 0
}

std::int32_t clsHash::AddToValue(std::string_view Key, std::int32_t Amount) {
    std::int64_t slot = FindSlot(Key);
    const std::int64_t sum = std::int64_t{mValues[static_cast<std::size_t>(slot)]} + Amount;
    if (sum < std::numeric_limits<std::int32_t>::min() ||
        sum > std::numeric_limits<std::int32_t>::max()) {
        throw RunError(ErrorKind::Overflow, "total of '" + std::string(Key) + "' would be " +
                                                std::to_string(sum) +
                                                ", outside the 32-bit range");
    }
    if (slot == 0) slot = AppendSlot(Key);
    mValues[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>(sum);
    return static_cast<std::int32_t>(slot);
}

std::int32_t clsHash::GetSlotNumber(std::string_view Key) { return static_cast<std::int32_t>(FindSlot(Key)); }

std::int32_t clsHash::NumKeys() const {
    return static_cast<std::int32_t>(mValues.size() - 1);
}

void clsHash::Clear() {
    mKeys.clear();
    mValues.assign(1, 0);
    mIndex->Clear();
}

std::string clsHash::GetKeyByNumber(std::int32_t Number) const {
    if (Number < 1) {
        throw RunError(ErrorKind::InvalidArgument,
                       "key number " + std::to_string(Number) + " is below 1");
    }
    if (Number > NumKeys()) return {};
    std::string_view slot(mKeys);
    slot = slot.substr(static_cast<std::size_t>(Number - 1) * static_cast<std::size_t>(mKeyWidth),
                       static_cast<std::size_t>(mKeyWidth));
    const std::size_t first = slot.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(slot.substr(first, slot.find_last_not_of(' ') - first + 1));
}

std::int32_t clsHash::GetValueByNumber(std::int32_t Number) const {
    if (Number < 0 || Number > NumKeys()) return 0;
    return mValues[static_cast<std::size_t>(Number)];
}

}  // namespace vantor
