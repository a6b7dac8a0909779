#include "cli/tally.h"

#include <ostream>

#include "vantor/ledger.h"
#include "vantor/tally.h"
#include "cli/follow.h"
#include "cli/progress.h"
#include "vantor/run_error.h"

namespace vantor {

int RunTally(int argc, const char* const* argv, const Streams& streams) {
    const ParsedArguments parsed = ParseArguments(argc, argv);
    if (const auto* stop = std::get_if<std::pair<int, std::string>>(&parsed.outcome)) {
        (stop->first == 0 ? streams.out : streams.err) << stop->second;
        return stop->first;
    }
    TallyOptions options = std::get<TallyOptions>(parsed.outcome);
    if (streams.outIsConsole) options.bytes = false;
    if (options.follow) return FollowTally(options, streams.out, streams.err);

    LogLines lines(streams.err);
    StatusLine status(streams.err, streams.progressDelay);
    ScanObserver* observer = nullptr;
    if (options.progress) {
        observer = &lines;
    } else if (streams.errIsTerminal) {
        observer = &status;
    }
    try {
        if (options.players) {
            PlayerIndex index;
            WritePlayers(index.Update(options.logDir, options.codePage, {options.jobs}), options, streams.out);
            return 0;
        }
        if (options.allActions) {
            const LedgerOutcome ledger = LedgerFolder(options.logDir, options.player, options.codePage, observer, {options.jobs});
            status.Clear();
            return WriteLedger(ledger, options, streams.out, streams.err);
        }
        const TallyOutcome outcome = TallyFolder(options.logDir, {options.player, options.tag, {}, options.codePage},
                                                 observer, {options.jobs, options.exactNames});
        status.Clear();
        return WriteOutcome(outcome, options, streams.out, streams.err);
    } catch (const RunError& missing) {
        status.Clear();
        streams.err << "vantor-tally: " << EscapeControlBytes(missing.detail()) << '\n';
        return 1;
    }
}

}  // namespace vantor
