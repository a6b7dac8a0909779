#include "store/locate_index.h"

namespace vantor::detail {

std::size_t LocateIndex::Find(std::string_view text, std::string_view key) {
    if (key.empty()) return text.empty() ? std::string_view::npos : 0;

    auto it = entries_.find(key);
    if (it == entries_.end()) {
        const std::size_t position = text.find(key);
        entries_.emplace(std::string(key), Entry{position, text.size()});
        return position;
    }

    Entry& entry = it->second;
    if (entry.position != std::string_view::npos || entry.checked == text.size()) {
        return entry.position;
    }
    // Only matches that end in the bytes appended since the last search are new.
    const std::size_t from = entry.checked >= key.size() ? entry.checked - key.size() + 1 : 0;
    entry.position = text.find(key, from);
    entry.checked = text.size();
    return entry.position;
}

}  // namespace vantor::detail
