#include "analysis/log_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/log_file.h"
#include "analysis/needle_search.h"
#include "analysis/path_text.h"
#include "store/numeric.h"
#include "store/run_error.h"
#include "store/windows1252.h"

#ifdef VANTOR_AVX512
#include <cpuid.h>
#endif

namespace vantor {

namespace {

// Replaces every `from` by `to`, scanning left to right, in place: `to` is
// never longer than `from`, so the text only shrinks.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t read = text.find(from);
    if (read == std::string::npos) return;
    std::size_t write = read;
    while (read < text.size()) {
        if (text.compare(read, from.size(), from) == 0) {
            std::copy(to.begin(), to.end(), text.begin() + static_cast<std::ptrdiff_t>(write));
            write += to.size();
            read += from.size();
        } else {
            text[write++] = text[read++];
        }
    }
    text.resize(write);
}

// "\t" + ID + "\t": field 1 between the line's first two tabs.
std::string Field1Needle(std::string_view playerId) {
    std::string needle(playerId.size() + 2, '\t');
    playerId.copy(needle.data() + 1, playerId.size());
    return needle;
}

// The 1-based numbers of the lines that start at the file offsets
// `offsets` (ascending), counting the line ends (CRs) before each in one
// pass. Only skipped records need line numbers, so the reader does not
// count as it goes. A line the file no longer reaches gets 0.
std::vector<std::uint64_t> LineNumbers(const std::filesystem::path& path, const std::vector<std::uint64_t>& offsets) {
    std::vector<std::uint64_t> numbers(offsets.size(), 0);
    try {
        LogFile file(path);
        std::vector<char> buffer(kDefaultBlockSize);
        std::uint64_t at = 0;     // file offset of buffer's first byte
        std::uint64_t ends = 0;   // CRs before `at`
        std::size_t next = 0;
        while (next < offsets.size()) {
            const std::size_t got = file.Read(buffer.data(), buffer.size());
            if (got == 0) break;
            const char* const data = buffer.data();
            for (; next < offsets.size() && offsets[next] <= at + got; ++next) {
                const auto upTo = static_cast<std::size_t>(offsets[next] - at);
                numbers[next] = ends + static_cast<std::uint64_t>(std::count(data, data + upTo, '\r')) + 1;
            }
            ends += static_cast<std::uint64_t>(std::count(data, data + got, '\r'));
            at += got;
        }
    } catch (const RunError&) {
        // The log went away or failed since: those lines stay unnumbered.
    }
    return numbers;
}

// The scanner for any processor, and, where the compiler can build it, the
// same scanner compiled for processors with AVX-512.
namespace baseline {
#include "analysis/log_scanner.inc"
}  // namespace baseline

#ifdef VANTOR_AVX512
#define VANTOR_HAS_AVX512_SCANNER 1
// Every function of the copy is compiled for these (the same list twice).
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,bmi,bmi2,lzcnt,popcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,bmi,bmi2,lzcnt,popcnt")
#endif
#define VANTOR_SCANNER_FOR_AVX512 1
namespace avx512 {
#include "analysis/log_scanner.inc"
}  // namespace avx512
#undef VANTOR_SCANNER_FOR_AVX512
#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

// Whether the processor has the bit instructions the AVX-512 scanner also
// uses: every one with AVX-512 has them, but that is not promised.
bool HasBitInstructions() {
    unsigned a = 0;
    unsigned b = 0;
    unsigned c = 0;
    unsigned d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_POPCNT) == 0) return false;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0 || (b & bit_BMI) == 0 || (b & bit_BMI2) == 0) return false;
    return __get_cpuid(0x80000001, &a, &b, &c, &d) != 0 && (c & bit_LZCNT) != 0;
}

// Whether to read with the AVX-512 scanner: the search uses AVX-512, and the
// bit instructions are there.
bool UseAvx512Scanner() {
    static const bool bitInstructions = HasBitInstructions();
    return detail::ActiveSearchPath() == detail::SearchPath::Avx512 && bitInstructions;
}
#endif

// Where a log's bytes are read to. A short unfinished line is kept just
// before a fixed, page-aligned block, so that each read fills whole pages
// at an offset that is a multiple of the block size. A long line instead
// grows in place, the next read going right after it, and the buffer
// doubles when it is full, so a line costs time and memory in proportion to
// its length.
class ReadBuffer {
public:
    ReadBuffer(std::size_t blockSize, std::size_t maxLine)
        : blockSize_(blockSize), room_((blockSize + kPage - 1) / kPage * kPage), maxLine_(maxLine) {
        Allocate(room_ + blockSize_);
        tailBegin_ = tailEnd_ = block();
    }

