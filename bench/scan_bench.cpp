// Micro-benchmarks of the line scanner: the needle search over a block of a
// generated log held in memory, for each search path this processor has, and
// ProcessLogFile over a whole generated log (in the page cache) into a sink that
// only counts.
//
//   scan_bench --log FILE [--player ID] [--minor-player ID] [benchmark flags]
//   scan_bench --search-path     prints the search path in use and exits
//
// --player (default Alia) and --minor-player name the IDs searched for; with
// the generator's defaults they are on about 30% and 1% of the lines.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/needle_search.h"

namespace {

namespace fs = std::filesystem;
using vantor::detail::SearchPath;

constexpr std::string_view kUsage =
    "usage: scan_bench --log FILE [--player ID] [--minor-player ID] [benchmark flags]\n"
    "       scan_bench --search-path\n";

// Sets a search path for the life of a benchmark run and puts back the one
// that was active.
class UsePath {
public:
    explicit UsePath(SearchPath path) : saved_(vantor::detail::ActiveSearchPath()) {
        vantor::detail::SetSearchPath(path);
    }
    ~UsePath() { vantor::detail::SetSearchPath(saved_); }
    UsePath(const UsePath&) = delete;
    UsePath& operator=(const UsePath&) = delete;

private:
    SearchPath saved_;
};

// The first `size` bytes of `path`, cut after the last CR LF: a block as the
// reader sees it.
std::string ReadBlock(const fs::path& path, std::size_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string block(size, '\0');
    in.read(block.data(), static_cast<std::streamsize>(size));
    block.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t lineEnd = block.rfind("\r\n");
    block.resize(lineEnd == std::string::npos ? 0 : lineEnd + 2);
    return block;
}

// Every occurrence of "\tID\t" in the block, the search going on after
// each hit.
void FindAll(benchmark::State& state, SearchPath path, const std::string* block, std::string id) {
    const UsePath use(path);
    const vantor::detail::NeedleSearch search("\t" + id + "\t");
    const char* const end = block->data() + block->size();
    std::int64_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        search.ForEach(block->data(), end, [&](const char* hit) {
            ++hits;
            return hit + search.size();
        });
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block->size()));
    state.counters["hits"] = static_cast<double>(hits);
}

// Tab and CR masks of the block, 64 bytes at a time: the portable code, and
// the SIMD code every SIMD path shares.
void ClassifyAll(benchmark::State& state, SearchPath path, const std::string* block) {
    const UsePath use(path);
    const std::size_t whole = block->size() / 64 * 64;
    for (auto _ : state) {
        std::uint64_t marks = 0;
        for (std::size_t i = 0; i < whole; i += 64) {
            marks += static_cast<std::uint64_t>(std::popcount(vantor::detail::TabsAndCrs(block->data() + i)));
        }
        benchmark::DoNotOptimize(marks);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(whole));
}

class CountingSink : public vantor::RecordSink {
public:
    void Take(std::string_view name, std::int32_t quantity) override {
        ++records;
        total += quantity;
        nameBytes += name.size();
    }
    std::int64_t records = 0;
    std::int64_t total = 0;
    std::size_t nameBytes = 0;
};

void ReadWhole(benchmark::State& state, SearchPath path, fs::path log, std::string id) {
    const UsePath use(path);
    const auto size = static_cast<std::int64_t>(fs::file_size(log));
    CountingSink sink;
    for (auto _ : state) {
        sink = CountingSink{};
        vantor::SkippedRecords skipped;
        vantor::ProcessLogFile(log, {id, "[Pickup]"}, sink, skipped);
        benchmark::DoNotOptimize(sink.total);
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["records"] = static_cast<double>(sink.records);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path log;
    std::string player = "Alia";
    std::string minorPlayer;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--search-path") {
            std::printf("%s\n", vantor::detail::SearchPathName(vantor::detail::ActiveSearchPath()));
            return 0;
        }
        if ((arg == "--log" || arg == "--player" || arg == "--minor-player") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--log") {
                log = value;
            } else if (arg == "--player") {
                player = value;
            } else {
                minorPlayer = value;
            }
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (log.empty() || !fs::is_regular_file(log)) {
        std::fputs(log.empty() ? "scan_bench: no --log FILE\n" : "scan_bench: --log must name a file\n", stderr);
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;

    // Static: the registered benchmarks keep pointers to it.
    static const std::string block = ReadBlock(log, vantor::kDefaultBlockSize);
    std::vector<std::string> ids{player};
    if (!minorPlayer.empty()) ids.push_back(minorPlayer);

    benchmark::AddCustomContext("search_path",
                                vantor::detail::SearchPathName(vantor::detail::ActiveSearchPath()));
    const std::vector<SearchPath> paths = vantor::detail::SupportedSearchPaths();
    for (SearchPath path : paths) {
        for (const std::string& id : ids) {
            benchmark::RegisterBenchmark(
                ("NeedleSearch_ForEach/" + std::string(vantor::detail::SearchPathName(path)) + "/" + id).c_str(),
                FindAll, path, &block, id);
        }
    }
    for (SearchPath path : {SearchPath::Portable, SearchPath::Sse2}) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) continue;
        benchmark::RegisterBenchmark(
            ("TabsAndCrs/" + std::string(path == SearchPath::Portable ? "portable" : "simd")).c_str(),
            ClassifyAll, path, &block);
    }
    for (SearchPath path : paths) {
        for (const std::string& id : ids) {
            benchmark::RegisterBenchmark(
                ("ProcessLogFile/" + std::string(vantor::detail::SearchPathName(path)) + "/" + id).c_str(), ReadWhole,
                path, log, id)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
