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
    if (LogFollower* follower = following.load()) follower->Wake();
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

// Ends an analysis that a stop request interrupts.
struct StopCheck : ScanObserver {
    bool BeforeLog(std::string_view, std::size_t, std::size_t) override { return !stopping; }
};

}  // namespace

int FollowTally(const TallyOptions& options, std::ostream& out, std::ostream& err) {
    LogFollower follower(options.logDir, {options.player, options.tag, {}, options.codePage},
                         {options.jobs, options.exactNames});
    const StopRequests stopRequests(follower);
    StopCheck stopCheck;
    std::set<std::string> said;  // lines already on `err`
    std::optional<std::string> shown;
    std::optional<SessionStart> session;  // the totals of the first tally
    TallyOptions followed = options;
    followed.follow = true;  // JSON on one line
    while (!stopping) {
        try {
            const TallyOutcome& outcome = follower.Update(&stopCheck);
            if (outcome.stopped) break;
            if (!session) session = ShownTotals(outcome, followed);
            std::ostringstream text, notes;
            const int status = WriteOutcome(outcome, followed, text, notes, &*session);
            std::istringstream lines(notes.str());
            for (std::string line; std::getline(lines, line);) {
                if (said.insert(line).second) err << line << '\n';
            }
            err.flush();
            if (status == 2) return status;
            if (text.str() != shown) {
                if (shown && options.format != OutputFormat::Json) {
                    out << (options.format == OutputFormat::Csv ? "\r\n" : "\n");
                }
                out << text.str();
                out.flush();
                shown = text.str();
            }
        } catch (const RunError& error) {
            err << "vantor-tally: " << EscapeControlBytes(error.detail()) << '\n';
            return 1;
        }
        while (!stopping && !follower.WaitForChange(std::chrono::hours(1))) {
        }
    }
    return 0;
}

}  // namespace vantor
