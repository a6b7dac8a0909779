#include "analysis/parallel_scan.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "analysis/log_folder.h"
#include "analysis/log_reader.h"
#include "analysis/path_text.h"
#include "analysis/window_state.h"
#include "store/cls_hash.h"
#include "store/locate_index.h"

namespace vantor {

namespace {

constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int32_t>::max();

// Workers map logs 16 MiB at a time, not 4: threads of one process that
// map and unmap wait for each other (an unmap takes the process's lock on
// its memory map and interrupts the other cores to drop the pages from
// their TLBs), and four times fewer unmaps made --jobs 2 about 8% faster.
// The mapped pages are the page cache's own: the peak RSS grows by about
// 16 MiB a worker, the memory used does not.
constexpr ReadLimits kWorkerLimits{kDefaultBlockSize, kMaxLineBytes, std::size_t{16} << 20};

// One log's records, summed per name in first-met order.
//
// Adding a name's first quantity, then the sum of the rest, gives the store
// exactly what adding them one by one does: after its first addition a name
// of at most one slot is always found, at a place that never moves, so all
// its later quantities reach the same slot. A longer name may be stored
// again at each record, so its records stay apart. Totals could leave the
// 32-bit range part way through a log; the replay checks for that first.
class FileTally : public RecordSink {
public:
    struct Entry {
        std::uint32_t nameOffset;
        std::uint32_t nameLength;
        std::int32_t first;
        std::int64_t rest;
        std::uint32_t count;
    };

    void Take(std::string_view name, std::int32_t quantity) override {
        absoluteSum += quantity < 0 ? -std::int64_t{quantity} : quantity;
        if (name.size() > static_cast<std::size_t>(kKeyWidth)) {
            Append(name, quantity);
            return;
        }
        if (2 * (entries.size() + 1) > table_.size()) Rehash(std::max<std::size_t>(64, table_.size() * 2));
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = detail::HashBytes(name) & mask;; i = (i + 1) & mask) {
            if (table_[i] == 0) {
                table_[i] = static_cast<std::uint32_t>(entries.size() + 1);
                Append(name, quantity);
                return;
            }
            Entry& entry = entries[table_[i] - 1];
            if (Name(entry) == name) {
                entry.rest += quantity;
                ++entry.count;
                return;
            }
        }
    }

    std::string_view Name(const Entry& entry) const {
        return std::string_view(names).substr(entry.nameOffset, entry.nameLength);
    }

    std::vector<Entry> entries;
    std::string names;
    std::int64_t absoluteSum = 0;
    std::exception_ptr error;
    bool done = false;

private:
    void Append(std::string_view name, std::int32_t quantity) {
        entries.push_back({static_cast<std::uint32_t>(names.size()),
                           static_cast<std::uint32_t>(name.size()), quantity, 0, 1});
        names.append(name);
    }

    void Rehash(std::size_t size) {
        table_.assign(size, 0);
        for (std::size_t index = 0; index < entries.size(); ++index) {
            if (entries[index].nameLength > static_cast<std::uint32_t>(kKeyWidth)) continue;
            std::size_t i = detail::HashBytes(Name(entries[index])) & (size - 1);
            while (table_[i] != 0) i = (i + 1) & (size - 1);
            table_[i] = static_cast<std::uint32_t>(index + 1);
        }
    }

    std::vector<std::uint32_t> table_;  // entry index + 1; 0 is free
};


std::int64_t LargestTotal(const clsHash& items) {
    std::int64_t largest = 0;
    for (std::int32_t number = 1; number <= items.NumKeys(); ++number) {
        const std::int64_t value = items.GetValueByNumber(number);
        largest = std::max(largest, value < 0 ? -value : value);
    }
    return largest;
}

// Reads the logs on worker threads, at most `ahead` logs past the one the
// caller is adding to the store.
class Readers {
public:
    Readers(std::vector<std::filesystem::path> paths, std::string playerId, std::string actionTag,
            unsigned jobs)
        : paths_(std::move(paths)),
          playerId_(std::move(playerId)),
          actionTag_(std::move(actionTag)),
          tallies_(paths_.size()),
          ahead_(2 * std::size_t{jobs}) {
        for (unsigned i = 0; i < jobs && i < paths_.size(); ++i) threads_.emplace_back([this] { Work(); });
    }

    ~Readers() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    // Waits for log `index` and hands its tally over.
    FileTally Take(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return tallies_[index].done; });
        FileTally tally = std::move(tallies_[index]);
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        return tally;
    }

private:
    void Work() {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || next_ >= paths_.size() || next_ < taken_ + ahead_; });
                if (stop_ || next_ >= paths_.size()) return;
                index = next_++;
            }
            FileTally tally;
            try {
                ReadLog(paths_[index], playerId_, actionTag_, tally, kWorkerLimits);
            } catch (...) {
                tally.error = std::current_exception();
            }
            tally.done = true;
            {
                const std::lock_guard lock(mutex_);
                tallies_[index] = std::move(tally);
            }
            changed_.notify_all();
        }
    }

    const std::vector<std::filesystem::path> paths_;
    const std::string playerId_;
    const std::string actionTag_;
    std::vector<FileTally> tallies_;
    const std::size_t ahead_;
    std::size_t next_ = 0;
    std::size_t taken_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

}  // namespace

void ProcessLogFolderParallel(const std::string& directory, WindowState& window, clsHash& items,
                              unsigned jobs) {
    const std::string folder = WithTrailingSeparator(directory);
    const std::vector<std::string> names = ListLogFiles(Utf8ToPath(folder));
    std::vector<std::filesystem::path> paths;
    for (const std::string& name : names) paths.push_back(Utf8ToPath(folder + name));

    const std::string playerId = window.PlayerId();
    const std::string actionTag = window.ActionTag();
    Readers readers(paths, playerId, actionTag, std::max(jobs, 1u));
    std::int64_t largest = LargestTotal(items);  // no total's size exceeds it
    for (std::size_t index = 0; index < names.size(); ++index) {
        window.SetStatus("Processing " + names[index]);
        if (!window.PassEvents()) return;
        const FileTally tally = readers.Take(index);
        if (largest + tally.absoluteSum > kMaxTotal) {
            // A total may leave the range inside this log: add its records one by one.
            StoreSink sink(items);
            ReadLog(paths[index], playerId, actionTag, sink);
            largest = LargestTotal(items);
            continue;
        }
        for (const FileTally::Entry& entry : tally.entries) {
            items.AddToValue(tally.Name(entry), entry.first);
            if (entry.count > 1) items.AddToValue(tally.Name(entry), static_cast<std::int32_t>(entry.rest));
        }
        largest += tally.absoluteSum;
        if (tally.error) std::rethrow_exception(tally.error);
    }
    ListItems(items, window);
}

}  // namespace vantor
