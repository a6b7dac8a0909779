// Reading one log. Its records go through four stages, each named once:
//
//   1. find the player's lines and 2. check their fields: FindRecords
//      (record_search.h, compiled per instruction set) gives the lines whose
//      field 1 is the player's and field 3 the action tag, with six fields
//      and no "Ore C." in the item entry;
//   3. clean and split the entry into name and quantity: CleanAndSplit;
//   4. add to the store through the sink: TakeRecord. A record that cannot
//      be counted is skipped instead; the skipped get their line numbers
//      when the log is done (LineNumbers), so that the reading need not
//      count lines.
//
// Around them, LogReading brings the log into memory a span at a time, read
// into a buffer its thread owns or mapped where that measured faster
// (WayChoice), hands the stages whole lines, carries a line that a span cuts
// into the next, and keeps the rules of line ends, of the line limit and of
// a half-written last line.

#include "analysis/log_reader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/log_file.h"
#include "vantor/text.h"
#include "analysis/record_search.h"
#include "store/numeric.h"
#include "vantor/run_error.h"

namespace vantor {

namespace {

using Way = detail::ReadPlan::Way;

// --- 3. Clean and split the entry -------------------------------------------

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

struct Item {
    std::string_view name;
    std::int32_t quantity;
};

// The entry cleaned (0x81 0xA8 -> ' ', 0x81 removed, "(R)" -> "R", "(Y)" ->
// "Y", last byte dropped) and split at its first '('. `record` tells where
// that is and whether cleaning changes anything; `scratch` holds a cleaned
// copy. Throws RunError when the entry is no name and quantity.
Item CleanAndSplit(std::string_view entry, const detail::FoundRecord& record, std::string& scratch) {
    std::string_view cleaned = entry;
    std::size_t open = record.open;
    if (record.unusual) {
        scratch.assign(entry);
        ReplaceAll(scratch, "\x81\xA8", " ");
        ReplaceAll(scratch, "\x81", "");
        ReplaceAll(scratch, "(R)", "R");
        ReplaceAll(scratch, "(Y)", "Y");
        cleaned = scratch;
        open = cleaned.find('(');
    }
    if (cleaned.empty()) throw RunError(ErrorKind::InvalidArgument, "item entry is empty");
    cleaned.remove_suffix(1);  // the quantity's closing bracket, whatever byte is there
    if (open >= cleaned.size()) {
        throw RunError(ErrorKind::InvalidArgument,
                       "item entry '" + std::string(entry) + "' has no '(' before its end");
    }
    try {
        return {cleaned.substr(0, open), ToInt32(cleaned.substr(open + 1))};
    } catch (const RunError& error) {
        throw RunError(error.kind(), "quantity " + error.detail());
    }
}

// --- Skipped records' line numbers -----------------------------------------

// The 1-based numbers of the lines that start at the file offsets `offsets`
// (ascending), counting the line ends (CRs) before each in one pass. A line
// the file no longer reaches gets 0.
std::vector<std::uint64_t> LineNumbers(const std::filesystem::path& path, const std::vector<std::uint64_t>& offsets) {
    std::vector<std::uint64_t> numbers(offsets.size(), 0);
    try {
        LogFile file(path);
        std::vector<char> buffer(64 * 1024);
        std::uint64_t at = 0;    // file offset of buffer's first byte
        std::uint64_t ends = 0;  // CRs before `at`
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

// --- How the bytes come in ----------------------------------------------------

// The plan, a field at a time: every log asks for it, and a lock that two
// workers take for each of thousands of small logs makes them wait for
// each other. It is set only while no log is read.
std::atomic<Way> planWay{detail::ReadPlan{}.way};
std::atomic<std::size_t> planBlockBytes{detail::ReadPlan{}.blockBytes};
std::atomic<std::size_t> planSpanBytes{detail::ReadPlan{}.spanBytes};

// Whether large logs come in faster mapped or read: timed on the first
// spans of the process, alternately one way and the other, the best of each
// way kept. A span's time covers bringing it in and finding its records,
// since where mapped pages are costly to reach, the search feels it too.
class WayChoice {
public:
    // The way for the next span; `timed` says whether to time it. Until
    // each way has been timed kTimedSpans times, they take turns.
    Way Next(bool& timed) {
        const int decided = decided_.load(std::memory_order_relaxed);
        timed = decided < 0;
        if (!timed) return static_cast<Way>(decided);
        return handed_.fetch_add(1, std::memory_order_relaxed) % 2 == 0 ? Way::Read : Way::Mapped;
    }

    void Record(Way way, std::chrono::nanoseconds time, std::uint64_t bytes) {
        if (bytes == 0) return;
        const auto cost = static_cast<std::uint64_t>(time.count()) * (1 << 20) / bytes;
        const bool mapped = way == Way::Mapped;
        std::uint64_t seen = best_[mapped].load();
        while (cost < seen && !best_[mapped].compare_exchange_weak(seen, cost)) {
        }
        ++timed_[mapped];
        if (timed_[0] >= detail::kTimedSpans && timed_[1] >= detail::kTimedSpans && decided_.load() < 0) {
            // Mapping must win: reading needs no more memory than its buffer.
            decided_ = static_cast<int>(best_[1].load() < best_[0].load() ? Way::Mapped : Way::Read);
        }
    }

    bool Maps() const { return decided_.load() == static_cast<int>(Way::Mapped); }

    // Measures anew; no log may be being read.
    void Reset() {
        decided_ = -1;
        handed_ = 0;
        timed_[0] = timed_[1] = 0;
        best_[0] = best_[1] = ~std::uint64_t{0};
    }

private:
    std::atomic<int> decided_{-1};
    std::atomic<unsigned> handed_{0};
    std::atomic<int> timed_[2] = {0, 0};                                           // read, mapped
    std::atomic<std::uint64_t> best_[2] = {~std::uint64_t{0}, ~std::uint64_t{0}};  // ns per MiB
};

WayChoice wayChoice;

// Where a log's bytes are read to. A short unfinished line is kept just
// before a fixed, page-aligned block, so that each read fills the block
// from a page start. A long line instead grows in place, the next read
// going right after it, and the buffer doubles when it is full, so a line
// costs time and memory in proportion to its length. A reading thread's
// ReadBuffer keeps one from log to log, sized to the block so that what was
// read is still in the processor's cache when it is searched.
class ReadMemory {
public:
    // Empty, for a new log read in blocks of `blockBytes`.
    void Start(std::size_t blockBytes, std::size_t maxLine) {
        maxLine_ = maxLine;
        const std::size_t room = (blockBytes + kPage - 1) / kPage * kPage;
        if (blockBytes != blockBytes_ || capacity_ != room + blockBytes) {
            blockBytes_ = blockBytes;
            room_ = room;
            Allocate(room_ + blockBytes_);
        }
        Clear();
    }

    void Clear() { tailBegin_ = tailEnd_ = block(); }

    // Where the next read goes and how much it may take; moves or grows the
    // kept line as needed.
    char* PrepareRead(std::size_t& size) {
        const auto kept = static_cast<std::size_t>(tailEnd_ - tailBegin_);
        if (kept <= room_) {
            std::memmove(block() - kept, tailBegin_, kept);
            tailBegin_ = block() - kept;
            tailEnd_ = block();
            size = blockBytes_;
            return block();
        }
        if (tailEnd_ == data_.get() + capacity_) {
            const Data old = std::move(data_);
            const char* oldTail = tailBegin_;
            // Enough for a line one byte past the limit, which is then an error.
            Allocate(std::max(capacity_ + 1, std::min(capacity_ * 2, maxLine_ + blockBytes_)));
            std::memcpy(data_.get(), oldTail, kept);
            tailBegin_ = data_.get();
            tailEnd_ = tailBegin_ + kept;
        }
        size = std::min(blockBytes_, static_cast<std::size_t>(data_.get() + capacity_ - tailEnd_));
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

    std::size_t blockBytes_ = 0;
    std::size_t room_ = 0;
    std::size_t maxLine_ = 0;
    std::size_t capacity_ = 0;
    Data data_;
    char* tailBegin_ = nullptr;
    char* tailEnd_ = nullptr;
};

// --- One reading of a log ----------------------------------------------------

class LogReading {
public:
    LogReading(const std::filesystem::path& path, const Query& query, RecordSink& sink, ReadMemory& buffer,
               const ReadLimits& limits)
        : path_(path),
          file_(path),
          query_(query.player, query.tag, query.moreTags),
          // A tab or CR cannot be inside field 1, so such an ID takes nothing.
          matchesNothing_(query.player.find_first_of("\t\r") != std::string::npos),
          severalTags_(!query.moreTags.empty()),
          sink_(sink),
          limits_(limits),
          plan_(detail::CurrentReadPlan()),
          buffer_(buffer) {}

    // Reads the log from `from`, a line start; the records skipped, with
    // their line numbers, go to `skipped`, also when reading fails part way.
    LogEnd Run(SkippedRecords& skipped, std::uint64_t from) {
        lineStart_ = from;
        skipLineFeed_ = from > 0;  // `from` follows a CR: a LF there ends that line
        try {
            ReadSpans();
            ReadLastLine();
        } catch (const RunError&) {
            Report(skipped);
            throw;
        }
        Report(skipped);
        return {lineStart_, tookUnended_};
    }

private:
    // A record that could not be counted: the file offset of its line, its
    // raw item entry and what went wrong.
    struct Skipped {
        std::uint64_t lineOffset;
        std::string item;
        RunError error;
    };

    // The log as it was opened and whatever is appended before the reading
    // gets to its end, a span at a time: spans of a log larger than one are
    // mapped or read, as the plan says or as measured; the rest is read.
    void ReadSpans() {
        const std::uint64_t size = file_.OpenedSize();
        bool canMap = plan_.way != Way::Read && LogFile::CanMap();
        bool atLineStart = true;  // the buffer is empty and the file's next read is at lineStart_
        buffer_.Start(std::max<std::size_t>(plan_.blockBytes, 1), limits_.maxLineBytes);
        if (lineStart_ > 0) file_.Seek(lineStart_);
        for (;;) {
            bool timed = false;
            Way way = Way::Read;
            if (canMap && size > plan_.spanBytes && lineStart_ < size) {
                way = plan_.way == Way::Measured ? wayChoice.Next(timed) : plan_.way;
            }
            const auto start = std::chrono::steady_clock::now();
            const std::uint64_t startedAt = lineStart_;
            if (way == Way::Mapped) {
                if (!MapSpan(size)) {
                    canMap = false;  // the end of the log, or it cannot be mapped: read the rest
                    continue;
                }
                atLineStart = false;
            } else {
                if (!atLineStart) {
                    buffer_.Clear();
                    file_.Seek(lineStart_);
                    atLineStart = true;
                }
                if (!ReadSpan()) return;
            }
            if (timed) wayChoice.Record(way, std::chrono::steady_clock::now() - start, lineStart_ - startedAt);
        }
    }

    // The next span, mapped from the page of lineStart_ to a whole number of
    // pages or the end of the log, and the lines it completes. False when
    // no line end is left before the end of the log (the last line needs
    // the read's care) or the log cannot be mapped.
    bool MapSpan(std::uint64_t size) {
        const std::size_t page = LogFile::PageSize();
        // No more than the line limit, so that a line over the limit always
        // spans mappings and is seen.
        const std::size_t pages = std::min((plan_.spanBytes + page - 1) / page, limits_.maxLineBytes / page);
        std::size_t length = std::max(page, pages * page);
        for (;;) {
            const std::uint64_t mapStart = lineStart_ / page * page;
            length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - mapStart));
            const LogFile::Mapping mapping = file_.Map(mapStart, length);
            if (mapping.data() == nullptr) return false;
            const char* const base = mapping.data();
            bool complete = true;
            if (!ReadMapped(base, base + length, [&] {
                    const char* begin = base + (lineStart_ - mapStart);
                    complete = ScanLines(begin, begin, base + length, lineStart_);
                })) {
                throw RunError(ErrorKind::FileError, "cannot read '" + PathToUtf8(path_) +
                                                         "': the file was shortened or failed while it was read");
            }
            if (complete) return true;
            if (mapStart + length == size) return false;
            length *= 2;  // a line longer than the mapping gets a larger one
        }
    }

    // Reads on, block by block, for a span; false at the end of the file.
    bool ReadSpan() {
        std::uint64_t got = 0;
        while (got < plan_.spanBytes) {
            std::size_t size = 0;
            char* const target = buffer_.PrepareRead(size);
            const std::size_t read = file_.Read(target, size);
            if (read == 0) return false;
            got += read;
            // The kept, unfinished line and the new bytes.
            const char* const end = target + read;
            const std::uint64_t keptAt = lineStart_;
            const std::uint64_t endAt = keptAt + static_cast<std::uint64_t>(end - buffer_.tailBegin());
            if (ScanLines(buffer_.tailBegin(), target, end, keptAt)) {
                buffer_.Keep(end - (endAt - lineStart_), end);
            } else {
                buffer_.Keep(buffer_.tailBegin() + (lineStart_ - keptAt), end);
            }
        }
        return true;
    }

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
        Records(begin, rest, at);
        if (rest == end) {
            skipLineFeed_ = true;
        } else if (*rest == '\n') {
            ++rest;
        }
        lineStart_ = at + static_cast<std::uint64_t>(rest - begin);
        if (static_cast<std::size_t>(end - rest) > limits_.maxLineBytes) TooLong(lineStart_);
        return true;
    }

    // The last line, ended by the end of the file, is a record only when
    // the log is finished: the game may be half way through writing it
    // (`Red Potion(1` of `Red Potion(12)`). Then it is left for the next
    // analysis, as if the read had stopped at the last line end. Only a
    // record can count, so only then is the log looked at.
    void ReadLastLine() {
        const char* const begin = buffer_.tailBegin();
        const char* const end = buffer_.tailEnd();
        std::size_t found = 0;
        if (begin == end || matchesNothing_) return;
        detail::FindRecords(query_, begin, begin, end, found_, 1, found);
        if (found == 0 || file_.BeingWritten()) return;
        Records(begin, end, lineStart_);
        tookUnended_ = true;
    }

    // Stages 1 to 4 for the complete lines in [begin, end), whose first byte
    // is at file offset `at`.
    void Records(const char* begin, const char* end, std::uint64_t at) {
        if (matchesNothing_) return;
        const char* line = begin;
        for (const char* from = begin; from != end;) {
            std::size_t found = 0;
            from = detail::FindRecords(query_, line, from, end, found_, kBatch, found);
            for (std::size_t i = 0; i < found; ++i) {
                TakeRecord(found_[i], at + static_cast<std::uint64_t>(found_[i].line - begin));
            }
            if (found > 0) line = found_[found - 1].line;
        }
    }

    void TakeRecord(const detail::FoundRecord& record, std::uint64_t lineOffset) {
        // A copy: a mapped page can go away mid-read, and then no destructor
        // may be pending.
        if (entry_.size() < record.size) entry_.resize(record.size);
        std::memcpy(entry_.data(), record.entry, record.size);
        const std::string_view entry(entry_.data(), record.size);
        try {
            const Item item = CleanAndSplit(entry, record, scratch_);
            if (severalTags_) {
                sink_.TakeOf(record.action, item.name, item.quantity);
            } else {
                sink_.Take(item.name, item.quantity);
            }
        } catch (const RunError& error) {
            if (skippedCount_++ < kMaxProblems) skipped_.push_back({lineOffset, std::string(entry), error});
        }
    }

    void Report(SkippedRecords& skipped) {
        skipped.count += skippedCount_;
        if (skipped_.empty()) return;
        std::vector<std::uint64_t> offsets;
        for (const Skipped& record : skipped_) offsets.push_back(record.lineOffset);
        const std::vector<std::uint64_t> lines = LineNumbers(path_, offsets);
        const std::string name = PathToUtf8(path_.filename());
        for (std::size_t i = 0; i < lines.size() && skipped.kept.size() < kMaxProblems; ++i) {
            skipped.kept.push_back(skipped_[i].error.At(name, lines[i], skipped_[i].item));
        }
        skipped_.clear();
        skippedCount_ = 0;
    }

    [[noreturn]] void TooLong(std::uint64_t lineStart) {
        const std::size_t limit = limits_.maxLineBytes;
        const RunError error(ErrorKind::FileError,
                             "line longer than " + (limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                                                            : std::to_string(limit) + " bytes"));
        throw error.At(PathToUtf8(path_.filename()), LineNumbers(path_, {lineStart})[0], "");
    }

    // Records found per call of the search: few, so that each is taken while
    // its line is still in the cache (64 took 4% longer).
    static constexpr std::size_t kBatch = 8;

    const std::filesystem::path& path_;
    LogFile file_;
    const detail::RecordQuery query_;
    const bool matchesNothing_;
    const bool severalTags_;
    RecordSink& sink_;
    const ReadLimits& limits_;
    const detail::ReadPlan plan_;
    ReadMemory& buffer_;
    std::uint64_t lineStart_ = 0;  // file offset of the first line not yet scanned
    bool skipLineFeed_ = false;    // the last line end was a CR at the end of the data
    bool tookUnended_ = false;     // the last line, without a line end, was taken
    detail::FoundRecord found_[kBatch];
    std::string entry_;
    std::string scratch_;
    std::vector<Skipped> skipped_;
    std::size_t skippedCount_ = 0;
};

}  // namespace

struct ReadBuffer::Memory : ReadMemory {};

ReadBuffer::ReadBuffer() : memory_(std::make_unique<Memory>()) {}
ReadBuffer::~ReadBuffer() = default;
ReadBuffer::ReadBuffer(ReadBuffer&&) noexcept = default;
ReadBuffer& ReadBuffer::operator=(ReadBuffer&&) noexcept = default;

LogEnd ProcessLogFile(const std::filesystem::path& path, const Query& query, RecordSink& sink,
                      SkippedRecords& skipped, ReadBuffer& buffer, const ReadLimits& limits, std::uint64_t from) {
    return LogReading(path, query, sink, *buffer.memory_, limits).Run(skipped, from);
}

LogEnd ProcessLogFile(const std::filesystem::path& path, const Query& query, RecordSink& sink,
                      SkippedRecords& skipped, const ReadLimits& limits, std::uint64_t from) {
    ReadBuffer buffer;
    return ProcessLogFile(path, query, sink, skipped, buffer, limits, from);
}

void detail::SetReadPlan(const ReadPlan& newPlan) {
    planWay = newPlan.way;
    planBlockBytes = newPlan.blockBytes;
    planSpanBytes = newPlan.spanBytes;
    wayChoice.Reset();
}

detail::ReadPlan detail::CurrentReadPlan() {
    constexpr auto relaxed = std::memory_order_relaxed;
    return {planWay.load(relaxed), planBlockBytes.load(relaxed), planSpanBytes.load(relaxed)};
}

bool detail::MeasuredToMap() { return wayChoice.Maps(); }

}  // namespace vantor
