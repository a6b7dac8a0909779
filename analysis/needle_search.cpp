#include "analysis/needle_search.h"

#include <cstdlib>

namespace vantor::detail {

namespace {

// The fastest path the processor (and its operating system) can run.
SearchPath Fastest() {
#ifdef VANTOR_AVX2
    __builtin_cpu_init();
#ifdef VANTOR_AVX512
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return SearchPath::Avx512;
#endif
    if (__builtin_cpu_supports("avx2")) return SearchPath::Avx2;
    return SearchPath::Sse2;  // every x86-64 processor has SSE2
#else
    return SearchPath::Portable;
#endif
}

SearchPath Detect() {
    const char* forced = std::getenv("VANTOR_PORTABLE");
    if (forced != nullptr && forced[0] != '\0' && forced[0] != '0') return SearchPath::Portable;
    return Fastest();
}

}  // namespace

std::atomic<SearchPath> activeSearchPath{Detect()};

std::vector<SearchPath> SupportedSearchPaths() {
    std::vector<SearchPath> paths;
    const SearchPath fastest = Fastest();
    for (const SearchPath path : {SearchPath::Portable, SearchPath::Sse2, SearchPath::Avx2, SearchPath::Avx512}) {
        if (path <= fastest) paths.push_back(path);
    }
    return paths;
}

void SetSearchPath(SearchPath path) { activeSearchPath.store(path, std::memory_order_relaxed); }

const char* SearchPathName(SearchPath path) {
    switch (path) {
        case SearchPath::Portable: return "portable";
        case SearchPath::Sse2: return "sse2";
        case SearchPath::Avx2: return "avx2";
        case SearchPath::Avx512: return "avx512";
    }
    return "?";
}

NeedleSearch::NeedleSearch(std::string needle) : needle_(std::move(needle)) {
    // The byte after the first and the last byte: for "\tID\t", the ID's first
    // byte and the closing tab, which together are rare in other fields.
    probeA_ = needle_.size() > 2 ? 1 : 0;
    probeB_ = needle_.empty() ? 0 : needle_.size() - 1;
}

}  // namespace vantor::detail
