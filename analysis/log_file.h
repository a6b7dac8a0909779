#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace vantor {

// A log opened for reading only, as bytes (no line-end translation, no stop
// at Ctrl-Z). On Windows the handle shares reading, writing and deleting, so
// the game can keep writing today's log while it is read.
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

private:
    std::size_t ReadSome(char* buffer, std::size_t size);

    std::filesystem::path path_;
    std::uint64_t offset_ = 0;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

namespace detail {

// Test seam: failures injected into opening and reading logs. Each hook
// returns 0 to go on, or an error number that the open or the read then
// fails with.
struct FileFaults {
    std::function<int(const std::filesystem::path&)> open;
    std::function<int(const std::filesystem::path&, std::uint64_t offset)> read;
};
void SetFileFaults(FileFaults faults);

}  // namespace detail

}  // namespace vantor
