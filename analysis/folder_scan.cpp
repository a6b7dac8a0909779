#include "analysis/folder_scan.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "vantor/code_page.h"
#include "vantor/text.h"
#include "analysis/player_ids.h"
#include "store/cls_hash.h"
#include "store/locate_index.h"

namespace vantor::detail {

namespace {

constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int32_t>::max();
// How many player IDs a query that found nothing is offered.
constexpr std::size_t kSimilarPlayers = 5;

// Where a credit's first record stands: its log, then its place among the
// log's taken records. Orders the names an account was credited with.
std::uint64_t RecordOrder(std::uint32_t log, std::uint32_t record) { return std::uint64_t{log} << 32 | record; }

// One log's records, summed per item name in first-met order, and what the
// reading of it met.
//
// Adding a name's first quantity, then the sum of the rest, gives the store
// exactly what adding them one by one does: after its first addition a name
// of at most one slot is always found, at a place that never moves, so all
// its later quantities reach the same slot (not always the first's: adding
// the name may make it occur earlier, across the end of the slot before). A longer name may be stored
// again at each record, so its records stay apart. Totals could leave the
// 32-bit range part way through a log; FolderScan checks for that before it
// adds a log this way.
class FileTally : public RecordSink {
public:
    struct Entry {
        std::uint32_t nameOffset;
        std::uint32_t nameLength;
        std::int32_t first;
        std::int64_t rest;
        std::uint32_t count;
        std::uint32_t firstRecord;   // places among the log's taken records
        std::uint32_t secondRecord;
    };

    // `before`: the log's records taken before this reading.
    explicit FileTally(std::uint32_t before = 0) : records(before) {}

    void Take(std::string_view name, std::int32_t quantity) override {
        const std::uint32_t record = records++;
        absoluteSum += quantity < 0 ? -std::int64_t{quantity} : quantity;
        if (name.size() > static_cast<std::size_t>(kKeyWidth)) {
            Append(name, quantity, record);
            return;
        }
        if (2 * (entries.size() + 1) > table_.size()) Rehash(std::max<std::size_t>(64, table_.size() * 2));
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = detail::HashBytes(name) & mask;; i = (i + 1) & mask) {
            if (table_[i] == 0) {
                table_[i] = static_cast<std::uint32_t>(entries.size() + 1);
                Append(name, quantity, record);
                return;
            }
            Entry& entry = entries[table_[i] - 1];
            if (Name(entry) == name) {
                if (entry.count == 1) entry.secondRecord = record;
                entry.rest += quantity;
                ++entry.count;
                return;
            }
        }
    }

    // A record of a reading of several tags: each tag's names are kept
    // apart, under the tag's index as a first byte (such readings count
    // exact names, which nothing but these keys joins).
    void TakeOf(std::size_t action, std::string_view name, std::int32_t quantity) override {
        tagged_.assign(1, static_cast<char>(action));
        tagged_.append(name);
        Take(tagged_, quantity);
    }

    std::string_view Name(const Entry& entry) const {
        return std::string_view(names).substr(entry.nameOffset, entry.nameLength);
    }

    std::vector<Entry> entries;
    std::string names;
    std::int64_t absoluteSum = 0;
    std::uint32_t records;  // taken so far, those before this reading too
    SkippedRecords skipped;
    std::optional<RunError> failure;  // the log could not be read to its end
    LogEnd end;
    bool done = false;

private:
    void Append(std::string_view name, std::int32_t quantity, std::uint32_t record) {
        entries.push_back({static_cast<std::uint32_t>(names.size()), static_cast<std::uint32_t>(name.size()),
                           quantity, 0, 1, record, 0});
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
    std::string tagged_;
};

// Reads one log from `from` into a tally, through the reading thread's
// buffer; a log that cannot be read to its end keeps what was read before
// the failure.
void ReadInto(const std::filesystem::path& path, const Query& query, RecordSink& sink, FileTally& tally,
              ReadBuffer& buffer, std::uint64_t from = 0) {
    try {
        tally.end = ProcessLogFile(path, query, sink, tally.skipped, buffer, {}, from);
    } catch (const RunError& error) {
        tally.failure = error.file().empty() ? error.At(PathToUtf8(path.filename()), 0, "") : error;
    }
}

// Lets a thread sleep until a condition on atomics holds, and makes no
// system call to wake it while no thread sleeps. (std::atomic's wait is
// this on Linux, but with MinGW's libstdc++ a wake could be lost.)
class Gate {
public:
    // Returns once `ready()` holds, looking a few times before it sleeps.
    template <typename Ready>
    void Wait(Ready ready) {
        for (int look = 0; look < 64; ++look) {
            if (ready()) return;
            std::this_thread::yield();
        }
        std::unique_lock lock(mutex_);
        sleepers_.fetch_add(1);
        changed_.wait(lock, ready);
        sleepers_.fetch_sub(1);
    }

