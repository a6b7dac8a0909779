#pragma once

#include "text/internal.h"

// Finding the records of a query in a block of log lines: the part of
// reading a log that looks at every byte. Each instruction set has its own
// file (record_search_portable.cpp, _sse2, _avx2, _avx512), which compiles
// the shared code of record_search_generic.h for it; record_search.cpp picks
// one when the program starts.

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#define VANTOR_SEARCH_SSE2 1
#if defined(__GNUC__) || defined(__clang__)
#define VANTOR_SEARCH_AVX2 1
// Not on Windows: GCC there cannot align the stack for 64-byte registers
// it has to spill.
#ifndef _WIN32
#define VANTOR_SEARCH_AVX512 1
#endif
#endif
#endif

namespace vantor::detail {

// The code that searches log text. Chosen once, the fastest the processor
// has; VANTOR_PORTABLE=1 in the environment forces the portable code.
enum class SearchPath { Portable, Sse2, Avx2, Avx512 };

extern std::atomic<SearchPath> activeSearchPath;
inline SearchPath ActiveSearchPath() { return activeSearchPath.load(std::memory_order_relaxed); }
void SetSearchPath(SearchPath path);  // for tests and benchmarks
const char* SearchPathName(SearchPath path);
// The paths this processor can run, from portable to the fastest.
std::vector<SearchPath> SupportedSearchPaths();

// What a record is: field 1 the player's ID, field 3 the action tag (or
// one of `moreTags`, when a reading counts several actions apart).
struct RecordQuery {
    RecordQuery(std::string_view playerId, std::string_view actionTag, std::vector<std::string> moreTags = {});

    std::string needle;  // "\t" + ID + "\t": field 1 between the line's first two tabs
    std::string tag;
    std::vector<std::string> moreTags;
    // The needle's two bytes tested first: the ID's first byte and the
    // closing tab, which together are rare in other fields.
    std::size_t probeA;
    std::size_t probeB;
};

// A line with the query's player and action, six fields or more and no
// "Ore C." in its item entry.
struct FoundRecord {
    const char* line;   // where the line starts
    const char* entry;  // its item entry, field 5
    std::size_t size;   // the entry's length
    std::size_t open;   // its first '(', or npos
    bool unusual;       // it holds 0x81, "(R)" or "(Y)", which cleaning changes
    std::uint8_t action = 0;  // its tag: 0 the query's `tag`, i + 1 its moreTags[i]
};

// Finds the records among the lines in [line, end), searching from `from`:
// `line` starts a line, `end` follows a CR or ends the log. Stores them in
// `out` in file order, at most `capacity` (at least 1), and their number in
// `found`. Returns `end`, or, when `out` is full, where the search goes on:
// the next call takes it as `from`, with the last record's line as `line`.
// The query's ID must hold no tab or CR.
const char* FindRecords(const RecordQuery& query, const char* line, const char* from, const char* end,
                        FoundRecord* out, std::size_t capacity, std::size_t& found);

}  // namespace vantor::detail
