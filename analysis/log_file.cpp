#include "analysis/log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "analysis/path_text.h"
#include "store/run_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantor {

namespace {

RunError FileError(const std::string& what, const std::filesystem::path& path,
                   const std::string& reason) {
    return RunError(ErrorKind::FileError, what + " '" + PathToUtf8(path) + "': " + reason);
}

#ifdef _WIN32
std::string LastErrorText() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}
#endif

detail::FileFaults faults;

std::string ErrorText(int error) { return std::generic_category().message(error); }

}  // namespace

void detail::SetFileFaults(FileFaults newFaults) { faults = std::move(newFaults); }

LogFile::LogFile(const std::filesystem::path& path) : path_(path) {
    if (faults.open) {
        if (const int error = faults.open(path)) throw FileError("cannot open", path_, ErrorText(error));
    }
#ifdef _WIN32
    handle_ = CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw FileError("cannot open", path_, LastErrorText());
    if (GetFileType(handle_) != FILE_TYPE_DISK) {
        CloseHandle(handle_);
        throw FileError("cannot open", path_, "not an ordinary file");
    }
#else
    // O_NONBLOCK: should the name have become a FIFO, opening it must not hang.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw FileError("cannot open", path_, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw FileError("cannot open", path_, "not an ordinary file");
    }
#endif
}

LogFile::~LogFile() {
#ifdef _WIN32
    CloseHandle(handle_);
#else
    ::close(fd_);
#endif
}

std::size_t LogFile::Read(char* buffer, std::size_t size) {
    if (faults.read) {
        if (const int error = faults.read(path_, offset_)) throw FileError("cannot read", path_, ErrorText(error));
    }
    const std::size_t got = ReadSome(buffer, size);
    offset_ += got;
    return got;
}

std::size_t LogFile::ReadSome(char* buffer, std::size_t size) {
#ifdef _WIN32
    DWORD got = 0;
    const auto ask = static_cast<DWORD>(std::min<std::size_t>(size, std::size_t{1} << 30));
    if (!ReadFile(handle_, buffer, ask, &got, nullptr)) {
        throw FileError("cannot read", path_, LastErrorText());
    }
    return got;
#else
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw FileError("cannot read", path_, std::strerror(errno));
    }
#endif
}

}  // namespace vantor
