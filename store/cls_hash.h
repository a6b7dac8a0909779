#pragma once

#include "text/internal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

namespace detail {
class LocateIndex;
}

// Bytes per key slot.
inline constexpr std::int32_t kKeyWidth = 40;

// The tally store: an insertion-ordered map from item name to a 32-bit total.
//
// All keys live in one text, mKeys, cut into slots of mKeyWidth (40) bytes; a
// key is stored cut or NUL-padded to exactly one slot. A lookup finds the
// first occurrence of the key anywhere in mKeys (inside a longer key, across
// two slots, in the padding) and uses the slot that occurrence falls in, so
// 'dget' finds the total of 'Widget'. The empty key is found at the start of
// a non-empty store. A match that starts at the very last byte of mKeys would
// belong to the slot after the last one; it counts as not found.
//
// Lookups give exactly the results of that literal search, but an index
// beside mKeys means a name that was looked up before is not searched again.
class clsHash {
public:
    clsHash();
    ~clsHash();
    clsHash(const clsHash&) = delete;
    clsHash& operator=(const clsHash&) = delete;

    // Sets (never adds to) the total of Key's slot, appending a slot for a
    // key that is not found. Value must hold a number (see ToInt32); if it
    // does not, a slot appended for Key stays with total 0 and the RunError
    // (TypeMismatch or Overflow) propagates.
    void AddValue(std::string_view Key, std::string_view Value);

    // The total of Key's slot; 0 when Key is not found.
    std::int32_t GetValue(std::string_view Key);

    // The number of slots.
    std::int32_t NumKeys() const;

    // Back to the empty store; the slot width stays.
    void Clear();

    // The 40 bytes of slot Number (1-based) with spaces cut from both ends;
    // NUL padding stays. Empty above NumKeys; InvalidArgument below 1.
    std::string GetKeyByNumber(std::int32_t Number) const;

    // The total of slot Number; 0 for 0 and for any number outside 1..NumKeys.
    std::int32_t GetValueByNumber(std::int32_t Number) const;

    // total(Key) += Amount in one lookup: the same result as GetValue followed
    // by AddValue of the sum as decimal text. Returns the slot that took it.
    // Throws Overflow, leaving the store unchanged, when the sum leaves the
    // 32-bit range.
    std::int32_t AddToValue(std::string_view Key, std::int32_t Amount);

    // The slot whose total GetValue(Key) gives; 0 when Key is not found.
    std::int32_t GetSlotNumber(std::string_view Key);

private:
    // 1-based position of Key's first occurrence in mKeys, 0 when there is
    // none, together with the slot it maps to (0 when not found).
    std::int64_t FindSlot(std::string_view Key);
    std::int64_t AppendSlot(std::string_view Key);

    std::int32_t mKeyWidth;
    std::string mKeys;
    std::vector<std::int32_t> mValues;
    std::unique_ptr<detail::LocateIndex> mIndex;
};

}  // namespace vantor