    // Where the next read goes and how much it may take; moves or grows the
    // kept line as needed.
    char* PrepareRead(std::size_t& size) {
        const auto kept = static_cast<std::size_t>(tailEnd_ - tailBegin_);
        if (kept <= room_) {
            std::memmove(block() - kept, tailBegin_, kept);
            tailBegin_ = block() - kept;
            tailEnd_ = block();
            size = blockSize_;
            return block();
        }
        if (tailEnd_ == data_.get() + capacity_) {
            const Data old = std::move(data_);
            const char* oldTail = tailBegin_;
            // Enough for a line one byte past the limit, which is then an error.
            Allocate(std::max(capacity_ + 1, std::min(capacity_ * 2, maxLine_ + blockSize_)));
            std::memcpy(data_.get(), oldTail, kept);
            tailBegin_ = data_.get();
            tailEnd_ = tailBegin_ + kept;
        }
        size = std::min(blockSize_, static_cast<std::size_t>(data_.get() + capacity_ - tailEnd_));
        return tailEnd_;
    }

    // The kept, unfinished line.
    const char* tailBegin() const { return tailBegin_; }
    const char* tailEnd() const { return tailEnd_; }
    void Keep(const char* begin, const char* end) {
        tailBegin_ = const_cast<char*>(begin);
        tailEnd_ = const_cast<char*>(end);
    }

private:
    static constexpr std::size_t kPage = 4096;
    struct Release {
        void operator()(char* p) const { ::operator delete[](p, std::align_val_t{kPage}); }
    };
    using Data = std::unique_ptr<char[], Release>;

    char* block() { return data_.get() + room_; }
    void Allocate(std::size_t capacity) {
        capacity_ = capacity;
        data_.reset(static_cast<char*>(::operator new[](capacity, std::align_val_t{kPage})));
    }

    const std::size_t blockSize_;
    const std::size_t room_;
    const std::size_t maxLine_;
    std::size_t capacity_ = 0;
    Data data_;
    char* tailBegin_ = nullptr;
    char* tailEnd_ = nullptr;
};

// One reading of a log: mapped a window at a time where that works, read
// in blocks otherwise and for whatever follows the mapped part.
template <typename LogScanner>
class LogReading {
public:
    LogReading(const std::filesystem::path& path, const Query& query, RecordSink& sink, const ReadLimits& limits)
        : path_(path), file_(path), scanner_(query, sink), limits_(limits) {}

    // Reads the log from `from`, a line start; the records skipped, with
    // their line numbers, go to `skipped`, also when reading fails part way.
    LogEnd Run(SkippedRecords& skipped, std::uint64_t from) {
        lineStart_ = from;
        skipLineFeed_ = from > 0;  // `from` follows a CR: a LF there ends that line
        try {
            if (from > 0) file_.Seek(from);
            if (limits_.mapSize > 0 && LogFile::CanMap()) ScanMapped();
            ScanRead();
        } catch (const RunError&) {
            Report(skipped);
            throw;
        }
        Report(skipped);
        return {lineStart_, tookUnended_};
    }

private:
    void Report(SkippedRecords& skipped) {
        skipped.count += scanner_.skippedCount;
        if (scanner_.skipped.empty()) return;
        std::vector<std::uint64_t> offsets;
        for (const auto& record : scanner_.skipped) offsets.push_back(record.lineOffset);
        const std::vector<std::uint64_t> lines = LineNumbers(path_, offsets);
        const std::string name = PathToUtf8(path_.filename());
        for (std::size_t i = 0; i < lines.size() && skipped.kept.size() < kMaxProblems; ++i) {
            skipped.kept.push_back(scanner_.skipped[i].error.At(name, lines[i], scanner_.skipped[i].item));
        }
        scanner_.skipped.clear();
        scanner_.skippedCount = 0;
    }

    // A failure of the line that starts at file offset `lineStart`.
    [[noreturn]] void Fail(const RunError& error, std::uint64_t lineStart) {
        throw error.At(PathToUtf8(path_.filename()), LineNumbers(path_, {lineStart})[0], "");
    }

    [[noreturn]] void TooLong(std::uint64_t lineStart) {
        const std::size_t limit = limits_.maxLineBytes;
        Fail(RunError(ErrorKind::FileError,
                      "line longer than " + (limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                                                     : std::to_string(limit) + " bytes")),
             lineStart);
    }

    // Scans the complete lines in [begin, end), whose first byte is at file
    // offset `at`.
    void Scan(const char* begin, const char* end, std::uint64_t at) { scanner_.Scan(begin, end, at); }

