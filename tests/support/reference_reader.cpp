#include "tests/support/reference_reader.h"

#include "store/numeric.h"

namespace vantor::testing {

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts{""};
    for (char c : line) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

}  // namespace

ReferenceResult ReferenceRead(std::string_view log, std::string_view playerId,
                              std::string_view actionTag, bool beingWritten) {
    // Lines end at CR; a LF right after a CR belongs to the line end.
    std::vector<std::string> lines{""};
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] != '\r') {
            lines.back() += log[i];
            continue;
        }
        lines.emplace_back();
        if (i + 1 < log.size() && log[i + 1] == '\n') ++i;
    }
    if (beingWritten) lines.back().clear();  // ended by the end of the file: maybe half written
    ReferenceResult result;
    for (std::size_t number = 1; number <= lines.size(); ++number) {
        const std::vector<std::string> fields = Split(lines[number - 1], '\t');
        if (lines[number - 1].empty() || fields.size() < 6) continue;
        if (fields[5].find("Ore C.") != std::string::npos || fields[1] != playerId || fields[3] != actionTag) {
            continue;
        }
        std::string entry = Replace(fields[5], "\x81\xA8", " ");
        entry = Replace(Replace(Replace(entry, "\x81", ""), "(R)", "R"), "(Y)", "Y");
        const std::size_t open = entry.empty() ? std::string::npos : entry.substr(0, entry.size() - 1).find('(');
        try {
            if (open == std::string::npos) throw RunError(ErrorKind::InvalidArgument, "");
            result.records.emplace_back(entry.substr(0, open),
                                        ToInt32(entry.substr(open + 1, entry.size() - open - 2)));
        } catch (const RunError& error) {
            result.error = error.kind();
            result.errorLine = number;
            result.errorItem = fields[5];
            break;
        }
    }
    return result;
}

}  // namespace vantor::testing
