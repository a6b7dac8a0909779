#include "ui/player_finder.h"

#include "vantor/run_error.h"

namespace vantor {

PlayerFinder::PlayerFinder(Found found) : mFound(std::move(found)) {}

PlayerFinder::~PlayerFinder() {
    {
        const std::lock_guard lock(mLock);
        mQuit = true;
        mStop = true;
    }
    mWake.notify_one();
    if (mThread.joinable()) mThread.join();
}

void PlayerFinder::Find(const std::string& folder, unsigned codePage) {
    {
        const std::lock_guard lock(mLock);
        mRequest = Request{folder, codePage};
        mStop = true;
        if (!mThread.joinable()) mThread = std::thread([this] { Run(); });
    }
    mWake.notify_one();
}

void PlayerFinder::Pause() {
    const std::lock_guard lock(mLock);
    mRequest.reset();
    mStop = true;
}

void PlayerFinder::Run() {
    std::unique_lock lock(mLock);
    for (;;) {
        mWake.wait(lock, [this] { return mQuit || mRequest; });
        if (mQuit) return;
        const Request request = std::move(*mRequest);
        mRequest.reset();
        mStop = false;
        lock.unlock();
        std::vector<PlayerCount> players;
        try {
            players = mIndex.Update(request.folder, request.codePage, {}, &mStop);
        } catch (const RunError&) {
            // No folder, no players.
        } catch (const std::invalid_argument&) {
            // A code page this system cannot convert: likewise.
        }
        if (!mStop) mFound(request.folder, request.codePage, std::move(players));
        lock.lock();
    }
}

}  // namespace vantor
