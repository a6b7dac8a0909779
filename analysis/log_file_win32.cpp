#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

#include "analysis/log_file.h"
#include "analysis/log_file_seam.h"
#include "vantor/text.h"
#include "vantor/run_error.h"

namespace vantor {

namespace {

RunError FileError(const std::string& what, const std::filesystem::path& path, const std::string& reason) {
    return RunError(ErrorKind::FileError, what + " '" + PathToUtf8(path) + "': " + reason);
}

std::string LastErrorText() { return std::system_category().message(static_cast<int>(GetLastError())); }

std::string ErrorText(int error) { return std::generic_category().message(error); }

// Whether another handle holds a log open for writing.
enum class Writers { None, Some, Unknown };

// An open that does not share writing fails while another handle has the
// file open for writing. (Deleting is shared: a handle that may only rename
// or delete the log does not write it.)
Writers OtherWriters(const std::filesystem::path& path) {
    const HANDLE probe = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return Writers::None;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? Writers::Some : Writers::Unknown;
}

}  // namespace

bool detail::ReadMapped(const char*, const char*, void (*read)(void*), void* context) {
    read(context);
    return true;
}

LogFile::LogFile(const std::filesystem::path& path) : path_(path) {
    if (const int error = detail::seam::OnOpen(path)) throw FileError("cannot open", path_, ErrorText(error));
    handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw FileError("cannot open", path_, LastErrorText());
    if (GetFileType(handle_) != FILE_TYPE_DISK) {
        CloseHandle(handle_);
        throw FileError("cannot open", path_, "not an ordinary file");
    }
    opened_ = TakeStamp();
}

LogFile::~LogFile() { CloseHandle(handle_); }

std::size_t LogFile::Read(char* buffer, std::size_t size) {
    if (const int error = detail::seam::OnRead(path_, offset_)) throw FileError("cannot read", path_, ErrorText(error));
    DWORD got = 0;
    const auto ask = static_cast<DWORD>(std::min<std::size_t>(size, std::size_t{1} << 30));
    if (!ReadFile(handle_, buffer, ask, &got, nullptr)) throw FileError("cannot read", path_, LastErrorText());
    offset_ += got;
    return got;
}

std::uint64_t LogFile::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) throw FileError("cannot read", path_, LastErrorText());
    return static_cast<std::uint64_t>(size.QuadPart);
}

void LogFile::Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) throw FileError("cannot read", path_, LastErrorText());
    offset_ = offset;
}

bool LogFile::CanMap() { return false; }

std::size_t LogFile::PageSize() { return 4096; }

LogFile::Mapping LogFile::Map(std::uint64_t, std::size_t) const { return Mapping(nullptr, 0); }

LogFile::Mapping::~Mapping() = default;

detail::FileStamp LogFile::TakeStamp() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_, &info)) return {};
    const FILETIME& time = info.ftLastWriteTime;
    return {std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
            static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime), true};
}

bool LogFile::BeingWritten() const {
    const int injected = detail::seam::OnWritersCheck(path_);
    const Writers writers = injected == 0 ? OtherWriters(path_) : injected == EAGAIN ? Writers::Some : Writers::Unknown;
    if (writers == Writers::Some) return true;
    // Looked at after the writers: a program that finished writing and
    // closed the log since the read got to its end has changed it.
    const detail::FileStamp now = TakeStamp();
    return !now.valid || now != opened_;
}

}  // namespace vantor
