#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantor {

// The four kinds of run-time failure the program knows.
enum class ErrorKind {
    InvalidArgument,
    TypeMismatch,
    Overflow,
    FileError,
};

// "invalid argument", "type mismatch", "overflow", "file error".
std::string_view KindName(ErrorKind kind);

// The one exception type of the core. The store throws it with a kind and a
// detail; the log reader adds the file, the 1-based line and the raw item
// entry of the record that failed. what() is "file:line: kind: detail", with
// the parts that are unknown left out.
class RunError : public std::runtime_error {
public:
    RunError(ErrorKind kind, std::string detail);

    // Returns a copy that also names where the error happened.
    [[nodiscard]] RunError At(std::string file, std::uint64_t line, std::string item) const;

    ErrorKind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }
    const std::string& file() const noexcept { return file_; }  // empty: not from a log
    std::uint64_t line() const noexcept { return line_; }        // 0: no line
    const std::string& item() const noexcept { return item_; }   // raw item entry, bytes as in the log

private:
    RunError(ErrorKind kind, std::string detail, std::string file, std::uint64_t line, std::string item);

    ErrorKind kind_;
    std::string detail_;
    std::string file_;
    std::uint64_t line_ = 0;
    std::string item_;
};

}  // namespace vantor
