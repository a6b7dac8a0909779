#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/run_error.h"

namespace vantor::testing {

// What a log gives for one player and action, read the slow, literal way:
// the records taken, in order, and the first error with its line and item.
// When the log is being written, a last line without a line end is left out.
struct ReferenceResult {
    std::vector<std::pair<std::string, std::int32_t>> records;
    std::optional<ErrorKind> error;
    std::uint64_t errorLine = 0;
    std::string errorItem;

    bool operator==(const ReferenceResult&) const = default;
};

ReferenceResult ReferenceRead(std::string_view log, std::string_view playerId,
                              std::string_view actionTag, bool beingWritten = false);

}  // namespace vantor::testing
