#include "tests/support/log_builder.h"

namespace vantor::testing {

LogBuilder& LogBuilder::Record(std::string_view player, std::string_view tag, std::string_view item) {
    std::string line = "2026-01-02 10:11:12\t";
    line += player;
    line += "\tMap03\t";
    line += tag;
    line += "\t1024,768\t";
    line += item;
    return Line(line);
}

LogBuilder& LogBuilder::Line(std::string_view text, std::string_view end) {
    text_ += text;
    text_ += end;
    return *this;
}

}  // namespace vantor::testing
