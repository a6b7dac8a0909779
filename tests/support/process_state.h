#pragma once

// Process-wide settings that a test changes, put back however it ends.

#include <utility>

#include "analysis/log_file.h"
#include "analysis/needle_search.h"

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

// Restores the search path that was active when it was made.
class ScopedSearchPath {
public:
    ScopedSearchPath() : saved_(detail::ActiveSearchPath()) {}
    ~ScopedSearchPath() { detail::SetSearchPath(saved_); }
    ScopedSearchPath(const ScopedSearchPath&) = delete;
    ScopedSearchPath& operator=(const ScopedSearchPath&) = delete;

private:
    detail::SearchPath saved_;
};

}  // namespace vantor::testing
