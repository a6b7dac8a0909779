#include "tests/support/log_builder.h"

namespace vantor::testing {

LogBuilder& LogBuilder::Record(std::string_view player, std::string_view tag, std::string_view item) {
    text_.append("2026-01-02 10:11:12\t").append(player).append("\tMap03\t").append(tag).append("\t1024,768\t")
        .append(item).append("\r\n");
    return *this;
}

std::string Pickup(std::string_view item, std::string_view player) {
    return LogBuilder().Record(player, "[Pickup]", item).str();
}

}  // namespace vantor::testing
