#include <windows.h>

#include <algorithm>
#include <system_error>

#include "analysis/folder_watch.h"
#include "analysis/log_folder.h"
#include "vantor/text.h"

namespace vantor::detail {

namespace {

bool notifications = true;

std::int64_t TimeOf(const FILETIME& time) {
    return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}

std::wstring Folder(const std::filesystem::path& folder) { return folder.empty() ? L"." : folder.wstring(); }

std::system_error LastError(const char* what) {
    return std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace

void UseNotifications(bool use) { notifications = use; }

const std::int64_t kFileTimesPerSecond = 10000000;

std::int64_t FileTimeNow() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return TimeOf(now);
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
    const HANDLE handle = CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

FolderWatch::FolderWatch() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), changes_(INVALID_HANDLE_VALUE) {
    if (wake_ == nullptr) throw LastError("cannot make an event");
}

FolderWatch::~FolderWatch() {
    CloseHandle(wake_);
    if (changes_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(changes_);
}

// Notifications speed things up where they come, but may not come at all
// (network drives, Wine), nor for a log that a program keeps open and
// writes to: the logs are always looked at too.
bool FolderWatch::Watch(const std::filesystem::path& folder) {
    if (changes_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(changes_);
    changes_ = INVALID_HANDLE_VALUE;
    if (!notifications) return false;
    changes_ = FindFirstChangeNotificationW(
        Folder(folder).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    return false;
}

void FolderWatch::Drain() {
    while (changes_ != INVALID_HANDLE_VALUE && WaitForSingleObject(changes_, 0) == WAIT_OBJECT_0) {
        if (!FindNextChangeNotification(changes_)) break;
    }
}

FolderWatch::Event FolderWatch::Wait(std::chrono::milliseconds timeout) {
    const HANDLE waits[] = {wake_, changes_};
    const DWORD count = changes_ != INVALID_HANDLE_VALUE ? 2 : 1;
    const auto milliseconds = static_cast<DWORD>(std::clamp<std::int64_t>(timeout.count(), 0, INFINITE - 1));
    const DWORD ready = WaitForMultipleObjects(count, waits, FALSE, milliseconds);
    if (ready == WAIT_OBJECT_0) return Event::Woken;
    if (ready == WAIT_OBJECT_0 + 1) {
        FindNextChangeNotification(changes_);
        return Event::Changed;
    }
    if (ready == WAIT_FAILED) throw LastError("cannot wait");
    return Event::TimedOut;
}

void FolderWatch::Wake() { SetEvent(wake_); }

}  // namespace vantor::detail