    // Call after a change (to a sequentially consistent atomic) that may
    // make a waiter's condition hold. Either the waiter sees the change
    // before it sleeps, or this sees the sleeper and wakes it.
    void Open() {
        if (sleepers_.load() == 0) return;
        { const std::lock_guard lock(mutex_); }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<int> sleepers_{0};
};

// Reads the logs for the caller, who adds them to the store in order: with
// `jobs` threads, the caller's and jobs - 1 workers, at most 4 * jobs logs
// ahead of the one being added.
//
// Each log is taken by counting and its tally left in its place of a small
// ring. The caller reads logs too while the one it wants is not ready, and
// sleeps only when every log it could read is taken; a worker sleeps only
// when the ring is full. A mutex and a condition variable taken for every
// log, with a thread apart that only added, made two jobs slower than one
// on 30,000 small logs.
//
// Each thread reads through a buffer of its own: the caller's is handed in,
// each worker's is made before the worker starts and freed after it is
// joined.
class Readers {
public:
    Readers(const std::vector<std::filesystem::path>& paths, const Query& query, unsigned jobs,
            ReadBuffer& callerBuffer)
        : paths_(paths),
          query_(query),
          ring_(4 * std::size_t{std::max(jobs, 1u)}),
          places_(ring_),
          callerBuffer_(callerBuffer) {
        const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1u), paths_.size());
        workerBuffers_.resize(threads > 0 ? threads - 1 : 0);
        for (ReadBuffer& buffer : workerBuffers_) threads_.emplace_back([this, &buffer] { Work(buffer); });
    }

    ~Readers() {
        stop_ = true;
        takenGate_.Open();
        for (std::thread& thread : threads_) thread.join();
    }

    Readers(const Readers&) = delete;
    Readers& operator=(const Readers&) = delete;

    // Log `index`'s tally. Logs are taken in order.
    FileTally Take(std::size_t index) {
        Place& place = places_[index % ring_];
        while (place.ready.load() != index + 1) {
            // The next log no one has taken, if its place is free: it is
            // this one when the workers are behind.
            std::size_t next = next_.load();
            if (next < paths_.size() && next < index + ring_) {
                if (next_.compare_exchange_weak(next, next + 1)) Fill(next, callerBuffer_);
                continue;
            }
            readyGate_.Wait([&] { return place.ready.load() == index + 1; });
        }
        FileTally tally = std::move(place.tally);
        taken_ = index + 1;
        takenGate_.Open();
        return tally;
    }

private:
    struct Place {
        std::atomic<std::size_t> ready{0};  // the index of the log whose tally it holds, plus one
        FileTally tally;
    };

    void Fill(std::size_t index, ReadBuffer& buffer) {
        FileTally tally;
        ReadInto(paths_[index], query_, tally, tally, buffer);
        Place& place = places_[index % ring_];
        place.tally = std::move(tally);
        place.ready = index + 1;
        readyGate_.Open();
    }

    void Work(ReadBuffer& buffer) {
        for (;;) {
            const std::size_t index = next_.fetch_add(1);
            if (index >= paths_.size()) return;
            // Its place is free once the log a ring before it was taken.
            takenGate_.Wait([&] { return stop_.load() || index < taken_.load() + ring_; });
            if (stop_) return;
            Fill(index, buffer);
        }
    }

    const std::vector<std::filesystem::path>& paths_;
    const Query& query_;
    const std::size_t ring_;
    std::vector<Place> places_;
    std::atomic<std::size_t> next_{0};   // the next log no one has taken to read
    std::atomic<std::size_t> taken_{0};  // logs the caller took
    std::atomic<bool> stop_{false};
    Gate readyGate_;  // a place was filled
    Gate takenGate_;  // a place was emptied, or the workers are to stop
    ReadBuffer& callerBuffer_;
    std::vector<ReadBuffer> workerBuffers_;  // one per worker; outlives the threads
    std::vector<std::thread> threads_;
};

// What went where: for each slot of the store (or each name, for exact
// names), what each log credited to it and the names of the records.
class Ledger {
public:
    struct Account {
        std::string item;  // as listed
        std::vector<LogCredit> credits;
        // Every name credited, the listed one too, in the order of the first
        // record of each that came here: the order one-by-one adding gives,
        // however the records were summed before.
        std::vector<OtherName> names;
        std::vector<std::uint64_t> firstRecords;  // RecordOrder, beside `names`
    };

