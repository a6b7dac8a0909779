// The test side of the link-time seam in analysis/log_file_seam.h: these
// definitions, linked as objects, take the place of the program's own.

#include "analysis/log_file_seam.h"
#include "tests/support/process_state.h"

namespace vantor::detail::seam {

using testing::injectedFaults;

int OnOpen(const std::filesystem::path& path) { return injectedFaults.open ? injectedFaults.open(path) : 0; }
int OnRead(const std::filesystem::path& path, std::uint64_t at) { return injectedFaults.read ? injectedFaults.read(path, at) : 0; }
int OnMap(const std::filesystem::path& path, std::uint64_t at) { return injectedFaults.map ? injectedFaults.map(path, at) : 0; }
int OnWritersCheck(const std::filesystem::path& path) { return injectedFaults.writers ? injectedFaults.writers(path) : 0; }

}  // namespace vantor::detail::seam
