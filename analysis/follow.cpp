#include "vantor/follow.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/folder_scan.h"
#include "analysis/folder_watch.h"
#include "analysis/log_file.h"
#include "analysis/log_folder.h"
#include "vantor/text.h"
#include "store/cls_hash.h"

namespace vantor {

namespace {

using detail::FileIdentity;

// A log modified this shortly before a look may be modified again within
// the same tick of its file system's clock, its size kept, and then look
// the same: such a look proves nothing about the next one. FAT's tick is 2 s;
// ext4's is a timer tick and NTFS's about 16 ms.
constexpr std::chrono::seconds kUntrustedFor{2};
// How much of the last log before its old end must still be the same for
// its growth to be read alone.
constexpr std::uint64_t kTailBytes = 4096;
// How often the logs are looked at where changes may go unreported.
constexpr std::chrono::seconds kLookEvery{1};

// The bytes of `log` before `end`, up to kTailBytes of them; nothing when
// they cannot be read.
std::optional<std::string> TailBefore(const std::filesystem::path& log, std::uint64_t end) {
    try {
        LogFile file(log);
        const std::uint64_t from = end > kTailBytes ? end - kTailBytes : 0;
        file.Seek(from);
        std::string tail(static_cast<std::size_t>(end - from), '\0');
        for (std::size_t got = 0, n = 0; got < tail.size(); got += n) {
            if ((n = file.Read(tail.data() + got, tail.size() - got)) == 0) return std::nullopt;
        }
        return tail;
    } catch (const RunError&) {
        return std::nullopt;
    }
}

// Whether two tallies differ in what a front end shows of them.
bool SameTally(const TallyOutcome& a, const TallyOutcome& b) {
    const auto sameProblems = [](const RunError& x, const RunError& y) {
        return x.kind() == y.kind() && x.detail() == y.detail();
    };
    return a.logs == b.logs && a.logsRead == b.logsRead && a.rows == b.rows && a.problemCount == b.problemCount &&
           std::equal(a.problems.begin(), a.problems.end(), b.problems.begin(), b.problems.end(), sameProblems) &&
           a.similarPlayers == b.similarPlayers;
}

// The follower's own observer: asks the front end's, and stops when asked to.
struct Stoppable : ScanObserver {
    Stoppable(FollowObserver& observer, const std::atomic<bool>& stop) : observer(observer), stop(stop) {}
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override {
        return !stop && observer.BeforeLog(name, index, count);
    }
    FollowObserver& observer;
    const std::atomic<bool>& stop;
};

bool BeingWritten(const std::filesystem::path& log) {
    try {
        return LogFile(log).BeingWritten();
    } catch (const RunError&) {
        return false;
    }
}

}  // namespace

struct LogFollower::State {
    State(std::string folderText, Query query, ScanOptions options)
        : folder(std::move(folderText)), prefix(WithTrailingSeparator(folder)), path(Utf8ToPath(prefix)),
          scan(prefix, std::move(query), store, options) {}

    enum class Change { None, LastLog, Other };

    // What changed since the last Update's look, going by `now`, a look
    // at the logs, whose last in reading order is `last`.
    Change Compare(const std::vector<LogEntry>& now, const std::string& last) const {
        if (now.size() != looks.size()) return Change::Other;
        Change change = Change::Other;  // until the last log is met
        for (std::size_t i = 0; i < now.size(); ++i) {
            const LogEntry& before = looks[i];
            const LogEntry& after = now[i];
            if (before.name != after.name) return Change::Other;
            const bool same = after == before && Trusted(before);
            if (before.name == last) {
                change = same ? Change::None : Change::LastLog;  // grown, or else its old end is gone
            } else if (!same) {
                return Change::Other;
            }
        }
        return change;
    }

    bool Trusted(const LogEntry& look) const {
        return look.time < lookedAt - kUntrustedFor.count() * detail::kFileTimesPerSecond;
    }

    // Whether the logs may have changed since the last Update, going by a
    // look at them now.
    bool LooksChanged() const {
        if (!updated) return true;
        try {
            if (ListLogs(path) != looks) return true;
        } catch (const RunError&) {
            return true;  // the next Update tells what happened
        }
        // An untrusted look is made again once it can be trusted.
        const bool untrusted =
            std::any_of(looks.begin(), looks.end(), [&](const LogEntry& look) { return !Trusted(look); });
        if (untrusted && detail::FileTimeNow() - lookedAt >= kUntrustedFor.count() * detail::kFileTimesPerSecond) {
            return true;
        }
        // The game has finished a log whose last line has no line end.
        return writerSeen && !BeingWritten(lastPath);
    }

    const std::string folder;
    const std::string prefix;
    const std::filesystem::path path;
    clsHash store;
    detail::FolderScan scan;
    detail::FolderWatch watch;
    bool reported = false;  // every change to the logs is reported by the watch
    bool updated = false;   // the last Update went through
    bool incremental = false;
    // The last Update's look at the logs, and at the last log.
    std::vector<LogEntry> looks;
    std::int64_t lookedAt = 0;
    std::filesystem::path lastPath;
    std::uint64_t lastSize = 0;
    std::optional<FileIdentity> lastIdentity;
    std::optional<std::string> lastTail;
    bool writerSeen = false;  // a program was writing the last log, whose unended line waits

