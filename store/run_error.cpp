#include "vantor/run_error.h"

#include "vantor/code_page.h"

#include <utility>

namespace vantor {

namespace {

std::string Describe(ErrorKind kind, const std::string& detail, const std::string& file,
                     std::uint64_t line) {
    std::string text;
    if (!file.empty()) {
        text = file;
        if (line > 0) text += ':' + std::to_string(line);
        text += ": ";
    }
    text += KindName(kind);
    text += ": ";
    text += detail;
    return EscapeControlBytes(text);
}

}  // namespace

std::string_view KindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::InvalidArgument: return "invalid argument";
        case ErrorKind::TypeMismatch: return "type mismatch";
        case ErrorKind::Overflow: return "overflow";
        case ErrorKind::FileError: return "file error";
    }
    return "error";
}

std::string EscapeControlBytes(std::string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

RunError::RunError(ErrorKind kind, std::string detail)
    : RunError(kind, std::move(detail), {}, 0, {}) {}

RunError::RunError(ErrorKind kind, std::string detail, std::string file, std::uint64_t line,
                   std::string item)
    : std::runtime_error(Describe(kind, detail, file, line)),
      kind_(kind),
      detail_(std::move(detail)),
      file_(std::move(file)),
      line_(line),
      item_(std::move(item)) {}

RunError RunError::InText(const CodePage& codePage) const {
    if (kind_ == ErrorKind::FileError) return *this;
    return RunError(kind_, codePage.ToUtf8(detail_), file_, line_, codePage.ToUtf8(item_));
}

RunError RunError::At(std::string file, std::uint64_t line, std::string item) const {
    return RunError(kind_, detail_, std::move(file), line, std::move(item));
}

}  // namespace vantor
