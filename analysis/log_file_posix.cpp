#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>

#include "analysis/log_file.h"
#include "analysis/log_file_seam.h"
#include "vantor/text.h"
#include "vantor/run_error.h"

namespace vantor {

namespace {

RunError FileError(const std::string& what, const std::filesystem::path& path, int error) {
    return RunError(ErrorKind::FileError, what + " '" + PathToUtf8(path) + "': " + std::strerror(error));
}

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

detail::FileStamp StampOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec, true};
}

// Whether another handle holds a log open for writing.
enum class Writers { None, Some, Unknown };

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

}  // namespace

bool detail::ReadMapped(const char* begin, const char* end, void (*read)(void*), void* context) {
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
}

LogFile::LogFile(const std::filesystem::path& path) : path_(path) {
    if (const int error = detail::seam::OnOpen(path)) throw FileError("cannot open", path_, error);
    // O_NONBLOCK: should the name have become a FIFO, opening it must not hang.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw FileError("cannot open", path_, errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw RunError(ErrorKind::FileError, "cannot open '" + PathToUtf8(path_) + "': not an ordinary file");
    }
    opened_ = StampOf(info);
}

LogFile::~LogFile() { ::close(fd_); }

std::size_t LogFile::Read(char* buffer, std::size_t size) {
    if (const int error = detail::seam::OnRead(path_, offset_)) throw FileError("cannot read", path_, error);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) {
            offset_ += static_cast<std::size_t>(got);
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) throw FileError("cannot read", path_, errno);
    }
}

std::uint64_t LogFile::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw FileError("cannot read", path_, errno);
    return static_cast<std::uint64_t>(info.st_size);
}

void LogFile::Seek(std::uint64_t offset) {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) throw FileError("cannot read", path_, errno);
    offset_ = offset;
}

bool LogFile::CanMap() { return true; }

std::size_t LogFile::PageSize() {
    static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

LogFile::Mapping LogFile::Map(std::uint64_t offset, std::size_t size) const {
    if (const int error = detail::seam::OnRead(path_, offset)) throw FileError("cannot read", path_, error);
    if (detail::seam::OnMap(path_, offset) != 0) return Mapping(nullptr, 0);
    // MAP_POPULATE: the pages come in one call rather than a fault each.
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, static_cast<off_t>(offset));
    if (data == MAP_FAILED) return Mapping(nullptr, 0);
    return Mapping(static_cast<const char*>(data), size);
}

LogFile::Mapping::~Mapping() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

detail::FileStamp LogFile::TakeStamp() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return {};
    return StampOf(info);
}

bool LogFile::BeingWritten() const {
    const int injected = detail::seam::OnWritersCheck(path_);
    const Writers writers = injected == 0 ? OtherWriters(fd_) : injected == EAGAIN ? Writers::Some : Writers::Unknown;
    if (writers == Writers::Some) return true;
    // Looked at after the writers: a program that finished writing and
    // closed the log since the read got to its end has changed it.
    const detail::FileStamp now = TakeStamp();
    return !now.valid || now != opened_;
}

}  // namespace vantor
