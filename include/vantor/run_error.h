#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantor {

class CodePage;

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
// reading logs. Each part holds one encoding: file() is UTF-8 on every
// system; detail() is UTF-8 but for the log text a record's detail quotes,
// and item() is the raw item entry, both bytes as in the log until InText
// converts them, as an outcome has them. what() is "file:line: kind: detail", with the parts
// that are unknown left out and control bytes escaped (EscapeControlBytes):
// one line, whatever the log holds.
class RunError : public std::runtime_error {
public:
    RunError(ErrorKind kind, std::string detail);

    // Returns a copy that also names where the error happened.
    [[nodiscard]] RunError At(std::string file, std::uint64_t line, std::string item) const;

    // Returns a copy with the log's bytes in detail() and item() as UTF-8
    // text of `codePage`. A file's error (FileError) quotes no log text and
    // stays as it is.
    [[nodiscard]] RunError InText(const CodePage& codePage) const;

    ErrorKind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }
    const std::string& file() const noexcept { return file_; }      // UTF-8 log name; empty: not from a log
    std::uint64_t line() const noexcept { return line_; }            // 0: no line (the log as a whole)
    const std::string& item() const noexcept { return item_; }       // the item entry

private:
    RunError(ErrorKind kind, std::string detail, std::string file, std::uint64_t line, std::string item);

    ErrorKind kind_;
    std::string detail_;
    std::string file_;
    std::uint64_t line_ = 0;
    std::string item_;
};

}  // namespace vantor
