// ReadLog against ReferenceRead: the same records in the same order, and the
// same first error (kind, line, raw item entry), for any log, player ID,
// action tag, block size and search code.
//
// Input: [block size][search path][ID length][tag length][copies] ID tag text
//   block size: below 0xC0 gives 1..64 bytes, from 0xC0 the default.
//   search path: also whether the log is mapped, and whether it is being
//   written (so a last line without a line end is left out).
//   copies: the log is the text repeated; from 0xE0 on 2 to 33 times, which
//   makes lines longer than the reader's first buffer out of a short input.

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/log_file.h"
#include "analysis/log_reader.h"
#include "analysis/needle_search.h"
#include "fuzz/fuzz_support.h"
#include "store/run_error.h"
#include "tests/support/reference_reader.h"

namespace {

using vantor::fuzz::Escaped;
using vantor::testing::ReferenceResult;

class Collect : public vantor::RecordSink {
public:
    explicit Collect(ReferenceResult& out) : out_(out) {}
    void Take(std::string_view name, std::int32_t quantity) override {
        out_.records.emplace_back(std::string(name), quantity);
    }

private:
    ReferenceResult& out_;
};

void Print(const char* title, const ReferenceResult& result) {
    std::fprintf(stderr, "%s: %zu records\n", title, result.records.size());
    for (const auto& [name, quantity] : result.records) {
        std::fprintf(stderr, "  '%s' %d\n", Escaped(name).c_str(), quantity);
    }
    if (result.error) {
        std::fprintf(stderr, "  error %s at line %llu, item '%s'\n",
                     std::string(vantor::KindName(*result.error)).c_str(),
                     static_cast<unsigned long long>(result.errorLine), Escaped(result.errorItem).c_str());
    }
}

// One in-memory file for the whole run: no disk traffic, and nothing left
// behind by a crash. The reader opens it again through /proc.
struct TempLog {
    int fd = memfd_create("vantor-fuzz-log", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);

    TempLog() {
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
    }

    void Write(std::string_view bytes) const {
        if (ftruncate(fd, 0) != 0 ||
            pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
            std::perror("writing the log");
            std::abort();
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempLog file;
    static const std::vector<vantor::detail::SearchPath> paths = vantor::detail::SupportedSearchPaths();
    if (size < 5) return 0;

    const std::size_t blockSize = data[0] < 0xC0 ? data[0] % 64 + 1 : vantor::kDefaultBlockSize;
    const vantor::detail::SearchPath path = paths[data[1] % paths.size()];
    // Read, or mapped a page at a time (when the log is larger than a block).
    const std::size_t mapSize = data[1] / paths.size() % 2 == 0 ? 0 : 4096;
    // This process holds the log open for writing, so the system would say
    // it is being written: the answer is set here instead.
    const bool beingWritten = data[1] / paths.size() / 2 % 2 == 1;
    std::string_view rest(reinterpret_cast<const char*>(data) + 5, size - 5);
    const std::string_view playerId = rest.substr(0, data[2] % 16);
    rest.remove_prefix(playerId.size());
    const std::string_view actionTag = rest.substr(0, data[3] % 16);
    rest.remove_prefix(actionTag.size());
    std::string log;
    for (int copies = data[4] < 0xE0 ? 1 : data[4] - 0xDE; copies > 0; --copies) log += rest;

    vantor::detail::SetSearchPath(path);
    vantor::detail::SetFileFaults({{}, {}, {}, [beingWritten](const std::filesystem::path&) {
                                       return beingWritten ? EAGAIN : EINVAL;  // EINVAL: no lease, and the log is unchanged
                                   }});
    file.Write(log);
    ReferenceResult got;
    Collect sink(got);
    try {
        vantor::ReadLog(file.path, playerId, actionTag, sink, vantor::ReadLimits{blockSize, vantor::kMaxLineBytes, mapSize});
    } catch (const vantor::RunError& error) {
        got.error = error.kind();
        got.errorLine = error.line();
        got.errorItem = error.item();
    }

    const ReferenceResult want = vantor::testing::ReferenceRead(log, playerId, actionTag, beingWritten);
    if (got != want) {
        std::fprintf(stderr, "ID '%s', tag '%s', block size %zu, map size %zu, %s search%s\n",
                     Escaped(playerId).c_str(), Escaped(actionTag).c_str(), blockSize, mapSize,
                     vantor::detail::SearchPathName(path), beingWritten ? ", being written" : "");
        Print("ReadLog", got);
        Print("ReferenceRead", want);
        std::abort();
    }
    return 0;
}
