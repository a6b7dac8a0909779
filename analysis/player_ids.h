#pragma once

#include "text/internal.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class CodePage;

// The player IDs (field 1) in `logs` that differ from `player` only in letter
// case (of the code page's letters) or in spaces around them, all the logs' bytes, in the order first met, at
// most `limit` of them. A help for a query that found nothing: "alia" where
// the logs write "Alia". Logs that cannot be read are passed over.
std::vector<std::string> SimilarPlayerIds(const std::vector<std::filesystem::path>& logs, std::string_view player,
                                          const CodePage& codePage, std::size_t limit);

// Adds to `found` those of `log` from byte `from` on (a line start) that it
// lacks, until it holds `limit`: the IDs of lines appended since `found` was
// made.
void AddSimilarPlayerIds(const std::filesystem::path& log, std::string_view player, const CodePage& codePage,
                         std::size_t limit,
                         std::vector<std::string>& found, std::uint64_t from = 0);

}  // namespace vantor
