#pragma once

#include "text/internal.h"

// What a follower asks of the system: the clock of file times, files'
// identities, and a wait that the system's change notifications or a Wake end.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantor::detail {

// The units of file times: 1 ns on Linux, 100 ns on Windows.
extern const std::int64_t kFileTimesPerSecond;
// The system's clock now, as a file time.
std::int64_t FileTimeNow();

// The file a path names now, as the system tells files apart (device and
// file number); nothing when it cannot be looked at.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

// Test seam: without notifications every watch reports nothing and says
// so, and the logs are looked at instead.
void UseNotifications(bool use);

// Reports of changes to a folder's entries, and a wake-up for a waiting
// thread. Throws std::system_error when the wake-up cannot be made.
class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder`, again if it was replaced. True when every change
    // to its logs will be reported; false when some may not be (no
    // notifications there, a network drive), so that the logs must also be
    // looked at now and then.
    bool Watch(const std::filesystem::path& folder);
    // Forgets the changes reported so far.
    void Drain();

    enum class Event { Changed, Woken, TimedOut };
    // Until a change is reported, Wake is called (then or before), or
    // `timeout` passes.
    Event Wait(std::chrono::milliseconds timeout);
    // Async-signal-safe on POSIX; any thread on Windows.
    void Wake();

private:
#ifdef _WIN32
    void* wake_;
    void* changes_;
#else
    int wake_;
    int changes_;
    int watched_ = -1;
#endif
};

}  // namespace vantor::detail
