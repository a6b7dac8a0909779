#pragma once

#include "text/internal.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "vantor/tally.h"
#include "vantor/run_error.h"

namespace vantor {

// A longer line is an error rather than a reason to hold it all in memory.
inline constexpr std::size_t kMaxLineBytes = std::size_t{256} << 20;

struct ReadLimits {
    std::size_t maxLineBytes = kMaxLineBytes;
};

// Receives the taken records of a log, in file order.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    // May throw RunError (an Overflow of a total): the record is then
    // skipped as one that cannot be counted, and the sink must be as if it
    // had never been called for it.
    virtual void Take(std::string_view name, std::int32_t quantity) = 0;
    // A record of a query with more tags: `action` is its tag's index (0 the
    // query's tag, i + 1 its moreTags[i]). Only such a reading calls it.
    virtual void TakeOf(std::size_t action, std::string_view name, std::int32_t quantity) {
        static_cast<void>(action);
        Take(name, quantity);
    }
};

// The records of a log that could not be counted.
struct SkippedRecords {
    std::vector<RunError> kept;  // the first kMaxProblems, each naming file, line and raw item entry
    std::size_t count = 0;       // all of them
};

// Where a reading of a log stopped: `complete` is the file offset just past
// the last line that a line end closed (a later reading of what the game
// appends starts there); `tookUnended` says that the line after it, which
// the end of the file closed, was read as a finished record.
struct LogEnd {
    std::uint64_t complete = 0;
    bool tookUnended = false;
};

// The memory a reading uses, kept from log to log by whoever owns it: each
// thread that reads logs owns one (the folder scan hands one to each of its
// jobs), and only one reading uses it at a time. Owned, not thread_local: a
// thread's object with a destructor crashed MinGW builds as the thread ended.
class ReadBuffer {
public:
    ReadBuffer();
    ~ReadBuffer();
    ReadBuffer(ReadBuffer&&) noexcept;
    ReadBuffer& operator=(ReadBuffer&&) noexcept;

private:
    friend LogEnd ProcessLogFile(const std::filesystem::path&, const Query&, RecordSink&, SkippedRecords&,
                                 ReadBuffer&, const ReadLimits&, std::uint64_t);
    struct Memory;
    std::unique_ptr<Memory> memory_;
};

// Reads one action log and passes every record of the query to `sink` as
// its item name and quantity.
//
// Lines end at CR (a LF right after it belongs to the line end; a lone LF is
// text); empty lines and lines with fewer than six tab-separated fields are
// skipped. A record is taken when field 1 equals the query's player, field 3
// its tag (or one of its moreTags: then through RecordSink::TakeOf) and
// field 5 lacks "Ore C.". Its item entry is cleaned
// (0x81 0xA8 -> ' ', 0x81 removed, "(R)" -> "R", "(Y)" -> "Y", last byte
// dropped) and split at its first '(' into name and quantity.
//
// A taken record that cannot be counted is skipped and added to `skipped`:
// InvalidArgument for an empty entry or one without '(', TypeMismatch for a
// quantity that is not a number, Overflow for one outside 32 bits or a total
// the sink refuses. Throws RunError (FileError naming the path) when the
// file cannot be opened or read (a log that is shortened while it is mapped
// cannot), and naming file and line for a line longer than
// `limits.maxLineBytes`; the records taken and skipped before stay so.
// Bytes appended while the log is read are read as far as the end of the
// file when the reader gets there. A last line without a line end is read
// only when the log is finished (LogFile::BeingWritten is false);
// otherwise it may be half written and is left out, neither taken nor
// skipped. Reading starts at `from`: 0, or a LogEnd::complete of an earlier
// reading of the same log (a LF there belongs to the line end before it).
// Reads through `buffer`; the overload without one allocates its own.
// Here `query.player` is the logs' bytes (PlayerBytes), and the problems
// quote the log's bytes (RunError::InText makes them text).
LogEnd ProcessLogFile(const std::filesystem::path& path, const Query& query, RecordSink& sink,
                      SkippedRecords& skipped, ReadBuffer& buffer, const ReadLimits& limits = {},
                      std::uint64_t from = 0);
LogEnd ProcessLogFile(const std::filesystem::path& path, const Query& query, RecordSink& sink,
                      SkippedRecords& skipped, const ReadLimits& limits = {}, std::uint64_t from = 0);

namespace detail {

// How logs come into memory. A log is read a span at a time; a span of a
// log larger than one is read into a buffer the thread keeps, or mapped,
// whichever measured faster on the first spans of the process (the first
// `kTimedSpans` each way, taking turns; it depends on the machine). Tests
// and benchmarks set one way or smaller sizes; a plan set, while no log is
// being read, measures anew.
struct ReadPlan {
    enum class Way { Measured, Read, Mapped };
    Way way = Way::Measured;
    std::size_t blockBytes = 256 * 1024;  // per read call; the buffer holds twice as much
    std::size_t spanBytes = 2 << 20;      // mapped at a time, rounded up to whole pages
};
inline constexpr int kTimedSpans = 4;
void SetReadPlan(const ReadPlan& plan);
ReadPlan CurrentReadPlan();
// Whether the measured way maps: false until measured.
bool MeasuredToMap();

}  // namespace detail

}  // namespace vantor
