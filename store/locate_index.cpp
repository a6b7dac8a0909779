#include "store/locate_index.h"

#include <algorithm>
#include <cstring>

namespace vantor::detail {

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kGram = 4;
// Below this many new bytes, a key missed before is looked for directly in
// them rather than through the index.
constexpr std::size_t kDirectSearchBytes = 512;

std::uint64_t Mix(std::uint64_t h) noexcept {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

std::uint32_t Load(const char* p, std::size_t n) noexcept {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < n; ++i) value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

}  // namespace

namespace {

// The high and low halves of a 64 x 64-bit product, folded.
std::uint64_t MultiplyFold(std::uint64_t a, std::uint64_t b) noexcept {
#ifdef __SIZEOF_INT128__
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
#else
    return Mix(a * 0xD6E8FEB86659FD93ULL ^ Mix(b));
#endif
}

}  // namespace

std::uint64_t HashBytes(std::string_view bytes) noexcept {
    // Item names are mostly 8 to 40 bytes: two overlapping words cover up to
    // 16 bytes, longer names take 16 bytes a round.
    constexpr std::uint64_t kOdd1 = 0xA0761D6478BD642FULL;
    constexpr std::uint64_t kOdd2 = 0xE7037ED1A0B428DBULL;
    const auto load64 = [](const char* p) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        return word;
    };
    const auto load32 = [](const char* p) {
        std::uint32_t word;
        std::memcpy(&word, p, 4);
        return std::uint64_t{word};
    };
    const char* p = bytes.data();
    const std::size_t size = bytes.size();
    std::uint64_t seed = kOdd2 ^ size;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (size > 16) {
        std::size_t left = size;
        for (; left > 16; p += 16, left -= 16) seed = MultiplyFold(load64(p) ^ kOdd1, load64(p + 8) ^ seed);
        a = load64(p + left - 16);  // the last 16 bytes, some hashed already
        b = load64(p + left - 8);
    } else if (size >= 8) {
        a = load64(p);
        b = load64(p + size - 8);
    } else if (size >= 4) {
        a = load32(p);
        b = load32(p + size - 4);
    } else if (size > 0) {
        const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
        a = (byte(0) << 16) | (byte(size / 2) << 8) | byte(size - 1);
    }
    return MultiplyFold(a ^ kOdd1, b ^ seed) ^ seed;
}

LocateIndex::LocateIndex() { Clear(); }

void LocateIndex::Clear() {
    known_.assign(64, Known{});
    knownCount_ = 0;
    knownKeys_.clear();
    chains_.Reset();
    next_.clear();
    firstOf3_.Reset();
    firstOf2_.assign(65536, kNone);
    firstOf1_.assign(256, kNone);
    indexed_ = 0;
    unindexable_ = false;
}

std::size_t LocateIndex::Find(std::string_view text, std::string_view key) {
    if (key.empty()) return text.empty() ? npos : 0;

    const std::uint64_t hash = HashBytes(key);
    if (Known* known = FindKnown(key, hash)) {
        if (known->position != npos || known->checked == text.size()) return known->position;
        // Only matches that end in the bytes appended since the last search are new.
        const std::size_t from = known->checked >= key.size() ? known->checked - key.size() + 1 : 0;
        known->position = text.size() - from <= kDirectSearchBytes ? text.find(key, from)
                                                                   : FindInText(text, key);
        known->checked = text.size();
        return known->position;
    }
    const std::size_t position = FindInText(text, key);
    AddKnown(key, hash, position, text.size());
    return position;
}

LocateIndex::Known* LocateIndex::FindKnown(std::string_view key, std::uint64_t hash) {
    const std::size_t mask = known_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Known& entry = known_[i];
        if (entry.keyOffset == kNone) return nullptr;
        if (entry.hash == hash && entry.keyLength == key.size() &&
            std::memcmp(entry.head, key.data(), std::min(key.size(), kHeadBytes)) == 0 &&
            (key.size() <= kHeadBytes ||
             std::memcmp(knownKeys_.data() + entry.keyOffset + kHeadBytes, key.data() + kHeadBytes,
                         key.size() - kHeadBytes) == 0)) {
            return &entry;
        }
    }
}

