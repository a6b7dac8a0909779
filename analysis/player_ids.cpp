#include "analysis/player_ids.h"

#include <algorithm>
#include <cstring>

#include "analysis/log_file.h"
#include "vantor/code_page.h"
#include "vantor/run_error.h"

namespace vantor {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Key(std::string_view id, const CodePage& codePage) { return codePage.Folded(Trimmed(id)); }

}  // namespace

void AddSimilarPlayerIds(const std::filesystem::path& log, std::string_view player, const CodePage& codePage,
                         std::size_t limit, std::vector<std::string>& found, std::uint64_t from) {
    const std::string wanted = Key(player, codePage);
    const auto consider = [&](std::string_view line) {
        const std::size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos) return;
        const std::size_t tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) return;
        const std::string_view id = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (id == player || id.size() < wanted.size() || Key(id, codePage) != wanted) return;
        if (found.size() < limit && std::find(found.begin(), found.end(), id) == found.end()) found.emplace_back(id);
    };
    std::vector<char> buffer(1 << 16);
    try {
        LogFile file(log);
        file.Seek(from);
        std::string line;  // the start of the line so far: field 1 comes early
        for (std::size_t got; found.size() < limit && (got = file.Read(buffer.data(), buffer.size())) > 0;) {
            const char* p = buffer.data();
            const char* const end = p + got;
            while (p < end) {
                const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
                const char* stop = cr != nullptr ? cr : end;
                line.append(p, std::min<std::size_t>(static_cast<std::size_t>(stop - p), 4096 - std::min<std::size_t>(line.size(), 4096)));
                if (cr == nullptr) break;
                consider(line);
                line.clear();
                p = cr + 1;
            }
        }
        consider(line);
    } catch (const RunError&) {
        // Such a log is already among the analysis's problems.
    }
}

std::vector<std::string> SimilarPlayerIds(const std::vector<std::filesystem::path>& logs, std::string_view player,
                                          const CodePage& codePage, std::size_t limit) {
    std::vector<std::string> found;
    for (const std::filesystem::path& log : logs) {
        if (found.size() >= limit) break;
        AddSimilarPlayerIds(log, player, codePage, limit, found);
    }
    return found;
}

}  // namespace vantor
