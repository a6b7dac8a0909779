#pragma once

#include <string>
#include <string_view>

namespace vantor::testing {

// Builds the text of an action log, one CRLF-terminated record at a time.
class LogBuilder {
public:
    // A record with the fields the reader looks at; fields 0, 2 and 4 get
    // plausible filler.
    LogBuilder& Record(std::string_view player, std::string_view tag, std::string_view item);

    const std::string& str() const { return text_; }

private:
    std::string text_;
};

// One record of `player` picking `item` up.
std::string Pickup(std::string_view item, std::string_view player = "Alia");

}  // namespace vantor::testing
