#include "cli/progress.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "vantor/run_error.h"

namespace vantor {

namespace {

// The columns UTF-8 text takes: one per character.
std::size_t Columns(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

bool LogLines::BeforeLog(std::string_view name, std::size_t, std::size_t) {
    err_ << EscapeControlBytes("Processing " + std::string(name)) << '\n';
    err_.flush();
    return true;
}

StatusLine::StatusLine(std::ostream& err, std::chrono::milliseconds delay)
    : err_(err), showFrom_(std::chrono::steady_clock::now() + delay) {}

bool StatusLine::BeforeLog(std::string_view name, std::size_t index, std::size_t count) {
    if (std::chrono::steady_clock::now() < showFrom_) return true;
    const std::string text = EscapeControlBytes("Processing " + std::string(name)) + " (" + std::to_string(index + 1) +
                             " of " + std::to_string(count) + ")";
    const std::size_t width = Columns(text);
    // What is left of a longer line before is blanked out.
    err_ << '\r' << text << std::string(width_ > width ? width_ - width : 0, ' ');
    err_.flush();
    width_ = width;
    return true;
}

void StatusLine::Clear() {
    if (width_ == 0) return;
    err_ << '\r' << std::string(width_, ' ') << '\r';
    err_.flush();
    width_ = 0;
}

}  // namespace vantor
