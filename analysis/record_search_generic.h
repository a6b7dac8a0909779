// The record search, written once for every instruction set. Each
// record_search_<set>.cpp includes this once, inside its own namespace and
// (for sets beyond the baseline) its target region, after record_search.h
// and a `struct Simd` whose Eq(p, c) gives the mask of the 64 bytes at p
// that equal c (bit i: p[i]). So the code that runs for every byte is
// compiled whole for the set, and nothing it calls needs a wider one. No
// include guard and no includes, on purpose.

// Rounds of 64 positions tested per block: all the block's masks are made
// before any is looked at, so which rounds hold a candidate is one word made
// without branches. Where a hit is common (a player on every third line), a
// branch per round would be guessed wrong at a large share of rounds.
inline constexpr int kBlockRounds = 16;

// Bytes ahead of the search that are asked into the cache: the processor's
// own prefetching stops at page ends, and a mapped log's pages are scattered.
inline constexpr std::ptrdiff_t kPrefetchDistance = 4096;

inline std::uint64_t TabsAndCrs(const char* p) { return Simd::Eq(p, '\t') | Simd::Eq(p, '\r'); }

// The same for the `count` (below 64) bytes at p.
inline std::uint64_t TabsAndCrs(const char* p, std::ptrdiff_t count) {
    std::uint64_t mask = 0;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (p[i] == '\t' || p[i] == '\r') mask |= std::uint64_t{1} << i;
    }
    return mask;
}

// Whether the `size` bytes at p and q are the same. Player IDs and action
// tags are short: two words, overlapping, cover them.
inline bool SameBytes(const char* p, const char* q, std::size_t size) {
    const auto same = [&]<typename Word>(Word, std::size_t at) {
        Word x;
        Word y;
        std::memcpy(&x, p + at, sizeof x);
        std::memcpy(&y, q + at, sizeof y);
        return x == y;
    };
    if (size >= 8 && size <= 16) return same(std::uint64_t{}, 0) && same(std::uint64_t{}, size - 8);
    if (size >= 4 && size < 8) return same(std::uint32_t{}, 0) && same(std::uint32_t{}, size - 4);
    return std::memcmp(p, q, size) == 0;
}

// The tabs and CRs from p on, in order, 64 bytes at a time.
class Delimiters {
public:
    Delimiters(const char* p, const char* end) : base_(p), end_(end) { Load(); }

    // The next tab or CR, or `end`.
    const char* Next() {
        while (mask_ == 0) {
            if (end_ - base_ <= 64) return end_;
            base_ += 64;
            Load();
        }
        const char* found = base_ + std::countr_zero(mask_);
        mask_ &= mask_ - 1;
        return found;
    }

private:
    void Load() { mask_ = end_ - base_ >= 64 ? TabsAndCrs(base_) : TabsAndCrs(base_, end_ - base_); }

    const char* base_;
    const char* end_;
    std::uint64_t mask_ = 0;
};

// What an item entry holds that matters: "Ore C." (not taken), what
// cleaning changes, the first '('.
struct EntryShape {
    bool ore = false;
    bool unusual = false;
    std::size_t open = std::string_view::npos;
};

// The '(' at i of `entry`: the first one, or "(R)" or "(Y)".
inline void Bracket(std::string_view entry, std::size_t i, EntryShape& shape) {
    if (shape.open == std::string_view::npos) shape.open = i;
    if (i + 2 < entry.size() && (entry[i + 1] == 'R' || entry[i + 1] == 'Y') && entry[i + 2] == ')') {
        shape.unusual = true;
    }
}

