// Micro-benchmarks of the log reader: the record search over a block of a
// generated log held in memory, for each search path this processor has,
// and ProcessLogFile over a whole generated log (in the page cache) into a
// sink that only counts, read and mapped.
//
//   scan_bench --log FILE [--player ID] [--minor-player ID] [benchmark flags]
//   scan_bench --search-path     prints the search path in use and exits
//   scan_bench --way FILE        reads FILE as vantor-tally does and prints
//                                the way the reader measured faster
//
// --player (default Alia) and --minor-player name the IDs searched for; with
// the generator's defaults they are on about 30% and 1% of the lines.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/record_search.h"

namespace {

namespace fs = std::filesystem;
using vantor::detail::SearchPath;

constexpr std::string_view kUsage =
    "usage: scan_bench --log FILE [--player ID] [--minor-player ID] [benchmark flags]\n"
    "       scan_bench --search-path\n"
    "       scan_bench --way FILE\n";

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

// Every record of the ID in the block, a batch at a time as the reader
// asks for them.
void FindAll(benchmark::State& state, SearchPath path, const std::string* block, std::string id) {
    const UsePath use(path);
    const vantor::detail::RecordQuery query(id, "[Pickup]");
    const char* const begin = block->data();
    const char* const end = begin + block->size();
    vantor::detail::FoundRecord found[64];
    std::int64_t records = 0;
    for (auto _ : state) {
        records = 0;
        const char* line = begin;
        for (const char* from = begin; from != end;) {
            std::size_t count = 0;
            from = vantor::detail::FindRecords(query, line, from, end, found, 64, count);
            records += static_cast<std::int64_t>(count);
            if (count > 0) line = found[count - 1].line;
        }
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block->size()));
    state.counters["records"] = static_cast<double>(records);
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

void ReadWhole(benchmark::State& state, vantor::detail::ReadPlan::Way way, fs::path log, std::string id) {
    vantor::detail::SetReadPlan({way});
    const auto size = static_cast<std::int64_t>(fs::file_size(log));
    CountingSink sink;
    for (auto _ : state) {
        sink = CountingSink{};
        vantor::SkippedRecords skipped;
        vantor::ProcessLogFile(log, {id, "[Pickup]"}, sink, skipped);
        benchmark::DoNotOptimize(sink.total);
    }
    vantor::detail::SetReadPlan({});
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
        if (arg == "--way" && i + 1 < argc) {
            CountingSink sink;
            vantor::SkippedRecords skipped;
            vantor::ProcessLogFile(argv[i + 1], {"Alia", "[Pickup]"}, sink, skipped);
            std::printf("%s\n", vantor::detail::MeasuredToMap() ? "mapped" : "read");
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
    static const std::string block = ReadBlock(log, vantor::detail::ReadPlan{}.blockBytes);
    std::vector<std::string> ids{player};
    if (!minorPlayer.empty()) ids.push_back(minorPlayer);

    benchmark::AddCustomContext("search_path",
                                vantor::detail::SearchPathName(vantor::detail::ActiveSearchPath()));
    for (SearchPath path : vantor::detail::SupportedSearchPaths()) {
        for (const std::string& id : ids) {
            benchmark::RegisterBenchmark(
                ("FindRecords/" + std::string(vantor::detail::SearchPathName(path)) + "/" + id).c_str(), FindAll,
                path, &block, id);
        }
    }
    using Way = vantor::detail::ReadPlan::Way;
    for (const Way way : {Way::Read, Way::Mapped}) {
        for (const std::string& id : ids) {
            benchmark::RegisterBenchmark(
                ("ProcessLogFile/" + std::string(way == Way::Read ? "read" : "mapped") + "/" + id).c_str(), ReadWhole,
                way, log, id)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
