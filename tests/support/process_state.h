#pragma once

// Process-wide settings that a test changes, put back however it ends.

#include <cstdint>
#include <filesystem>
#include <functional>

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
inline FileFaults InjectedFaults() { return injectedFaults; }
inline void InjectFaults(const FileFaults& faults) { injectedFaults = faults; }

// Sets a process-wide setting for its lifetime, then puts back the one before.
template <typename Value, auto get, auto set>
struct Scoped {
    explicit Scoped(const Value& value) : saved(get()) { set(value); }
    ~Scoped() { set(saved); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    const Value saved;
};
using ScopedFileFaults = Scoped<FileFaults, InjectedFaults, InjectFaults>;
using ScopedSearchPath = Scoped<detail::SearchPath, detail::ActiveSearchPath, detail::SetSearchPath>;
using ScopedReadPlan = Scoped<detail::ReadPlan, detail::CurrentReadPlan, detail::SetReadPlan>;

}  // namespace vantor::testing