// One pass over an item entry; bytes up to `readable` may be read. 64
// positions at a time, each compared with the bytes it starts: "(R)", "(Y)"
// and 0x81 make the entry unusual; "Or" with '.' four bytes on is looked at
// more closely, since "Ore C." is rare.
inline EntryShape Inspect(std::string_view entry, const char* readable) {
    EntryShape shape;
    const char* const data = entry.data();
    std::size_t at = 0;
    for (; at < entry.size() && readable - (data + at) >= 64 + 5; at += 64) {
        const char* p = data + at;
        const std::size_t left = entry.size() - at;
        const std::uint64_t inside = left >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << left) - 1;
        // Positions i with i + 2 < size, where "(R)" fits.
        const std::uint64_t fits3 =
            left >= 66 ? ~std::uint64_t{0} : left > 2 ? (std::uint64_t{1} << (left - 2)) - 1 : 0;
        const std::uint64_t open = Simd::Eq(p, '(') & inside;
        const std::uint64_t rOrY = Simd::Eq(p + 1, 'R') | Simd::Eq(p + 1, 'Y');
        shape.unusual |= ((Simd::Eq(p, '\x81') & inside) | (open & rOrY & Simd::Eq(p + 2, ')') & fits3)) != 0;
        if (shape.open == std::string_view::npos && open != 0) shape.open = at + std::countr_zero(open);
        std::uint64_t ores = Simd::Eq(p, 'O') & Simd::Eq(p + 1, 'r') & Simd::Eq(p + 5, '.') & inside;
        for (; ores != 0; ores &= ores - 1) {
            if (entry.compare(at + std::countr_zero(ores), 6, "Ore C.") == 0) {
                shape.ore = true;
                return shape;
            }
        }
    }
    for (std::size_t i = at; i < entry.size(); ++i) {
        const char c = entry[i];
        if (c == '(') {
            Bracket(entry, i, shape);
        } else if (c == '\x81') {
            shape.unusual = true;
        } else if (c == 'O' && entry.compare(i, 6, "Ore C.") == 0) {
            shape.ore = true;
            break;
        }
    }
    return shape;
}

// One call of FindRecords: the search for the player's field 1, then, for
// each line found, the check of its other fields.
class Search {
public:
    Search(const RecordQuery& query, const char* line, const char* from, const char* end, FoundRecord* out,
           std::size_t capacity)
        : query_(query), needle_(query.needle.data()), size_(query.needle.size()), end_(end), floor_(line),
          from_(from), out_(out), capacity_(capacity) {}

    // Returns where the search goes on, or end_.
    const char* Run() {
        const char* p = from_;
        if (end_ - p < static_cast<std::ptrdiff_t>(size_)) return end_;
        const char* const last = end_ - size_;  // the last possible start
        // Locals, so that no store to memory makes the compiler read them again.
        const std::size_t a = query_.probeA;
        const std::size_t b = query_.probeB;
        const char byteA = needle_[a];
        const char byteB = needle_[b];
        while (last - p >= 64 * kBlockRounds - 1) {
            std::uint64_t masks[kBlockRounds];
            std::uint32_t found = 0;
            for (int round = 0; round < kBlockRounds; ++round) {
                const char* at = p + 64 * round;
                __builtin_prefetch(at + kPrefetchDistance);
                masks[round] = Simd::Eq(at + a, byteA) & Simd::Eq(at + b, byteB);
                found |= std::uint32_t{masks[round] != 0} << round;
            }
            for (; found != 0; found &= found - 1) {
                const int round = std::countr_zero(found);
                if (!Visit(p + 64 * round, masks[round])) return from_;
            }
            p = std::max(p + 64 * kBlockRounds, from_);
        }
        for (; last - p >= 63; p = std::max(p + 64, from_)) {
            if (!Visit(p, Simd::Eq(p + a, byteA) & Simd::Eq(p + b, byteB))) return from_;
        }
        for (p = std::max(p, from_); p <= last; p = std::max(p + 1, from_)) {
            if (p[a] == byteA && p[b] == byteB && SameBytes(p, needle_, size_) && !Hit(p)) return from_;
        }
        return end_;
    }

