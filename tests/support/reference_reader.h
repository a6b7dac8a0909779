#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor::testing {

// Reads `input` as [block size][search path][ID length][tag length][copies]
// ID, tag, text; writes the text (copied as told) to `file` as a log, and
// reads it with ProcessLogFile as the header says and the slow, literal way (lines
// split at CR, then at tabs; numbers by ReferenceToInt32). Returns how the
// records taken or skipped (kind, line, raw entry) differ, or
// nothing. The randomised reader test and the reader fuzzer both run it.
std::string ReadDifference(const std::filesystem::path& file, std::string_view input);

}  // namespace vantor::testing
