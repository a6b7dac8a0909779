#include "tests/support/log_builder.h"

namespace vantor::testing {

std::string Record(std::string_view player, std::string_view tag, std::string_view item) {
    return "2026-01-02 10:11:12\t" + std::string(player) + "\tMap03\t" + std::string(tag) + "\t1024,768\t" +
           std::string(item) + "\r\n";
}

std::string Pickup(std::string_view item, std::string_view player) { return Record(player, "[Pickup]", item); }

}  // namespace vantor::testing
