#pragma once

// Following a folder of logs while the game writes them.

#include <chrono>
#include <memory>
#include <string>

#include "vantor/run_error.h"

#include "vantor/tally.h"

namespace vantor {

// What a LogFollower following on its own thread tells, on that thread.
// BeforeLog is asked before each log as in TallyFolder: false stops the
// analysis and the following.
class FollowObserver : public ScanObserver {
public:
    // The first tally, then the tally after each change of the logs.
    // `changed`: whether its logs, rows or problems differ from the last
    // one's (true for the first). Returns whether to go on following.
    virtual bool Updated(const TallyOutcome& outcome, bool changed) = 0;
    // Following has ended on a failure: the folder is gone or cannot be
    // listed.
    virtual void Failed(const RunError& error) = 0;
};

// Keeps the tally of a folder up to date as the game writes its logs, always
// equal to a fresh TallyFolder of the folder as it is at each Update.
class LogFollower {
public:
    // Throws RunError (InvalidArgument) when the query's player cannot be
    // written in its code page, as TallyFolder does.
    LogFollower(std::string folder, Query query, ScanOptions options = {});
    // Ends following (RequestStop, Join) first.
    ~LogFollower();
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    // Brings the tally up to date and returns it. The first call, and any
    // change but the last log growing (a new log, an earlier one changed,
    // shortened or removed), is a full analysis; when only the last log
    // grew, just its new complete lines are read, into the same store.
    // Throws RunError as TallyFolder does (the folder is gone). Stopped by
    // the observer, a full analysis gives what TallyFolder gives, and an
    // incremental one the tally as it was, both marked stopped; the next
    // Update is then a full analysis.
    const TallyOutcome& Update(ScanObserver* observer = nullptr);

    // Follows on a thread of its own: an Update now and after each change
    // (WaitForChange), each outcome pushed to `observer`, until
    // RequestStop, the observer says no, or the folder fails. Called once;
    // the other calls of this class are then the thread's, but for
    // RequestStop and Join.
    void Start(FollowObserver& observer);
    // Asks the following thread to end, after the log being read; returns
    // at once. Safe in a signal handler.
    void RequestStop();
    // Waits until the following thread has ended, asked to or by itself.
    void Join();

    // Whether the last Update read only the new lines of the last log.
    bool LastUpdateWasIncremental() const;

    // Waits until the folder may have changed since the last Update, for
    // at most `timeout`, or until Wake is called; true when it may have
    // changed. Costs next to nothing while nothing changes: file-system
    // notifications where the system has them, else a look at the logs'
    // sizes and times once a second.
    bool WaitForChange(std::chrono::milliseconds timeout);

    // Ends a WaitForChange of another thread now, or the next one should
    // none be waiting. Safe in a signal handler.
    void Wake();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vantor
