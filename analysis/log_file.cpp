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
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <csignal>
#include <mutex>
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

#ifndef _WIN32
// Reading a mapped page that is no longer backed by the file raises SIGBUS.
// While a thread reads mapped bytes through ReadMapped, a SIGBUS at an
// address among them jumps back there; any other SIGBUS goes to the handler
// that was installed before.
struct MappedRead {
    const char* begin;
    const char* end;
    sigjmp_buf jump;
};
thread_local MappedRead* currentRead = nullptr;
struct sigaction previousBusAction {};

void OnBusError(int signal, siginfo_t* info, void* context) {
    MappedRead* const read = currentRead;
    const char* address = static_cast<const char*>(info->si_addr);
    if (read != nullptr && address >= read->begin && address < read->end) siglongjmp(read->jump, 1);
    if ((previousBusAction.sa_flags & SA_SIGINFO) != 0) {
        previousBusAction.sa_sigaction(signal, info, context);
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
    } else {
        // Returning retries the access, which now ends the program as usual.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(SIGBUS, &fallback, nullptr);
    }
}

void InstallBusErrorHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousBusAction);
    });
}
#endif

#ifndef _WIN32
detail::FileStamp StampOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec, true};
}
#endif

// Whether another handle holds a log open for writing.
enum class Writers { None, Some, Unknown };

#ifdef _WIN32
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
#else
// A read lease is refused while any handle, this process's own too, has the
// file open for writing; it is released at once. A program that opens the
// log for writing in that moment makes the kernel signal the lease holder,
// with SIGIO unless told otherwise, and SIGIO ends a program that does not
// handle it: SIGURG, ignored unless handled, is asked for instead. No lease
// can be taken on some file systems, or on another user's file without
// CAP_LEASE: then nothing is known.
Writers OtherWriters(int fd) {
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0) return Writers::Unknown;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0) {
        return errno == EAGAIN || errno == EBUSY ? Writers::Some : Writers::Unknown;
    }
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return Writers::None;
}
#endif

}  // namespace

bool detail::ReadMapped(const char* begin, const char* end, void (*read)(void*), void* context) {
#ifdef _WIN32
    (void)begin;
    (void)end;
    read(context);
    return true;
#else
    InstallBusErrorHandler();
    MappedRead mapped{begin, end, {}};
    MappedRead* const outer = currentRead;
    if (sigsetjmp(mapped.jump, 1) != 0) {
        currentRead = outer;
        return false;
    }
    currentRead = &mapped;
    try {
        read(context);
    } catch (...) {
        currentRead = outer;
        throw;
    }
    currentRead = outer;
    return true;
#endif
}

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
    opened_ = TakeStamp();
#else
    // O_NONBLOCK: should the name have become a FIFO, opening it must not hang.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw FileError("cannot open", path_, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw FileError("cannot open", path_, "not an ordinary file");
    }
    opened_ = StampOf(info);
#endif
}

LogFile::~LogFile() {
#ifdef _WIN32
    CloseHandle(handle_);
#else
    ::close(fd_);
#endif
}

void LogFile::ThrowInjectedReadFault(std::uint64_t offset) const {
    if (faults.read) {
        if (const int error = faults.read(path_, offset)) throw FileError("cannot read", path_, ErrorText(error));
    }
}

std::size_t LogFile::Read(char* buffer, std::size_t size) {
    ThrowInjectedReadFault(offset_);
    const std::size_t got = ReadSome(buffer, size);
    offset_ += got;
    return got;
}

bool LogFile::CanMap() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

std::size_t LogFile::PageSize() {
#ifdef _WIN32
    return 4096;
#else
    static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
#endif
}

std::uint64_t LogFile::Size() const {
#ifdef _WIN32
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) throw FileError("cannot read", path_, LastErrorText());
    return static_cast<std::uint64_t>(size.QuadPart);
#else
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw FileError("cannot read", path_, std::strerror(errno));
    return static_cast<std::uint64_t>(info.st_size);
#endif
}

LogFile::Mapping LogFile::Map(std::uint64_t offset, std::size_t size) const {
    ThrowInjectedReadFault(offset);
    if (faults.map && faults.map(path_, offset) != 0) return Mapping(nullptr, 0);
#ifdef _WIN32
    (void)offset;
    (void)size;
    return Mapping(nullptr, 0);
#else
    // MAP_POPULATE: the pages come in one call rather than a fault each.
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, static_cast<off_t>(offset));
    if (data == MAP_FAILED) return Mapping(nullptr, 0);
    return Mapping(static_cast<const char*>(data), size);
#endif
}

LogFile::Mapping::~Mapping() {
#ifndef _WIN32
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
#endif
}

void LogFile::Seek(std::uint64_t offset) {
#ifdef _WIN32
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) throw FileError("cannot read", path_, LastErrorText());
#else
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw FileError("cannot read", path_, std::strerror(errno));
    }
#endif
    offset_ = offset;
}

detail::FileStamp LogFile::TakeStamp() const {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_, &info)) return {};
    const FILETIME& time = info.ftLastWriteTime;
    return {std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
            static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime), true};
#else
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return {};
    return StampOf(info);
#endif
}

bool LogFile::BeingWritten() const {
    Writers writers = Writers::Unknown;
    if (const int injected = faults.writers ? faults.writers(path_) : 0) {
        writers = injected == EAGAIN ? Writers::Some : Writers::Unknown;
    } else {
#ifdef _WIN32
        writers = OtherWriters(path_);
#else
        writers = OtherWriters(fd_);
#endif
    }
    if (writers == Writers::Some) return true;
    // Looked at after the writers: a program that finished writing and
    // closed the log since the read got to its end has changed it.
    const detail::FileStamp now = TakeStamp();
    return !now.valid || now != opened_;
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
