#pragma once

#include <cstddef>
#include <filesystem>

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
    std::filesystem::path path_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
};

}  // namespace vantor
