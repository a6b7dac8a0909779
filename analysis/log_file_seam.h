#pragma once

#include "text/internal.h"

// Where tests make log access fail. Each function runs at its point of
// LogFile and returns 0 to go on, or an error number that the call then
// fails with. The program links log_file_seam.cpp, whose functions return 0;
// a test that injects failures links tests/support/file_faults.cpp as
// objects instead, which come before the library's (a link-time seam: the
// program never asks whether a test is running).

#include <cstdint>
#include <filesystem>

namespace vantor::detail::seam {

int OnOpen(const std::filesystem::path& path);
int OnRead(const std::filesystem::path& path, std::uint64_t offset);
// Any error makes the mapping fail, as if mmap had (the log is then read).
int OnMap(const std::filesystem::path& path, std::uint64_t offset);
// Runs first when BeingWritten looks at a log, so it may change the file as
// a program writing it would. 0 lets the system say whether another handle
// holds it open for writing, EAGAIN answers yes, another error number is a
// system that cannot tell.
int OnWritersCheck(const std::filesystem::path& path);

}  // namespace vantor::detail::seam