void LocateIndex::AddKnown(std::string_view key, std::uint64_t hash, std::size_t position,
                           std::size_t checked) {
    if (knownKeys_.size() + key.size() >= kNone) return;  // not remembered; still correct
    if (2 * (knownCount_ + 1) > known_.size()) {
        std::vector<Known> old(known_.size() * 2);
        old.swap(known_);
        const std::size_t mask = known_.size() - 1;
        for (const Known& entry : old) {
            if (entry.keyOffset == kNone) continue;
            std::size_t i = entry.hash & mask;
            while (known_[i].keyOffset != kNone) i = (i + 1) & mask;
            known_[i] = entry;
        }
    }
    const std::size_t mask = known_.size() - 1;
    std::size_t i = hash & mask;
    while (known_[i].keyOffset != kNone) i = (i + 1) & mask;
    Known& entry = known_[i];
    entry.hash = hash;
    entry.position = position;
    entry.checked = checked;
    entry.keyOffset = static_cast<std::uint32_t>(knownKeys_.size());
    entry.keyLength = static_cast<std::uint32_t>(key.size());
    key.copy(entry.head, kHeadBytes);
    knownKeys_.append(key);
    ++knownCount_;
}

template <typename V>
void LocateIndex::GramMap<V>::Reset() {
    entries_.assign(256, Entry{});
    count_ = 0;
}

template <typename V>
V* LocateIndex::GramMap<V>::Find(std::uint32_t gram) {
    const std::size_t mask = entries_.size() - 1;
    for (std::size_t i = Mix(gram) & mask;; i = (i + 1) & mask) {
        if (!entries_[i].used) return nullptr;
        if (entries_[i].gram == gram) return &entries_[i].value;
    }
}

template <typename V>
V& LocateIndex::GramMap<V>::Get(std::uint32_t gram) {
    if (V* found = Find(gram)) return *found;
    if (2 * (count_ + 1) > entries_.size()) {
        std::vector<Entry> old(entries_.size() * 2);
        old.swap(entries_);
        count_ = 0;
        for (const Entry& entry : old) {
            if (entry.used) Get(entry.gram) = entry.value;
        }
    }
    const std::size_t mask = entries_.size() - 1;
    std::size_t i = Mix(gram) & mask;
    while (entries_[i].used) i = (i + 1) & mask;
    entries_[i].gram = gram;
    entries_[i].used = true;
    ++count_;
    return entries_[i].value;
}

void LocateIndex::IndexText(std::string_view text) {
    if (unindexable_ || text.size() >= kNone) {
        unindexable_ = true;
        return;
    }
    // A position is indexed once its 4-byte gram is complete.
    const char* data = text.data();
    for (; indexed_ + kGram <= text.size(); ++indexed_) {
        const auto position = static_cast<std::uint32_t>(indexed_);
        const char* p = data + indexed_;
        std::uint32_t& first1 = firstOf1_[static_cast<unsigned char>(p[0])];
        if (first1 == kNone) first1 = position;
        std::uint32_t& first2 = firstOf2_[Load(p, 2)];
        if (first2 == kNone) first2 = position;
        std::uint32_t& first3 = firstOf3_.Get(Load(p, 3));  // position + 1; 0 is unset
        if (first3 == 0) first3 = position + 1;
        GramChain& chain = chains_.Get(Load(p, kGram));
        if (chain.count == 0) {
            chain.first = position;
        } else {
            next_[chain.last] = position;
        }
        chain.last = position;
        ++chain.count;
        next_.push_back(kNone);
    }
}

std::size_t LocateIndex::FindInText(std::string_view text, std::string_view key) {
    IndexText(text);
    if (unindexable_) return text.find(key);


    if (key.size() < kGram) {
        std::size_t first = kNone;
        if (key.size() == 1) {
            first = firstOf1_[static_cast<unsigned char>(key[0])];
        } else if (key.size() == 2) {
            first = firstOf2_[Load(key.data(), 2)];
        } else if (const std::uint32_t* found = firstOf3_.Find(Load(key.data(), 3))) {
            first = *found - 1;
        }
        // The last few positions start no full gram and are not indexed.
        return first != kNone ? first : text.find(key, indexed_);
    }

    // The rarest gram of the key; a gram that never occurs means no match
    // among the indexed positions.
    std::size_t bestOffset = 0;
    const GramChain* best = nullptr;
    for (std::size_t offset = 0; offset + kGram <= key.size(); ++offset) {
        const GramChain* chain = chains_.Find(Load(key.data() + offset, kGram));
        if (chain == nullptr) return npos;
        if (best == nullptr || chain->count < best->count) {
            best = chain;
            bestOffset = offset;
        }
    }
    for (std::uint32_t p = best->first; p != kNone; p = next_[p]) {
        if (p < bestOffset) continue;
        const std::size_t start = p - bestOffset;
        if (start + key.size() <= text.size() &&
            std::memcmp(text.data() + start, key.data(), key.size()) == 0) {
            return start;
        }
    }
    // Every match starts at an indexed position, so every match is in the chain.
    return npos;
}

}  // namespace vantor::detail
