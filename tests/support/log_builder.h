#pragma once

#include <string>
#include <string_view>

namespace vantor::testing {

// One CRLF-terminated line of an action log with the fields the reader looks
// at; fields 0, 2 and 4 get plausible filler.
std::string Record(std::string_view player, std::string_view tag, std::string_view item);

// One record of `player` picking `item` up.
std::string Pickup(std::string_view item, std::string_view player = "Alia");

}  // namespace vantor::testing
