#include "cli/follow.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "vantor/follow.h"
#include "cli/output.h"
#include "vantor/run_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace vantor {

namespace {

std::atomic<LogFollower*> following{nullptr};
std::atomic<bool> stopping{false};
static_assert(std::atomic<LogFollower*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "used in a signal handler");

void RequestStop() {
    stopping = true;
    if (LogFollower* follower = following.load()) follower->RequestStop();
}

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    RequestStop();
    return TRUE;
}
#else
void OnStopSignal(int) { RequestStop(); }
#endif

// Ctrl+C and the like stop `follower`'s loop while this lives.
class StopRequests {
public:
    explicit StopRequests(LogFollower& follower) {
        stopping = false;
        following = &follower;
#ifdef _WIN32
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
#endif
    }

    ~StopRequests() {
#ifdef _WIN32
        SetConsoleCtrlHandler(OnConsoleControl, FALSE);
#else
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
#endif
        following = nullptr;
    }

    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

private:
#ifndef _WIN32
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
#endif
};

// Prints each tally the follower pushes that differs from the last one
// printed, each item with its gain since the first, and each note once.
class Printer : public FollowObserver {
public:
    Printer(const TallyOptions& options, std::ostream& out, std::ostream& err) : options_(options), out_(out), err_(err) {
        options_.follow = true;  // JSON on one line
    }

    bool BeforeLog(std::string_view, std::size_t, std::size_t) override { return true; }

    bool Updated(const TallyOutcome& outcome, bool changed) override {
        if (!changed) return true;
        if (!session_) session_ = ShownTotals(outcome, options_);
        std::ostringstream text, notes;
        const int written = WriteOutcome(outcome, options_, text, notes, &*session_);
        std::istringstream lines(notes.str());
        for (std::string line; std::getline(lines, line);) {
            if (said_.insert(line).second) err_ << line << '\n';
        }
        err_.flush();
        if (written == 2) {
            status_ = 2;
            return false;
        }
        // A change may leave what is printed as it was: a new log with
        // nothing of the player's, or a change outside the range printed.
        if (text.str() != shown_) {
            if (shown_ && options_.format != OutputFormat::Json) {
                out_ << (options_.format == OutputFormat::Csv ? "\r\n" : "\n");
            }
            out_ << text.str();
            out_.flush();
            shown_ = text.str();
        }
        return true;
    }

    void Failed(const RunError& error) override {
        err_ << "vantor-tally: " << EscapeControlBytes(error.detail()) << '\n';
        status_ = 1;
    }

    int status() const { return status_; }

private:
    TallyOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    std::set<std::string> said_;  // lines already on `err`
    std::optional<std::string> shown_;
    std::optional<SessionStart> session_;  // the totals of the first tally
    int status_ = 0;  // 2: a usage error; 1: the folder failed
};

}  // namespace

int FollowTally(const TallyOptions& options, std::ostream& out, std::ostream& err) {
    try {
        LogFollower follower(options.logDir, {options.player, options.tag, {}, options.codePage},
                             {options.jobs, options.exactNames});
        const StopRequests stopRequests(follower);
        Printer printer(options, out, err);
        if (!stopping) follower.Start(printer);
        follower.Join();
        return printer.status();
    } catch (const RunError& error) {
        err << "vantor-tally: " << EscapeControlBytes(error.detail()) << '\n';
        return 1;
    }
}

}  // namespace vantor
