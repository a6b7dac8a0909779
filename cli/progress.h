#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string_view>

#include "vantor/tally.h"

namespace vantor {

// --progress: "Processing NAME" on a line of its own for each log, for a log
// file or a script that wants to know.
class LogLines : public ScanObserver {
public:
    explicit LogLines(std::ostream& err) : err_(err) {}
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;

private:
    std::ostream& err_;
};

// For a person at a terminal: one line that names the log being read,
// rewritten in place, shown only once the analysis has taken `delay` (a
// quick one shows nothing), and erased by Clear().
class StatusLine : public ScanObserver {
public:
    StatusLine(std::ostream& err, std::chrono::milliseconds delay);
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;
    void Clear();

private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point showFrom_;
    std::size_t width_ = 0;  // of what the line shows now
};

}  // namespace vantor
