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

// The text with its control bytes (0x00-0x1F and 0x7F) written out as `\n`,
// `\r`, `\t` or `\xNN`, so that it prints on one line. Every other byte is
// kept, the backslash too: messages hold Windows paths, and the file and line
// they name find the record whatever its bytes.
std::string EscapeControlBytes(std::string_view text);

// The one exception type of the core, and the record of a problem met while
// reading logs. Each part holds one encoding: detail() and file() are UTF-8
// (log text that the detail quotes is converted from Windows-1252; paths
// are UTF-8 on every system), item() is the raw item entry, bytes as in the
// log (Windows-1252). what() is "file:line: kind: detail", with the parts
// that are unknown left out and control bytes escaped (EscapeControlBytes):
// one line, whatever the log holds.
class RunError : public std::runtime_error {
public:
    RunError(ErrorKind kind, std::string detail);

    // Returns a copy that also names where the error happened.
    [[nodiscard]] RunError At(std::string file, std::uint64_t line, std::string item) const;

    ErrorKind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }  // UTF-8
    const std::string& file() const noexcept { return file_; }      // UTF-8 log name; empty: not from a log
    std::uint64_t line() const noexcept { return line_; }            // 0: no line (the log as a whole)
    const std::string& item() const noexcept { return item_; }       // raw item entry, Windows-1252 bytes

private:
    RunError(ErrorKind kind, std::string detail, std::string file, std::uint64_t line, std::string item);

    ErrorKind kind_;
    std::string detail_;
    std::string file_;
    std::uint64_t line_ = 0;
    std::string item_;
};

}  // namespace vantor
