#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::detail {

// The code that searches log text: SIMD where the processor has it, else
// portable code. Chosen once; VANTOR_PORTABLE=1 in the environment forces
// the portable code.
enum class SearchPath { Portable, Sse2, Avx2 };

SearchPath ActiveSearchPath();
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
std::uint64_t TabsAndCrs(const char* p, std::size_t count = 64);

}  // namespace vantor::detail
