#pragma once

#include "text/internal.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <type_traits>

namespace vantor {

namespace detail {

// A file's size and modification time; `valid` is false when the system
// could not give them.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t time = 0;  // nanoseconds on Linux, 100 ns units on Windows
    bool valid = false;
    bool operator==(const FileStamp&) const = default;
};

}  // namespace detail

// A log opened for reading only, as bytes (no line-end translation, no stop
// at Ctrl-Z). On Windows the handle shares reading, writing and deleting, so
// the game can keep writing today's log while it is read. The bodies are
// log_file_posix.cpp and log_file_win32.cpp.
class LogFile {
public:
    // Throws RunError (FileError naming the path) when the file cannot be
    // opened or is not an ordinary file.
    explicit LogFile(const std::filesystem::path& path);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Reads up to `size` bytes; 0 at the end of the file. Throws RunError
    // (FileError naming the path) when reading fails.
    std::size_t Read(char* buffer, std::size_t size);
    // The file's size now, and when it was opened.
    std::uint64_t Size() const;
    std::uint64_t OpenedSize() const { return opened_.size; }
    // The next Read starts at `offset`.
    void Seek(std::uint64_t offset);

    // Whether Map works here (not on Windows, where a log with a mapped view
    // could not be shortened by the game while it is read).
    static bool CanMap();
    // The size of a memory page; mappings start at multiples of it.
    static std::size_t PageSize();
    // Maps `size` bytes from `offset`, a multiple of PageSize(), read-only;
    // a Mapping without data when the system cannot map the file (then it
    // can still be read).
    class Mapping;
    Mapping Map(std::uint64_t offset, std::size_t size) const;

    // Whether a program may still be writing the log, so that a last line
    // without a line end may be unfinished: another handle holds it open for
    // writing, or its size or modification time changed since it was opened.
    // Where the system cannot tell who holds it (a file system without
    // leases, another user's log), only the size and time count. Never
    // throws.
    bool BeingWritten() const;

private:
    detail::FileStamp TakeStamp() const;

    std::filesystem::path path_;
    std::uint64_t offset_ = 0;
    detail::FileStamp opened_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

// Bytes of a log mapped into memory; unmapped when destroyed.
class LogFile::Mapping {
public:
    Mapping(const char* data, std::size_t size) : data_(data), size_(size) {}
    ~Mapping();
    Mapping(Mapping&& other) noexcept : data_(other.data_), size_(other.size_) { other.data_ = nullptr; }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    Mapping& operator=(Mapping&&) = delete;

    const char* data() const { return data_; }

private:
    const char* data_;
    std::size_t size_;
};

// Runs `read`, which reads mapped bytes in [begin, end). Should a page there
// become unreadable meanwhile (the file was shortened, or the disk failed),
// `read` is stopped at that access and this returns false instead of the
// program being killed. So whatever `read` hands on must not be read from
// those bytes any more (copy them first), and no destructor may be pending
// at such an access. Exceptions from `read` pass through.
template <typename Read>
bool ReadMapped(const char* begin, const char* end, Read&& read);

namespace detail {
bool ReadMapped(const char* begin, const char* end, void (*read)(void*), void* context);
}  // namespace detail

template <typename Read>
bool ReadMapped(const char* begin, const char* end, Read&& read) {
    return detail::ReadMapped(
        begin, end, [](void* context) { (*static_cast<std::remove_reference_t<Read>*>(context))(); },
        static_cast<void*>(&read));
}

}  // namespace vantor