    // `quantity` from `records` records of `name` in log `log` went to
    // account `index` (0-based), whose listed text is `item` should it be
    // new; `order` is the RecordOrder of the first of them.
    void Credit(std::size_t index, std::string_view item, std::string_view name, std::uint32_t log,
                std::int64_t quantity, std::uint32_t records, std::uint64_t order) {
        if (index >= accounts_.size()) accounts_.resize(index + 1);
        Account& account = accounts_[index];
        if (account.credits.empty() && account.names.empty()) account.item = item;
        if (!account.credits.empty() && account.credits.back().log == log) {
            account.credits.back().quantity += quantity;
            account.credits.back().records += records;
        } else {
            account.credits.push_back({log, quantity, records});
        }
        const auto known = std::find_if(account.names.begin(), account.names.end(),
                                        [&](const OtherName& other) { return other.bytes == name; });
        if (known != account.names.end()) {
            known->quantity += quantity;
            known->records += records;
            return;
        }
        // A name's later records come after other names' first ones when
        // its first record went to a slot of its own.
        std::size_t at = account.names.size();
        while (at > 0 && account.firstRecords[at - 1] > order) --at;
        account.names.insert(account.names.begin() + static_cast<std::ptrdiff_t>(at),
                             {{}, std::string(name), quantity, records});
        account.firstRecords.insert(account.firstRecords.begin() + static_cast<std::ptrdiff_t>(at), order);
    }

    const Account* Find(std::size_t index) const { return index < accounts_.size() ? &accounts_[index] : nullptr; }
    std::size_t size() const { return accounts_.size(); }

private:
    std::vector<Account> accounts_;
};

// The listed text of a slot: its key up to the first NUL.
std::string ListedKey(const clsHash& store, std::int32_t slot) {
    std::string key = store.GetKeyByNumber(slot);
    key.resize(std::min(key.size(), key.find('\0')));
    return key;
}

// Credits what was just added to `slot` of the store.
void Credit(const clsHash& store, Ledger& ledger, std::int32_t slot, std::string_view name, std::uint32_t log,
            std::int64_t quantity, std::uint32_t records, std::uint32_t firstRecord) {
    const auto index = static_cast<std::size_t>(slot - 1);
    ledger.Credit(index, index >= ledger.size() ? ListedKey(store, slot) : "", name, log, quantity, records,
                  RecordOrder(log, firstRecord));
}

// Adds each record to the store and the ledger as it is read: for a log
// whose totals may leave the 32-bit range part way through.
class StoreSink : public RecordSink {
public:
    StoreSink(clsHash& store, Ledger& ledger, std::uint32_t log, std::uint32_t before)
        : records(before), store_(store), ledger_(ledger), log_(log) {}

    void Take(std::string_view name, std::int32_t quantity) override {
        const std::uint32_t record = records++;  // counted as FileTally counts, refused or not
        Credit(store_, ledger_, store_.AddToValue(name, quantity), name, log_, quantity, 1, record);
    }

    std::uint32_t records;

private:
    clsHash& store_;
    Ledger& ledger_;
    const std::uint32_t log_;
};

// Exact names: one account per full name, first met first.
class ExactNames {
public:
    void Add(std::string_view name, std::uint32_t log, std::int64_t quantity, std::uint32_t records) {
        const auto [it, added] = index_.try_emplace(std::string(name), index_.size());
        ledger.Credit(it->second, name, name, log, quantity, records, 0);
    }