    // The lines in [begin, end) up to the last CR; leaves where the next
    // line starts in lineStart_ and returns false when there is no CR. The
    // bytes before `fresh` are an unfinished line seen before, without CR.
    // `at` is begin's file offset.
    bool ScanLines(const char* begin, const char* fresh, const char* end, std::uint64_t at) {
        if (skipLineFeed_ && begin < end) {  // the CR that ended the last data
            if (*begin == '\n') {
                ++begin;
                ++at;
                fresh = std::max(fresh, begin);
            }
            skipLineFeed_ = false;
        }
        const auto size = static_cast<std::size_t>(end - begin);
        const auto freshSize = static_cast<std::size_t>(end - fresh);
        const std::size_t lastCr = std::string_view(fresh, freshSize).rfind('\r');
        if (lastCr == std::string_view::npos) {
            if (size > limits_.maxLineBytes) TooLong(at);
            lineStart_ = at;
            return false;
        }
        if (size > limits_.maxLineBytes) {  // the first line may be too long
            const char* firstCr = static_cast<const char*>(std::memchr(fresh, '\r', freshSize));
            if (static_cast<std::size_t>(firstCr - begin) > limits_.maxLineBytes) TooLong(at);
        }
        const char* rest = fresh + lastCr + 1;
        Scan(begin, rest, at);
        if (rest == end) {
            skipLineFeed_ = true;
        } else if (*rest == '\n') {
            ++rest;
        }
        lineStart_ = at + static_cast<std::uint64_t>(rest - begin);
        if (static_cast<std::size_t>(end - rest) > limits_.maxLineBytes) TooLong(lineStart_);
        return true;
    }

    // The log as it is now, one mapping at a time; what the game appends
    // meanwhile is read after. Logs of one block are simply read.
    void ScanMapped() {
        const std::uint64_t size = file_.Size();
        if (size <= limits_.blockSize) return;
        const std::size_t page = LogFile::PageSize();
        // Whole pages, and no more than the line limit, so that a line over
        // the limit always spans mappings and is seen.
        const std::size_t window =
            std::max(page, std::min((limits_.mapSize + page - 1) / page, limits_.maxLineBytes / page) * page);
        std::size_t length = window;
        while (lineStart_ < size) {
            const std::uint64_t mapStart = lineStart_ / page * page;
            length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - mapStart));
            const LogFile::Mapping mapping = file_.Map(mapStart, length);
            if (mapping.data() == nullptr) break;  // the file system cannot map: read the rest
            const char* const base = mapping.data();
            bool complete = true;  // the mapping ends with a complete line
            if (!ReadMapped(base, base + length, [&] {
                    const char* begin = base + (lineStart_ - mapStart);
                    complete = ScanLines(begin, begin, base + length, lineStart_);
                })) {
                throw RunError(ErrorKind::FileError, "cannot read '" + PathToUtf8(path_) +
                                                         "': the file was shortened or failed while it was read");
            }
            if (!complete && mapStart + length == size) break;  // the last line: read after
            // A line longer than the mapping gets a larger one.
            length = complete ? window : length * 2;
        }
        file_.Seek(lineStart_);
    }

    // The rest of the log, a block at a time.
    void ScanRead() {
        ReadBuffer buffer(std::max<std::size_t>(limits_.blockSize, 1), limits_.maxLineBytes);
        std::uint64_t readOffset = lineStart_;  // file offset of the next read's first byte
        for (;;) {
            std::size_t size = 0;
            char* target = buffer.PrepareRead(size);
            const std::size_t got = file_.Read(target, size);
            if (got == 0) break;
            // The kept, unfinished line and the new bytes.
            const std::uint64_t keptAt = readOffset - static_cast<std::uint64_t>(target - buffer.tailBegin());
            const char* const end = target + got;
            readOffset += got;
            if (ScanLines(buffer.tailBegin(), target, end, keptAt)) {
                buffer.Keep(end - (readOffset - lineStart_), end);
            } else {
                buffer.Keep(buffer.tailBegin() + (lineStart_ - keptAt), end);
            }
        }
        // The last line, ended by the end of the file, is a record only when
        // the log is finished: the game may be half way through writing it
        // (`Red Potion(1` of `Red Potion(12)`). Then it is left for the next
        // analysis, as if the read had stopped at the last line end. Only a
        // line of the player can count, so only then is the log looked at.
        const char* const tail = buffer.tailBegin();
        if (tail != buffer.tailEnd() && scanner_.MayTake(tail, buffer.tailEnd()) && !file_.BeingWritten()) {
            Scan(tail, buffer.tailEnd(), lineStart_);
            tookUnended_ = true;
        }
    }

    const std::filesystem::path& path_;
    LogFile file_;
    LogScanner scanner_;
    const ReadLimits& limits_;
    std::uint64_t lineStart_ = 0;  // file offset of the first line not yet scanned
    bool skipLineFeed_ = false;    // the last line end was a CR at the end of the data
    bool tookUnended_ = false;     // the last line, without a line end, was scanned
};

}  // namespace

LogEnd ProcessLogFile(const std::filesystem::path& path, const Query& query, RecordSink& sink,
                      SkippedRecords& skipped, const ReadLimits& limits, std::uint64_t from) {
#ifdef VANTOR_HAS_AVX512_SCANNER
    if (UseAvx512Scanner()) return LogReading<avx512::LogScanner>(path, query, sink, limits).Run(skipped, from);
#endif
    return LogReading<baseline::LogScanner>(path, query, sink, limits).Run(skipped, from);
}

}  // namespace vantor
