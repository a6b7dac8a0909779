#pragma once

#include <cstddef>
#include <filesystem>

namespace vantor {

class clsHash;
class WindowState;

// Bytes read from a log per read call.
inline constexpr std::size_t kDefaultBlockSize = 256 * 1024;

// Reads one action log and adds the quantity of every record of the window's
// player and action to its item's total in `items`.
//
// Lines end at CR (a LF right after it belongs to the line end; a lone LF is
// text); empty lines and lines with fewer than six tab-separated fields are
// skipped. A record is taken when field 5 lacks "Ore C.", field 1 equals the
// player ID and field 3 the action tag (both read once, at the start). Its
// item entry is cleaned (0x81 0xA8 -> ' ', 0x81 removed, "(R)" -> "R",
// "(Y)" -> "Y", last byte dropped) and split at its first '(' into name and
// quantity.
//
// Throws RunError naming the file name and the line: InvalidArgument for an
// empty entry or one without '(', TypeMismatch for a quantity that is not a
// number, Overflow for a quantity or total outside 32 bits; FileError naming
// the path when the file cannot be opened or read. Totals taken before an
// error stay in `items`.
void ProcessLogFile(const std::filesystem::path& path, WindowState& window, clsHash& items,
                    std::size_t blockSize = kDefaultBlockSize);

}  // namespace vantor
