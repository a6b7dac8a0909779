#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define VANTOR_SSE2 1
#if defined(__GNUC__) || defined(__clang__)
#define VANTOR_AVX2 1
// Not on Windows: GCC there cannot align the stack for 64-byte registers
// it has to spill.
#ifndef _WIN32
#define VANTOR_AVX512 1
#endif
#endif
#endif

namespace vantor::detail {

// The code that searches log text: SIMD where the processor has it, else
// portable code. Chosen once; VANTOR_PORTABLE=1 in the environment forces
// the portable code.
enum class SearchPath { Portable, Sse2, Avx2, Avx512 };

extern std::atomic<SearchPath> activeSearchPath;  // chosen when the program starts
inline SearchPath ActiveSearchPath() { return activeSearchPath.load(std::memory_order_relaxed); }
void SetSearchPath(SearchPath path);  // for tests and benchmarks
const char* SearchPathName(SearchPath path);
// The paths this processor can run, from portable to the fastest.
std::vector<SearchPath> SupportedSearchPaths();

// Finds a fixed byte string. The SIMD paths test two of its bytes at 64
// positions at once and compare the whole string only where both match.
class NeedleSearch {
public:
    explicit NeedleSearch(std::string needle);

    // Calls onHit(p) for the occurrences p in [begin, end), in order. onHit
    // returns where the search goes on, past p; at or past `end` it stops.
    // The needle must not be empty.
    template <typename OnHit>
    void ForEach(const char* begin, const char* end, OnHit&& onHit) const;

    std::size_t size() const { return needle_.size(); }

private:
    std::string needle_;
    std::size_t probeA_;  // the two bytes tested first
    std::size_t probeB_;
};

}  // namespace vantor::detail

namespace vantor::detail {

// Where the tabs and CRs are among the 64 bytes at p (bit i: p[i]); with
// `count` below 64, among the first `count` bytes only.
inline std::uint64_t TabsAndCrs(const char* p, std::size_t count = 64) {
#ifdef VANTOR_SSE2
    if (count == 64 && ActiveSearchPath() != SearchPath::Portable) {
        const __m128i tab = _mm_set1_epi8('\t');
        const __m128i cr = _mm_set1_epi8('\r');
        std::uint64_t mask = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const auto bits = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, tab), _mm_cmpeq_epi8(x, cr))));
            mask |= std::uint64_t{bits} << (16 * i);
        }
        return mask;
    }
#endif
    std::uint64_t mask = 0;
    if (count == 64 && std::endian::native == std::endian::little) {
        // Eight bytes at a time in a word: a byte's top bit is set where it
        // equals the pattern's byte, then the eight top bits are gathered.
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
        const auto equal = [](std::uint64_t word, std::uint64_t pattern) {
            const std::uint64_t x = word ^ pattern;
            return ~(((x & kLow7) + kLow7) | x) & ~kLow7;
        };
        for (int i = 0; i < 8; ++i) {
            std::uint64_t word;
            std::memcpy(&word, p + 8 * i, 8);
            const std::uint64_t tops = equal(word, 0x0909090909090909ULL) | equal(word, 0x0D0D0D0D0D0D0D0DULL);
            mask |= (((tops >> 7) * 0x0102040810204080ULL) >> 56) << (8 * i);
        }
        return mask;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (p[i] == '\t' || p[i] == '\r') mask |= std::uint64_t{1} << i;
    }
    return mask;
}

}  // namespace vantor::detail

namespace vantor::detail {

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

// The search loops behind NeedleSearch, one per search path. Each calls
// onHit for an occurrence where it finds it, so that a caller's work on a
// hit runs inside the loop; candidates before where onHit says to go on are
// skipped.
struct NeedleProbe {
    const char* needle;
    std::size_t size;
    std::size_t a;  // the two bytes tested first
    std::size_t b;

