#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define VANTOR_SSE2 1
#endif

namespace vantor::detail {

// The code that searches log text: SIMD where the processor has it, else
// portable code. Chosen once; VANTOR_PORTABLE=1 in the environment forces
// the portable code.
enum class SearchPath { Portable, Sse2, Avx2 };

extern std::atomic<SearchPath> activeSearchPath;  // chosen when the program starts
inline SearchPath ActiveSearchPath() { return activeSearchPath.load(std::memory_order_relaxed); }
void SetSearchPath(SearchPath path);  // for tests and benchmarks
const char* SearchPathName(SearchPath path);

// Finds a fixed byte string. The SIMD paths test two of its bytes at 16 or
// 32 positions at once and compare the whole string only where both match.
class NeedleSearch {
public:
    explicit NeedleSearch(std::string needle);

    // The first occurrence in [begin, end), or nullptr.
    const char* Find(const char* begin, const char* end) const;

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
    for (std::size_t i = 0; i < count; ++i) {
        if (p[i] == '\t' || p[i] == '\r') mask |= std::uint64_t{1} << i;
    }
    return mask;
}

}  // namespace vantor::detail
