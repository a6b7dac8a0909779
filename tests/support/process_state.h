#pragma once

// Process-wide settings that a test changes, put back however it ends.

#include <utility>

#include "analysis/log_file.h"
#include "analysis/needle_search.h"

namespace vantor::testing {

// Injects file faults for its lifetime.
struct ScopedFileFaults {
    explicit ScopedFileFaults(detail::FileFaults faults) { detail::SetFileFaults(std::move(faults)); }
    ~ScopedFileFaults() { detail::SetFileFaults({}); }
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;
};

// Sets the search path for its lifetime.
struct ScopedSearchPath {
    explicit ScopedSearchPath(detail::SearchPath path) : saved(detail::ActiveSearchPath()) { detail::SetSearchPath(path); }
    ~ScopedSearchPath() { detail::SetSearchPath(saved); }
    ScopedSearchPath(const ScopedSearchPath&) = delete;
    ScopedSearchPath& operator=(const ScopedSearchPath&) = delete;
    const detail::SearchPath saved;
};

}  // namespace vantor::testing
