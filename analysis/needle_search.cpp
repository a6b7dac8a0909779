#include "analysis/needle_search.h"

#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define VANTOR_X86 1
#endif

namespace vantor::detail {

namespace {

SearchPath Detect() {
    const char* forced = std::getenv("VANTOR_PORTABLE");
    if (forced != nullptr && forced[0] != '\0' && forced[0] != '0') return SearchPath::Portable;
#if defined(VANTOR_X86) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SearchPath::Avx2;
    return SearchPath::Sse2;  // every x86-64 processor has SSE2
#else
    return SearchPath::Portable;
#endif
}

struct Probe {
    const char* needle;
    std::size_t size;
    std::size_t a;
    std::size_t b;

    bool Equal(const char* p) const {
        for (std::size_t i = 0; i < size; ++i) {
            if (p[i] != needle[i]) return false;
        }
        return true;
    }
    bool Matches(const char* p) const { return p[a] == needle[a] && p[b] == needle[b] && Equal(p); }
};

const char* FindPortable(const char* begin, const char* last, const Probe& probe) {
    // memchr on the first probe byte, then the full compare.
    for (const char* p = begin; p <= last;) {
        const void* hit = std::memchr(p + probe.a, probe.needle[probe.a],
                                      static_cast<std::size_t>(last - p) + 1);
        if (hit == nullptr) return nullptr;
        p = static_cast<const char*>(hit) - probe.a;
        if (probe.Matches(p)) return p;
        ++p;
    }
    return nullptr;
}

#if defined(VANTOR_X86) && (defined(__GNUC__) || defined(__clang__))
// Bytes ahead of the search that are asked into the cache: the processor's
// own prefetching stops at page ends, and a mapped log's pages are scattered.

constexpr std::ptrdiff_t kPrefetchDistance = 4096;

const char* FindSse2(const char* begin, const char* last, const Probe& probe) {
    const __m128i a = _mm_set1_epi8(probe.needle[probe.a]);
    const __m128i b = _mm_set1_epi8(probe.needle[probe.b]);
    const char* p = begin;
    for (; last - p >= 15; p += 16) {
        if ((reinterpret_cast<std::uintptr_t>(p) & 63) < 16) _mm_prefetch(p + kPrefetchDistance, _MM_HINT_T0);
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + probe.a));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + probe.b));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
        while (mask != 0) {
            const char* candidate = p + __builtin_ctz(mask);
            if (probe.Equal(candidate)) return candidate;
            mask &= mask - 1;
        }
    }
    for (; p <= last; ++p) {
        if (probe.Matches(p)) return p;
    }
    return nullptr;
}

__attribute__((target("avx2"))) const char* FindAvx2(const char* begin, const char* last,
                                                     const Probe& probe) {
    const __m256i a = _mm256_set1_epi8(probe.needle[probe.a]);
    const __m256i b = _mm256_set1_epi8(probe.needle[probe.b]);
    // Positions at `at` (32 of them) where both probe bytes match.
#define VANTOR_MATCHES(at)                                                                          \
    static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(                              \
        _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>((at) + probe.a)), a), \
        _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>((at) + probe.b)), b))))
    const char* p = begin;
    // 64 positions a round; most rounds hold no candidate at all.
    for (; last - p >= 63; p += 64) {
        _mm_prefetch(p + kPrefetchDistance, _MM_HINT_T0);
        const std::uint64_t mask = VANTOR_MATCHES(p) | (std::uint64_t{VANTOR_MATCHES(p + 32)} << 32);
        for (std::uint64_t m = mask; m != 0; m &= m - 1) {
            const char* candidate = p + __builtin_ctzll(m);
            if (probe.Equal(candidate)) return candidate;
        }
    }
    for (; last - p >= 31; p += 32) {
        for (std::uint32_t m = VANTOR_MATCHES(p); m != 0; m &= m - 1) {
            const char* candidate = p + __builtin_ctz(m);
            if (probe.Equal(candidate)) return candidate;
        }
    }
#undef VANTOR_MATCHES
    for (; p <= last; ++p) {
        if (probe.Matches(p)) return p;
    }
    return nullptr;
}
#endif

}  // namespace

std::atomic<SearchPath> activeSearchPath{Detect()};

void SetSearchPath(SearchPath path) { activeSearchPath.store(path, std::memory_order_relaxed); }

const char* SearchPathName(SearchPath path) {
    switch (path) {
        case SearchPath::Portable: return "portable";
        case SearchPath::Sse2: return "sse2";
        case SearchPath::Avx2: return "avx2";
    }
    return "?";
}

NeedleSearch::NeedleSearch(std::string needle) : needle_(std::move(needle)) {
    // The byte after the first and the last byte: for "\tID\t", the ID's first
    // byte and the closing tab, which together are rare in other fields.
    probeA_ = needle_.size() > 2 ? 1 : 0;
    probeB_ = needle_.empty() ? 0 : needle_.size() - 1;
}

const char* NeedleSearch::Find(const char* begin, const char* end) const {
    if (needle_.empty()) return begin;
    if (end - begin < static_cast<std::ptrdiff_t>(needle_.size())) return nullptr;
    const char* last = end - needle_.size();  // the last possible start
    const Probe probe{needle_.data(), needle_.size(), probeA_, probeB_};
    switch (ActiveSearchPath()) {
#if defined(VANTOR_X86) && (defined(__GNUC__) || defined(__clang__))
        case SearchPath::Avx2: return FindAvx2(begin, last, probe);
        case SearchPath::Sse2: return FindSse2(begin, last, probe);
#endif
        default: return FindPortable(begin, last, probe);
    }
}

}  // namespace vantor::detail