    // Following on a thread of its own.
    std::thread thread;
    std::atomic<bool> stop{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "set in a signal handler");
};

LogFollower::LogFollower(std::string folder, Query query, ScanOptions options)
    : state_(std::make_unique<State>(std::move(folder), std::move(query), options)) {}

LogFollower::~LogFollower() {
    RequestStop();
    Join();
}

const TallyOutcome& LogFollower::Update(ScanObserver* observer) {
    State& s = *state_;
    const bool continuing = s.updated && s.scan.CanContinue();
    s.updated = false;
    // Watched first: on Windows a watch keeps a folder that was deleted
    // until it ends, and watching again ends it.
    s.reported = s.watch.Watch(s.path);
    s.watch.Drain();  // what is reported from here on is after the look
    RequireLogFolder(s.folder);

    const std::int64_t lookedAt = detail::FileTimeNow();
    std::vector<LogEntry> looks = ListLogs(s.path);
    std::vector<std::string> logs = NamesOf(looks);
    std::filesystem::path lastPath;
    std::uint64_t lastSize = 0;
    std::optional<FileIdentity> lastIdentity;
    std::optional<std::string> lastTail;
    if (!looks.empty()) {
        lastPath = Utf8ToPath(s.prefix + looks.back().name);
        lastSize = looks.back().size;
        lastIdentity = detail::IdentityOf(lastPath);
        lastTail = TailBefore(lastPath, lastSize);
    }

    State::Change change = State::Change::Other;
    if (continuing && !logs.empty() && logs == s.scan.outcome().logs) change = s.Compare(looks, logs.back());
    // The last log may have been replaced, or rewritten rather than
    // appended to. Its identity and the bytes just before its old end tell
    // most such changes; one that keeps both (the same file rewritten in
    // place, alike near the old end) goes unnoticed.
    if (change != State::Change::Other && (!lastIdentity || lastIdentity != s.lastIdentity)) {
        change = State::Change::Other;
    }
    if (change == State::Change::LastLog && (!s.lastTail || TailBefore(lastPath, s.lastSize) != s.lastTail)) {
        change = State::Change::Other;
    }
    // A last line without a line end that was taken as finished may not
    // have been; one left while the log was being written may now be taken.
    const bool tookUnended = s.scan.LastEnd().tookUnended;
    if (change == State::Change::LastLog && tookUnended) change = State::Change::Other;
    if (change == State::Change::None && !tookUnended && s.scan.LastEnd().complete < lastSize) {
        change = State::Change::LastLog;
    }

    if (change == State::Change::Other) {
        s.scan.Run(std::move(logs), observer);
    } else if (change == State::Change::LastLog) {
        s.scan.Continue(observer);
    }
    s.incremental = change != State::Change::Other;
    s.looks = std::move(looks);
    s.lookedAt = lookedAt;
    s.lastPath = std::move(lastPath);
    s.lastSize = lastSize;
    s.lastIdentity = lastIdentity;
    s.lastTail = std::move(lastTail);
    s.writerSeen = s.scan.CanContinue() && !s.scan.LastEnd().tookUnended && s.scan.LastEnd().complete < lastSize &&
                   BeingWritten(s.lastPath);
    s.updated = true;
    return s.scan.outcome();
}

bool LogFollower::LastUpdateWasIncremental() const { return state_->incremental; }

bool LogFollower::WaitForChange(std::chrono::milliseconds timeout) {
    State& s = *state_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const bool look = !s.reported || !s.updated;
        if (look && s.LooksChanged()) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        switch (s.watch.Wait(look ? std::min<std::chrono::milliseconds>(left, kLookEvery) : left)) {
            case detail::FolderWatch::Event::Woken: return false;
            case detail::FolderWatch::Event::Changed: return true;
            case detail::FolderWatch::Event::TimedOut: break;
        }
    }
}

void LogFollower::Wake() { state_->watch.Wake(); }

void LogFollower::Start(FollowObserver& observer) {
    state_->thread = std::thread([this, &observer] {
        State& s = *state_;
        Stoppable stoppable(observer, s.stop);
        std::optional<TallyOutcome> last;  // the last one pushed
        for (bool changed = true; !s.stop; changed = WaitForChange(std::chrono::hours(1))) {
            if (!changed) continue;
            try {
                const TallyOutcome& outcome = Update(&stoppable);
                if (outcome.stopped) return;
                const bool differs = !last || !SameTally(*last, outcome);
                if (!observer.Updated(outcome, differs)) return;
                if (differs) last = outcome;
            } catch (const RunError& error) {
                if (!s.stop) observer.Failed(error);
                return;
            }
        }
    });
}

void LogFollower::RequestStop() {
    state_->stop = true;
    Wake();
}

void LogFollower::Join() {
    if (state_->thread.joinable()) state_->thread.join();
}

}  // namespace vantor
