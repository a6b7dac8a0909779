#pragma once

#include "text/internal.h"

// The folder scan behind TallyFolder, kept between analyses so that a
// follower can go on adding what the game appends to the last log.

#include <memory>
#include <string>
#include <vector>

#include "analysis/log_reader.h"
#include "vantor/tally.h"

namespace vantor {
class clsHash;
}

namespace vantor::detail {

class FolderScan {
public:
    // `prefix` is the folder with its trailing separator (empty: the current
    // folder); `store` is the scan's for as long as it lives.
    FolderScan(std::string prefix, Query query, clsHash& store, ScanOptions options);
    ~FolderScan();
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    // Empties the store and adds the logs named `logs`, in that order, as
    // TallyFolder does.
    void Run(std::vector<std::string> logs, ScanObserver* observer);

    // Whether every log was read to its end (none failed, nothing stopped),
    // so that Continue may follow unless LastEnd().tookUnended.
    bool CanContinue() const;
    // Where the last log's reading stopped.
    const LogEnd& LastEnd() const;
    // Adds the last log's lines from LastEnd on, so that the outcome is the
    // one Run would now give; the last log is announced to `observer`, and a
    // stop leaves the store as it was and the outcome marked stopped.
    void Continue(ScanObserver* observer);

    TallyOutcome& outcome();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vantor::detail
