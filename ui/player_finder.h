#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "vantor/players.h"

namespace vantor {

// Finds the player IDs of a folder's logs on a thread of its own, one pass
// at a time, so that the window never waits for it. The index is kept
// between passes: a pass after the first counts only the logs the game wrote.
class PlayerFinder {
public:
    // `found` gets each finished pass's folder (as asked), code page and
    // players, most records first (none when the folder cannot be listed),
    // on the finder's thread.
    using Found = std::function<void(const std::string& folder, unsigned codePage, std::vector<PlayerCount> players)>;
    explicit PlayerFinder(Found found);
    // Stops the pass under way after its current logs.
    ~PlayerFinder();
    PlayerFinder(const PlayerFinder&) = delete;
    PlayerFinder& operator=(const PlayerFinder&) = delete;

    // A pass over `folder` (UTF-8) in `codePage`, in place of any not yet
    // finished: that one stops after its current logs and reports nothing.
    void Find(const std::string& folder, unsigned codePage);
    // Stops the pass under way after its current logs, reporting nothing,
    // and drops any asked for; the logs it counted stay counted.
    void Pause();

private:
    struct Request {
        std::string folder;
        unsigned codePage;
    };
    void Run();

    Found mFound;
    PlayerIndex mIndex;  // the finder's thread's alone
    std::mutex mLock;
    std::condition_variable mWake;
    std::optional<Request> mRequest;
    bool mQuit = false;
    std::atomic<bool> mStop{false};
    std::thread mThread;  // started by the first Find
};

}  // namespace vantor
