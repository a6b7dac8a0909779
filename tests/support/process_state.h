#pragma once

// Process-wide settings that a test changes, put back however it ends.

#include <utility>

#include "analysis/log_file.h"

namespace vantor::testing {

// Injects file faults for its lifetime; they are gone when it goes, however
// the test ends.
class ScopedFileFaults {
public:
    explicit ScopedFileFaults(detail::FileFaults faults) { detail::SetFileFaults(std::move(faults)); }
    ~ScopedFileFaults() { detail::SetFileFaults({}); }
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;
};

}  // namespace vantor::testing
