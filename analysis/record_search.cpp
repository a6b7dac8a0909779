// The one place that picks the record search for the processor.

#include "analysis/record_search.h"

#include <cstdlib>
#include <utility>

namespace vantor::detail {

// Each defined in its record_search_<set>.cpp.
#define VANTOR_DECLARE_SEARCH(set)                                                                          \
    namespace set {                                                                                         \
    const char* FindRecords(const RecordQuery&, const char*, const char*, const char*, FoundRecord*,      \
                            std::size_t, std::size_t&);                                                     \
    }
VANTOR_DECLARE_SEARCH(portable)
#ifdef VANTOR_SEARCH_SSE2
VANTOR_DECLARE_SEARCH(sse2)
#endif
#ifdef VANTOR_SEARCH_AVX2
VANTOR_DECLARE_SEARCH(avx2)
#endif
#ifdef VANTOR_SEARCH_AVX512
VANTOR_DECLARE_SEARCH(avx512)
#endif
#undef VANTOR_DECLARE_SEARCH

namespace {

// The fastest path the processor (and its operating system) can run.
SearchPath Fastest() {
#ifdef VANTOR_SEARCH_AVX2
    __builtin_cpu_init();
#ifdef VANTOR_SEARCH_AVX512
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return SearchPath::Avx512;
#endif
    if (__builtin_cpu_supports("avx2")) return SearchPath::Avx2;
#endif
#ifdef VANTOR_SEARCH_SSE2
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

void SetSearchPath(SearchPath path) { activeSearchPath.store(path, std::memory_order_relaxed); }

std::vector<SearchPath> SupportedSearchPaths() {
    std::vector<SearchPath> paths;
    for (const SearchPath path : {SearchPath::Portable, SearchPath::Sse2, SearchPath::Avx2, SearchPath::Avx512}) {
        if (path <= Fastest()) paths.push_back(path);
    }
    return paths;
}

const char* SearchPathName(SearchPath path) {
    switch (path) {
        case SearchPath::Portable: return "portable";
        case SearchPath::Sse2: return "sse2";
        case SearchPath::Avx2: return "avx2";
        case SearchPath::Avx512: return "avx512";
    }
    return "?";
}

RecordQuery::RecordQuery(std::string_view playerId, std::string_view actionTag, std::vector<std::string> moreTags)
    : needle(playerId.size() + 2, '\t'),
      tag(actionTag),
      moreTags(std::move(moreTags)),
      probeA(needle.size() > 2 ? 1 : 0),
      probeB(needle.size() - 1) {
    playerId.copy(needle.data() + 1, playerId.size());
}

const char* FindRecords(const RecordQuery& query, const char* line, const char* from, const char* end,
                        FoundRecord* out, std::size_t capacity, std::size_t& found) {
    switch (ActiveSearchPath()) {
#ifdef VANTOR_SEARCH_AVX512
        case SearchPath::Avx512: return avx512::FindRecords(query, line, from, end, out, capacity, found);
#endif
#ifdef VANTOR_SEARCH_AVX2
        case SearchPath::Avx2: return avx2::FindRecords(query, line, from, end, out, capacity, found);
#endif
#ifdef VANTOR_SEARCH_SSE2
        case SearchPath::Sse2: return sse2::FindRecords(query, line, from, end, out, capacity, found);
#endif
        default: return portable::FindRecords(query, line, from, end, out, capacity, found);
    }
}

}  // namespace vantor::detail