    bool Equal(const char* p) const { return SameBytes(p, needle, size); }
    bool Matches(const char* p) const { return p[a] == needle[a] && p[b] == needle[b] && Equal(p); }
};

// Occurrences from p to `last` (the last possible start), one at a time.
template <typename OnHit>
void ForEachOneByOne(const char* p, const char* last, const NeedleProbe& probe, OnHit& onHit) {
    while (p <= last) {
        if (probe.Matches(p)) {
            p = onHit(p);
        } else {
            ++p;
        }
    }
}

// memchr on the first probe byte, then the full compare.
template <typename OnHit>
void ForEachPortable(const char* p, const char* last, const NeedleProbe& probe, OnHit& onHit) {
    while (p <= last) {
        const void* found = std::memchr(p + probe.a, probe.needle[probe.a], static_cast<std::size_t>(last - p) + 1);
        if (found == nullptr) return;
        p = static_cast<const char*>(found) - probe.a;
        if (probe.Equal(p)) {
            p = onHit(p);
        } else {
            ++p;
        }
    }
}

// The candidates of one round of `width` positions from p (bit i of `mask`:
// p + i), those from `from` on; returns where the next round starts.
template <typename Mask, typename OnHit>
const char* VisitCandidates(const char* p, Mask mask, std::ptrdiff_t width, const char*& from,
                            const NeedleProbe& probe, OnHit& onHit) {
    for (; mask != 0; mask &= mask - 1) {
        const char* candidate = p + std::countr_zero(mask);
        if (candidate < from || !probe.Equal(candidate)) continue;
        from = onHit(candidate);
    }
    return std::max(p + width, from);
}

#ifdef VANTOR_SSE2
// Bytes ahead of the search that are asked into the cache: the processor's
// own prefetching stops at page ends, and a mapped log's pages are scattered.
inline constexpr std::ptrdiff_t kPrefetchDistance = 4096;

// The SIMD searches test rounds of 64 positions, a block of rounds at a
// time: all the block's masks are made before any is looked at, so which
// rounds hold a candidate is one word made without branches. Where a hit
// is common (a player on every third line), a branch per round would be
// guessed wrong at a large share of rounds.
inline constexpr int kBlockRounds = 16;

// The candidates of a block from p (round r's mask in masks[r], bit r of
// `found` set where it is not zero); returns where the next block starts.
template <typename OnHit>
const char* VisitBlock(const char* p, const std::uint64_t* masks, std::uint32_t found, const char*& from,
                       const NeedleProbe& probe, OnHit& onHit) {
    for (; found != 0; found &= found - 1) {
        const int round = std::countr_zero(found);
        VisitCandidates(p + 64 * round, masks[round], 64, from, probe, onHit);
    }
    return std::max(p + 64 * kBlockRounds, from);
}

// The search loop of every SIMD path, around its `matches(at)`: the mask of
// the 64 positions from `at` where both probe bytes match. A macro, because
// `matches` must be compiled for the path's instruction set, and code that
// calls it can only be inlined into a function compiled for it too.
#define VANTOR_SEARCH_BLOCKS(matches)                                                          \
    const char* from = p; /* candidates before it are skipped */                               \
    while (last - p >= 64 * kBlockRounds - 1) {                                                \
        std::uint64_t masks[kBlockRounds];                                                     \
        std::uint32_t found = 0;                                                               \
        for (int round = 0; round < kBlockRounds; ++round) {                                   \
            _mm_prefetch(p + 64 * round + kPrefetchDistance, _MM_HINT_T0);                     \
            masks[round] = matches(p + 64 * round);                                            \
            found |= std::uint32_t{masks[round] != 0} << round;                                \
        }                                                                                      \
        p = VisitBlock(p, masks, found, from, probe, onHit);                                   \
    }                                                                                          \
    while (last - p >= 63) p = VisitCandidates(p, matches(p), 64, from, probe, onHit);         \
    ForEachOneByOne(std::max(p, from), last, probe, onHit)

template <typename OnHit>
void ForEachSse2(const char* p, const char* last, const NeedleProbe& probe, OnHit& onHit) {
    const __m128i a = _mm_set1_epi8(probe.needle[probe.a]);
    const __m128i b = _mm_set1_epi8(probe.needle[probe.b]);
    const auto matches = [&](const char* at) {
        std::uint64_t mask = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i + probe.a));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i + probe.b));
            const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
            mask |= std::uint64_t{bits} << (16 * i);
        }
        return mask;
    };
    VANTOR_SEARCH_BLOCKS(matches);
}
#endif

#ifdef VANTOR_AVX2
template <typename OnHit>
__attribute__((target("avx2"))) void ForEachAvx2(const char* p, const char* last, const NeedleProbe& probe,
                                                 OnHit& onHit) {
    const __m256i a = _mm256_set1_epi8(probe.needle[probe.a]);
    const __m256i b = _mm256_set1_epi8(probe.needle[probe.b]);
    const auto half = [&](const char* at) __attribute__((target("avx2"))) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe.a));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe.b));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
    };
    const auto matches = [&](const char* at) __attribute__((target("avx2"))) {
        return half(at) | std::uint64_t{half(at + 32)} << 32;
    };
    VANTOR_SEARCH_BLOCKS(matches);
}
#endif

#ifdef VANTOR_AVX512
// One 64-byte compare per probe byte.
template <typename OnHit>
__attribute__((target("avx512f,avx512bw"))) void ForEachAvx512(const char* p, const char* last,
                                                               const NeedleProbe& probe, OnHit& onHit) {
    const __m512i a = _mm512_set1_epi8(probe.needle[probe.a]);
    const __m512i b = _mm512_set1_epi8(probe.needle[probe.b]);
    const auto matches = [&](const char* at) __attribute__((target("avx512f,avx512bw"))) {
        return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at + probe.a), a) &
               _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at + probe.b), b);
    };
    VANTOR_SEARCH_BLOCKS(matches);
}
#endif

#undef VANTOR_SEARCH_BLOCKS

template <typename OnHit>
void NeedleSearch::ForEach(const char* begin, const char* end, OnHit&& onHit) const {
    if (end - begin < static_cast<std::ptrdiff_t>(needle_.size())) return;
    const char* last = end - needle_.size();  // the last possible start
    const NeedleProbe probe{needle_.data(), needle_.size(), probeA_, probeB_};
    switch (ActiveSearchPath()) {
#ifdef VANTOR_AVX512
        case SearchPath::Avx512: return ForEachAvx512(begin, last, probe, onHit);
#endif
#ifdef VANTOR_AVX2
        case SearchPath::Avx2: return ForEachAvx2(begin, last, probe, onHit);
#endif
#ifdef VANTOR_SSE2
        case SearchPath::Sse2: return ForEachSse2(begin, last, probe, onHit);
#endif
        default: return ForEachPortable(begin, last, probe, onHit);
    }
}

}  // namespace vantor::detail
