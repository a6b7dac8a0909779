#include "analysis/log_file_seam.h"

// Alone in its file, so that a test's definitions replace all four at link
// time without this object being pulled in beside them.
namespace vantor::detail::seam {

int OnOpen(const std::filesystem::path&) { return 0; }
int OnRead(const std::filesystem::path&, std::uint64_t) { return 0; }
int OnMap(const std::filesystem::path&, std::uint64_t) { return 0; }
int OnWritersCheck(const std::filesystem::path&) { return 0; }

}  // namespace vantor::detail::seam
