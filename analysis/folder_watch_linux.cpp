#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <system_error>

#include "analysis/folder_watch.h"
#include "analysis/log_folder.h"

namespace vantor::detail {

namespace {

// A change made on another machine reaches no inotify watch here: network
// file systems, and FUSE and 9P, whose servers may be anywhere (a Windows
// drive under WSL is 9P).
bool IsRemote(const std::filesystem::path& folder) {
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0) return true;
    constexpr unsigned long kRemote[] = {
        0x6969,      // NFS
        0x517B,      // SMB
        0xFF534D42,  // CIFS
        0xFE534D42,  // SMB2
        0x65735546,  // FUSE
        0x01021997,  // 9P
        0x00C36400,  // Ceph
        0x5346414F,  // AFS
        0x786F4256,  // VirtualBox shared folders
    };
    const auto type = static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFul;
    return std::find(std::begin(kRemote), std::end(kRemote), type) != std::end(kRemote);
}

bool notifications = true;

constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                  IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

void UseNotifications(bool use) { notifications = use; }

const std::int64_t kFileTimesPerSecond = 1000000000;

std::int64_t FileTimeNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * kFileTimesPerSecond + now.tv_nsec;
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

FolderWatch::FolderWatch()
    : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), changes_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    if (wake_ < 0) throw std::system_error(errno, std::generic_category(), "cannot make an event");
}

FolderWatch::~FolderWatch() {
    ::close(wake_);
    if (changes_ >= 0) ::close(changes_);
}

bool FolderWatch::Watch(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder.empty() ? "." : folder;
    if (changes_ < 0 || !notifications || IsRemote(path)) return false;
    // The same folder keeps its watch; a folder put in its place gets one.
    const int watched = ::inotify_add_watch(changes_, path.c_str(), kEvents);
    if (watched >= 0 && watched_ >= 0 && watched != watched_) ::inotify_rm_watch(changes_, watched_);
    watched_ = watched;
    return watched >= 0;
}

void FolderWatch::Drain() {
    alignas(inotify_event) char events[4096];
    while (changes_ >= 0 && ::read(changes_, events, sizeof events) > 0) {
    }
}

FolderWatch::Event FolderWatch::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        pollfd waits[] = {{wake_, POLLIN, 0}, {changes_, POLLIN, 0}};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int ready =
            ::poll(waits, changes_ >= 0 ? 2 : 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "cannot wait");
        std::uint64_t wakes = 0;
        if (::read(wake_, &wakes, sizeof wakes) > 0) return Event::Woken;
        if (ready > 0 && (waits[1].revents & POLLIN) != 0) {
            // Only the logs count: the game may write other files there.
            alignas(inotify_event) char events[4096];
            for (ssize_t got; (got = ::read(changes_, events, sizeof events)) > 0;) {
                bool changed = false;
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                    changed |= (event->mask & IN_Q_OVERFLOW) != 0 ||
                               (event->wd == watched_ && (event->len == 0 || IsLogName(event->name)));
                }
                if (changed) return Event::Changed;
            }
        }
        if (ready == 0 && std::chrono::steady_clock::now() >= deadline) return Event::TimedOut;
    }
}

void FolderWatch::Wake() {
    const int saved = errno;  // a signal handler must leave it as it was
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    errno = saved;
}

}  // namespace vantor::detail
