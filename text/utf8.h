#pragma once

#include "text/internal.h"

#include <optional>
#include <string>
#include <string_view>

namespace vantor::utf8 {

// Appends `c` to `out` as UTF-8.
void Append(std::string& out, char32_t c);

// Decodes one UTF-8 sequence at text[i], advancing i past it; nothing (and i
// unchanged) when no valid sequence starts there.
std::optional<char32_t> Next(std::string_view text, std::size_t& i);

// Whether the whole text is valid UTF-8.
bool Valid(std::string_view text);

}  // namespace vantor::utf8