    std::size_t found = 0;

private:
    // The candidates of one round (bit i of `mask`: p + i); false when `out`
    // is full.
    bool Visit(const char* p, std::uint64_t mask) {
        for (; mask != 0; mask &= mask - 1) {
            const char* candidate = p + std::countr_zero(mask);
            if (candidate < from_ || !SameBytes(candidate, needle_, size_)) continue;
            if (!Hit(candidate)) return false;
        }
        return true;
    }

    // The needle at `hit`: field 1 when no tab stands between the line's
    // start and `hit`. Leaves where the search goes on in from_; false when
    // `out` is full.
    bool Hit(const char* hit) {
        const char* lineStart = floor_;
        if (!StartOfLine(hit, lineStart)) {
            floor_ = hit;  // a tab: the look back from a later hit in this line stops there
            from_ = hit + size_;
            return true;
        }
        floor_ = lineStart;
        from_ = Fields(lineStart, hit + size_);
        return found < capacity_;
    }

    // Whether no tab stands between the start of the line holding `hit` and
    // `hit`, looking back no further than floor_ (a line start, or a tab or
    // CR); sets `lineStart` when the line's CR is found.
    bool StartOfLine(const char* hit, const char*& lineStart) const {
        const char* q = hit;
        while (q - floor_ >= 64) {
            const std::uint64_t mask = TabsAndCrs(q - 64);
            if (mask != 0) {
                const char* last = q - 64 + (63 - std::countl_zero(mask));
                if (*last == '\t') return false;
                lineStart = last + 1;
                return true;
            }
            q -= 64;
        }
        while (q > floor_) {
            const char c = *--q;
            if (c == '\t') return false;
            if (c == '\r') {
                lineStart = q + 1;
                return true;
            }
        }
        return true;
    }

    // Fields 2 on of a line whose field 1 is the player's, from `fields`:
    // a record when field 3 is the tag, there are six fields and the entry
    // lacks "Ore C.". Returns where the search goes on.
    const char* Fields(const char* lineStart, const char* fields) {
        Delimiters delimiters(fields, end_);
        const char* tab2 = delimiters.Next();
        if (tab2 == end_ || *tab2 != '\t') return tab2;
        const char* tab3 = delimiters.Next();
        if (tab3 == end_ || *tab3 != '\t') return tab3;
        const auto tagSize = static_cast<std::size_t>(tab3 - tab2 - 1);
        const auto isTag = [&](const std::string& tag) {
            return tagSize == tag.size() && SameBytes(tab2 + 1, tag.data(), tagSize);
        };
        std::uint8_t action = 0;
        if (!isTag(query_.tag)) {
            const auto& more = query_.moreTags;
            const auto other = std::find_if(more.begin(), more.end(), isTag);
            if (other == more.end()) return tab3;
            action = static_cast<std::uint8_t>(other - more.begin() + 1);
        }
        const char* tab4 = delimiters.Next();
        if (tab4 == end_ || *tab4 != '\t') return tab4;  // fewer than six fields
        const char* entryEnd = delimiters.Next();
        const std::string_view entry(tab4 + 1, static_cast<std::size_t>(entryEnd - tab4 - 1));
        const EntryShape shape = Inspect(entry, end_);
        if (!shape.ore) out_[found++] = {lineStart, entry.data(), entry.size(), shape.open, shape.unusual, action};
        return entryEnd;
    }

    const RecordQuery& query_;
    const char* const needle_;
    const std::size_t size_;
    const char* const end_;
    const char* floor_;  // no line start between it and the next hit is unknown
    const char* from_;   // candidates before it are skipped
    FoundRecord* const out_;
    const std::size_t capacity_;
};

// Declared, for each set, in record_search.cpp, which calls it.
const char* FindRecords(const RecordQuery& query, const char* line, const char* from, const char* end,
                        FoundRecord* out, std::size_t capacity, std::size_t& found) {
    Search search(query, line, from, end, out, capacity);
    const char* const next = search.Run();
    found = search.found;
    return next;
}
