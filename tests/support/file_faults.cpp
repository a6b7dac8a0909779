// The test side of the link-time seam in analysis/log_file_seam.h: these
// definitions, linked as objects, take the place of the program's own.

#include "analysis/log_file_seam.h"
#include "tests/support/process_state.h"

namespace vantor {

namespace {
testing::FileFaults faults;
}  // namespace

testing::ScopedFileFaults::ScopedFileFaults(FileFaults injected) { faults = std::move(injected); }
testing::ScopedFileFaults::~ScopedFileFaults() { faults = {}; }

int detail::seam::OnOpen(const std::filesystem::path& path) { return faults.open ? faults.open(path) : 0; }
int detail::seam::OnRead(const std::filesystem::path& path, std::uint64_t offset) {
    return faults.read ? faults.read(path, offset) : 0;
}
int detail::seam::OnMap(const std::filesystem::path& path, std::uint64_t offset) {
    return faults.map ? faults.map(path, offset) : 0;
}
int detail::seam::OnWritersCheck(const std::filesystem::path& path) {
    return faults.writers ? faults.writers(path) : 0;
}

}  // namespace vantor