    Ledger ledger;

private:
    std::unordered_map<std::string, std::size_t> index_;
};

std::int64_t LargestTotal(const clsHash& items) {
    std::int64_t largest = 0;
    for (std::int32_t number = 1; number <= items.NumKeys(); ++number) {
        const std::int64_t value = items.GetValueByNumber(number);
        largest = std::max(largest, value < 0 ? -value : value);
    }
    return largest;
}

void AddProblems(TallyOutcome& outcome, const FileTally& tally, const CodePage& codePage) {
    outcome.problemCount += tally.skipped.count + (tally.failure ? 1 : 0);
    for (const RunError& problem : tally.skipped.kept) {
        if (outcome.problems.size() < kMaxProblems) outcome.problems.push_back(problem.InText(codePage));
    }
    if (tally.failure && outcome.problems.size() < kMaxProblems) outcome.problems.push_back(*tally.failure);
}

std::vector<std::uint32_t> LogsOf(const std::vector<LogCredit>& credits) {
    std::vector<std::uint32_t> logs;
    for (const LogCredit& credit : credits) logs.push_back(credit.log);
    return logs;
}

// One row per account: its credits are its parts, and names not listed are
// its other names. Its texts are made here, once a row.
TallyRow RowOf(const Ledger::Account& account, std::string item, std::int64_t total,
               const Ledger::Account* own, const CodePage& codePage) {
    TallyRow row;
    row.total = total;
    row.parts = account.credits;
    row.ownLogs = LogsOf(own != nullptr ? own->credits : account.credits);
    for (const OtherName& name : account.names) {
        if (name.bytes == item) continue;
        row.others.push_back(name);
        row.others.back().name = codePage.ToUtf8(name.bytes);
    }
    row.item = codePage.ToUtf8(item);
    row.bytes = std::move(item);
    return row;
}

// The rows of the store: slot by slot, each with the total that a lookup of
// its listed text finds, and that slot's parts.
std::vector<TallyRow> StoreRows(clsHash& store, const Ledger& ledger, const CodePage& codePage) {
    std::vector<TallyRow> rows;
    const Ledger::Account none;
    for (std::int32_t slot = 1; slot <= store.NumKeys(); ++slot) {
        std::string item = ListedKey(store, slot);
        const std::int32_t lookup = store.GetSlotNumber(item);
        const Ledger::Account* found = lookup > 0 ? ledger.Find(static_cast<std::size_t>(lookup - 1)) : nullptr;
        const Ledger::Account* own = ledger.Find(static_cast<std::size_t>(slot - 1));
        rows.push_back(RowOf(found != nullptr ? *found : none, std::move(item), store.GetValueByNumber(lookup),
                             own != nullptr ? own : &none, codePage));
    }
    return rows;
}

}  // namespace

// Every log in reading order, read ahead on worker threads, added to the
// store one log at a time in that order, so that the store, the rows and the
// problems are the same for any number of jobs.
struct FolderScan::State {
    State(std::string prefix, Query query, clsHash& store, ScanOptions options)
        : prefix(std::move(prefix)), query(ReaderQuery(std::move(query))), codePage(this->query.codePage),
          store(store), options(options) {}

    // The query as the reader compares it: the player as the logs' bytes.
    static Query ReaderQuery(Query query) {
        query.player = PlayerBytes(query);
        return query;
    }

    // Adds log `log`'s tally, read from `from` after `before` records, to
    // the store and the ledger.
    void Add(std::uint32_t log, FileTally tally, std::uint64_t from, std::uint32_t before) {
        if (options.exactNames) {
            for (const FileTally::Entry& entry : tally.entries) {
                exact.Add(tally.Name(entry), log, entry.first + entry.rest, entry.count);
            }
        } else if (largest + tally.absoluteSum > kMaxTotal) {
            // A total may leave the range in this reading: its records one by one.
            FileTally again;
            StoreSink sink(store, ledger, log, before);
            ReadInto(Path(log), query, sink, again, buffer, from);
            tally.skipped = std::move(again.skipped);
            tally.failure = std::move(again.failure);
            tally.end = again.end;
            tally.records = sink.records;
            largest = LargestTotal(store);
        } else {
            for (const FileTally::Entry& entry : tally.entries) {
                const std::string_view name = tally.Name(entry);
                Credit(store, ledger, store.AddToValue(name, entry.first), name, log, entry.first, 1,
                       entry.firstRecord);
                if (entry.count > 1) {
                    // Mostly the same slot; not when the name's new slot made
                    // it occur earlier ("abab" after "x...xab").
                    const std::int32_t slot = store.AddToValue(name, static_cast<std::int32_t>(entry.rest));
                    Credit(store, ledger, slot, name, log, entry.rest, entry.count - 1, entry.secondRecord);
                }
            }
            largest += tally.absoluteSum;
        }
        AddProblems(outcome, tally, codePage);
        lastEnd = tally.end;
        lastRecords = tally.records;
        failed |= tally.failure.has_value();
    }

