#pragma once

#include "text/internal.h"

// What the code pages take from the system: its converter, its letter case
// and its ANSI code page. One file for each system implements it.

#include <optional>
#include <string>
#include <string_view>

namespace vantor::text_system {

// Whether the system converts code page `number`.
bool Converts(unsigned number);

// The character of `byte` in the single-byte code page `number`; nothing
// when the code page leaves the byte undefined.
std::optional<char32_t> CharacterOf(unsigned number, unsigned char byte);

// `c` written in code page `number` when the byte table lacks it (1258's
// letters written as a letter and a combining mark); nothing when it cannot.
std::optional<std::string> Written(unsigned number, char32_t c);

// Whole texts in a code page of several bytes a character: bytes to UTF-8
// (what is not a character becomes U+FFFD), and UTF-8 to bytes (nothing when
// a character cannot be written).
std::string Decoded(unsigned number, std::string_view bytes);
std::optional<std::string> Encoded(unsigned number, std::string_view utf8);

// `c` in lower or upper case; itself when it has no such case.
char32_t LowerCase(char32_t c);
char32_t UpperCase(char32_t c);

// The system's ANSI code page (Windows), or 0 where it has none.
unsigned AnsiCodePage();

}  // namespace vantor::text_system
