#pragma once

// Process-wide settings that a test changes, put back however it ends.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>

#include "analysis/log_reader.h"
#include "analysis/record_search.h"

namespace vantor::testing {

// Failures injected into opening and reading logs, through the link-time
// seam of analysis/log_file_seam.h (file_faults.cpp): a test that uses them
// links vantor_file_faults. Each hook returns 0 to go on, or an error number;
// see the seam for what each means.
struct FileFaults {
    std::function<int(const std::filesystem::path&)> open;
    std::function<int(const std::filesystem::path&, std::uint64_t offset)> read;
    std::function<int(const std::filesystem::path&, std::uint64_t offset)> map;
    std::function<int(const std::filesystem::path&)> writers;
};

inline FileFaults injectedFaults;

// Injects file faults for its lifetime.
struct ScopedFileFaults {
    explicit ScopedFileFaults(FileFaults faults) { injectedFaults = std::move(faults); }
    ~ScopedFileFaults() { injectedFaults = {}; }
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

// Sets how logs come into memory for its lifetime.
struct ScopedReadPlan {
    explicit ScopedReadPlan(const detail::ReadPlan& plan) : saved(detail::CurrentReadPlan()) { detail::SetReadPlan(plan); }
    ~ScopedReadPlan() { detail::SetReadPlan(saved); }
    ScopedReadPlan(const ScopedReadPlan&) = delete;
    ScopedReadPlan& operator=(const ScopedReadPlan&) = delete;
    const detail::ReadPlan saved;
};

}  // namespace vantor::testing
