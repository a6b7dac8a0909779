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
    // A line of any content, followed by `end` (CRLF unless told).
    LogBuilder& Line(std::string_view text, std::string_view end = "\r\n");

    const std::string& str() const { return text_; }

private:
    std::string text_;
};

}  // namespace vantor::testing
