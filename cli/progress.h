#pragma once

#include <cstddef>
#include <iosfwd>
#include <string_view>

#include "analysis/tally.h"

namespace vantor {

// "Processing NAME" on a line of its own for each log.
class LogLines : public ScanObserver {
public:
    explicit LogLines(std::ostream& err) : err_(err) {}
    bool BeforeLog(std::string_view name, std::size_t index, std::size_t count) override;

private:
    std::ostream& err_;
};

}  // namespace vantor