    void MakeRows() {
        outcome.rows.clear();
        if (!options.exactNames) {
            outcome.rows = StoreRows(store, ledger, codePage);
            return;
        }
        for (std::size_t index = 0; index < exact.ledger.size(); ++index) {
            const Ledger::Account& account = *exact.ledger.Find(index);
            std::int64_t total = 0;
            for (const LogCredit& credit : account.credits) total += credit.quantity;
            outcome.rows.push_back(RowOf(account, account.item, total, &account, codePage));
        }
    }

    // The similar players found so far, as text.
    void ShowSimilarPlayers() {
        outcome.similarPlayers.clear();
        for (const std::string& id : similarPlayers) outcome.similarPlayers.push_back(codePage.ToUtf8(id));
    }

    std::filesystem::path Path(std::size_t log) const { return Utf8ToPath(prefix + outcome.logs[log]); }

    const std::string prefix;
    const Query query;  // the player as the logs' bytes
    const CodePage codePage;
    clsHash& store;
    const ScanOptions options;
    TallyOutcome outcome;
    Ledger ledger;
    ExactNames exact;
    std::vector<std::string> similarPlayers;  // the logs' bytes
    std::int64_t largest = 0;  // no total's size exceeds it
    // The last log read: where its reading stopped, how many records it took.
    LogEnd lastEnd;
    std::uint32_t lastRecords = 0;
    ReadBuffer buffer;  // the calling thread's, for as long as the scan lives
    bool failed = false;  // a log could not be read to its end
};

FolderScan::FolderScan(std::string prefix, Query query, clsHash& store, ScanOptions options)
    : state_(std::make_unique<State>(std::move(prefix), std::move(query), store, options)) {}

FolderScan::~FolderScan() = default;

TallyOutcome& FolderScan::outcome() { return state_->outcome; }

const LogEnd& FolderScan::LastEnd() const { return state_->lastEnd; }

bool FolderScan::CanContinue() const {
    const State& s = *state_;
    return !s.outcome.logs.empty() && !s.outcome.stopped && !s.failed;
}

void FolderScan::Run(std::vector<std::string> logs, ScanObserver* observer) {
    State& s = *state_;
    s.store.Clear();
    s.outcome = {};
    s.outcome.codePage = s.codePage.number();
    s.similarPlayers.clear();
    s.outcome.logs = std::move(logs);
    s.ledger = {};
    s.exact = {};
    s.largest = 0;
    s.failed = false;
    std::vector<std::filesystem::path> paths;
    for (std::size_t log = 0; log < s.outcome.logs.size(); ++log) paths.push_back(s.Path(log));
    const unsigned jobs = s.options.jobs > 0 ? s.options.jobs : std::max(1u, std::thread::hardware_concurrency());
    {
        Readers readers(paths, s.query, jobs, s.buffer);
        for (std::size_t index = 0; index < paths.size(); ++index) {
            if (observer != nullptr && !observer->BeforeLog(s.outcome.logs[index], index, paths.size())) {
                s.outcome.stopped = true;
                break;
            }
            s.Add(static_cast<std::uint32_t>(index), readers.Take(index), 0, 0);
            ++s.outcome.logsRead;
        }
    }
    s.MakeRows();
    if (s.outcome.rows.empty() && !s.outcome.stopped && !paths.empty()) {
        s.similarPlayers = SimilarPlayerIds(paths, s.query.player, s.codePage, kSimilarPlayers);
        s.ShowSimilarPlayers();
    }
}

void FolderScan::Continue(ScanObserver* observer) {
    State& s = *state_;
    const std::size_t last = s.outcome.logs.size() - 1;
    if (observer != nullptr && !observer->BeforeLog(s.outcome.logs[last], last, last + 1)) {
        s.outcome.stopped = true;
        return;
    }
    const std::uint64_t from = s.lastEnd.complete;
    const std::uint32_t before = s.lastRecords;
    FileTally tally(before);
    ReadInto(s.Path(last), s.query, tally, tally, s.buffer, from);
    s.Add(static_cast<std::uint32_t>(last), std::move(tally), from, before);
    s.MakeRows();
    if (!s.outcome.rows.empty()) {
        s.similarPlayers.clear();
    } else if (s.similarPlayers.size() < kSimilarPlayers) {
        // Every log was read to its end for them: only the new lines can add any.
        AddSimilarPlayerIds(s.Path(last), s.query.player, s.codePage, kSimilarPlayers, s.similarPlayers, from);
    }
    s.ShowSimilarPlayers();
}

}  // namespace vantor::detail
