#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantor::detail {

// Remembers where each key looked up so far first occurs in the store's key
// text, which only ever grows at its end (until it is emptied).
//
// A first occurrence, once found, never moves: text appended later can only
// add matches that start after it. A key not found in the first `checked`
// bytes can only appear in matches that reach past them, so the next lookup
// searches from `checked` - (key length - 1) on, never the whole text again.
class LocateIndex {
public:
    // 0-based position of the first occurrence of `key` in `text`, npos when
    // there is none. `text` must be the text of the previous calls, possibly
    // with bytes appended.
    std::size_t Find(std::string_view text, std::string_view key);

    // Forgets everything; call when the text is emptied.
    void Clear() { entries_.clear(); }

private:
    struct Entry {
        std::size_t position;  // npos: not found in text[0, checked)
        std::size_t checked;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const noexcept {
            return std::hash<std::string_view>{}(key);
        }
    };

    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> entries_;
};

}  // namespace vantor::detail
