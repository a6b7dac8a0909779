#pragma once

#include "text/internal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::detail {

// A hash of a short byte string; fast rather than strong.
std::uint64_t HashBytes(std::string_view bytes) noexcept;

// Finds the first occurrence of a key in the store's key text, which only
// ever grows at its end (until it is emptied), with exactly the result of a
// plain substring search from the start.
//
// Two parts:
//  - a table of every key looked up so far with its answer. A first
//    occurrence, once found, never moves: text appended later can only add
//    matches that start after it. A key not found in the first `checked`
//    bytes can only appear in matches that reach past them, so it is looked
//    for again only there.
//  - an index of the text for keys not seen before: for every position, its
//    4-byte gram is chained to the next position with the same gram, so a
//    key is looked for only where its rarest gram occurs, in text order;
//    keys of 1 to 3 bytes have the first position of every such string.
class LocateIndex {
public:
    LocateIndex();

    // 0-based position of the first occurrence of `key` in `text`, npos when
    // there is none. `text` must be the text of the previous calls, possibly
    // with bytes appended.
    std::size_t Find(std::string_view text, std::string_view key);

    // Forgets everything; call when the text is emptied.
    void Clear();

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // One cache line: a lookup of a known key of up to kHeadBytes bytes
    // reads nothing else.
    static constexpr std::size_t kHeadBytes = 32;
    struct alignas(64) Known {
        std::uint64_t hash = 0;
        std::size_t position = 0;     // npos: not found in text[0, checked)
        std::size_t checked = 0;
        std::uint32_t keyOffset = kNone;  // in knownKeys_; kNone: an empty entry
        std::uint32_t keyLength = 0;
        char head[kHeadBytes] = {};   // the key's first bytes
    };
    struct GramChain {
        std::uint32_t first = kNone;
        std::uint32_t last = kNone;
        std::uint32_t count = 0;
    };

    // An open-addressing map from 32-bit grams to V.
    template <typename V>
    class GramMap {
    public:
        void Reset();
        V* Find(std::uint32_t gram);
        V& Get(std::uint32_t gram);  // inserts V{} when missing

    private:
        struct Entry {
            std::uint32_t gram = 0;
            bool used = false;
            V value{};
        };
        std::vector<Entry> entries_;
        std::size_t count_ = 0;
    };

    Known* FindKnown(std::string_view key, std::uint64_t hash);
    void AddKnown(std::string_view key, std::uint64_t hash, std::size_t position, std::size_t checked);
    void IndexText(std::string_view text);
    std::size_t FindInText(std::string_view text, std::string_view key);

    std::vector<Known> known_;  // open addressing, power-of-two size
    std::size_t knownCount_ = 0;
    std::string knownKeys_;

    GramMap<GramChain> chains_;  // 4-byte grams
    std::vector<std::uint32_t> next_;  // next position with the same 4-byte gram
    GramMap<std::uint32_t> firstOf3_;  // first position of each 3-byte string
    std::vector<std::uint32_t> firstOf2_;  // ... of each 2-byte string
    std::vector<std::uint32_t> firstOf1_;  // ... of each byte
    std::size_t indexed_ = 0;  // positions whose strings of 1 to 4 bytes are all indexed
    bool unindexable_ = false;  // the text outgrew 32-bit positions
};

}  // namespace vantor::detail
