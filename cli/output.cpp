#include "cli/output.h"

#include <csv.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "vantor/run_error.h"
#include "store/windows1252.h"

namespace vantor {

namespace {

// Text files end their lines the system's way; csv is CR LF everywhere
// (RFC 4180) and json LF.
#ifdef _WIN32
constexpr std::string_view kTsvLineEnd = "\r\n";
#else
constexpr std::string_view kTsvLineEnd = "\n";
#endif
// A spreadsheet opened from a csv file without it takes the text for the
// system's ANSI code page (Excel does, on double-click).
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The logs first to first + count - 1, by index.
struct LogRange {
    std::size_t first = 0;
    std::size_t count = 0;
    bool whole = true;  // no range asked for
};

// The index of the log `name` names: its exact name or, failing that, the
// same name in other letter case (Windows does not tell them apart).
std::optional<std::size_t> FindLog(const std::vector<std::string>& logs, const std::string& name) {
    const auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
        return text;
    };
    if (const auto exact = std::find(logs.begin(), logs.end(), name); exact != logs.end()) {
        return static_cast<std::size_t>(exact - logs.begin());
    }
    const auto other =
        std::find_if(logs.begin(), logs.end(), [&](const std::string& log) { return upper(log) == upper(name); });
    if (other == logs.end()) return std::nullopt;
    return static_cast<std::size_t>(other - logs.begin());
}

// The range of logs `options` asks for, or the usage error.
std::variant<LogRange, std::string> Range(const std::vector<std::string>& logs, const TallyOptions& options) {
    if (options.last > 0) {
        const std::size_t count = std::min(options.last, logs.size());
        return LogRange{logs.size() - count, count, false};
    }
    const auto missing = [&](std::string_view option, const std::string& name) {
        return std::string(option) + ": no log named '" + name + "' in '" + options.logDir + "'";
    };
    std::size_t first = 0;
    std::size_t end = logs.size();
    if (!options.from.empty()) {
        const std::optional<std::size_t> index = FindLog(logs, options.from);
        if (!index) return missing("--from", options.from);
        first = *index;
    }
    if (!options.to.empty()) {
        const std::optional<std::size_t> index = FindLog(logs, options.to);
        if (!index) return missing("--to", options.to);
        end = *index + 1;
    }
    if (!options.from.empty() && !options.to.empty() && first >= end) {
        return "--from " + options.from + " comes after --to " + options.to;
    }
    return LogRange{first, end - first, options.from.empty() && options.to.empty()};
}

std::string CsvQuoted(std::string_view field) {
    std::string quoted(field.size() * 2 + 2, '\0');
    quoted.resize(csv_write(quoted.data(), quoted.size(), field.data(), field.size()));
    return quoted;
}

// What each log of the range credited to the row, 0 where nothing.
std::vector<std::int64_t> ByLog(const TallyRow& row, const LogRange& range) {
    std::vector<std::int64_t> credits(range.count);
    for (const LogCredit& credit : row.parts) {
        if (credit.log >= range.first && credit.log - range.first < range.count) {
            credits[credit.log - range.first] += credit.quantity;
        }
    }
    return credits;
}

void WriteRows(const std::vector<TallyRow>& rows, std::span<const std::string> logs, const LogRange& range,
               const TallyOptions& options, std::ostream& out) {
    const auto name = [&](const std::string& item) { return options.bytes ? item : Windows1252ToUtf8(item); };
    switch (options.format) {
        case OutputFormat::Tsv:
        case OutputFormat::Csv: {
            const bool tsv = options.format == OutputFormat::Tsv;
            const char separator = tsv ? '\t' : ',';
            const std::string_view lineEnd = tsv ? kTsvLineEnd : "\r\n";
            if (!tsv && !options.bytes) out << kUtf8Mark;
            if (!tsv || options.byLog) {
                out << "item" << separator << "total";
                if (options.byLog) {
                    for (const std::string& log : logs) out << separator << (tsv ? log : CsvQuoted(log));
                }
                out << lineEnd;
            }
            for (const TallyRow& row : rows) {
                out << (tsv ? name(row.item) : CsvQuoted(name(row.item))) << separator << row.total;
                if (options.byLog) {
                    for (const std::int64_t credit : ByLog(row, range)) out << separator << credit;
                }
                out << lineEnd;
            }
            break;
        }
        case OutputFormat::Json: {
            using Json = nlohmann::ordered_json;
            auto items = Json::array();
            for (const TallyRow& row : rows) {
                Json item = {{"item", Windows1252ToUtf8(row.item)}, {"total", row.total}};
                if (options.byLog) item["by_log"] = ByLog(row, range);
                items.push_back(std::move(item));
            }
            const Json document = options.byLog ? Json{{"logs", logs}, {"items", std::move(items)}} : std::move(items);
            // A Linux file name need not be UTF-8.
            // Followed, one document a line.
            out << document.dump(options.follow ? -1 : 2, ' ', false, Json::error_handler_t::replace) << '\n';
            break;
        }
    }
}

// 'Alia' for Windows-1252 text. (Appended, not "'" + text: GCC 12 warns
// wrongly of overlapping copies in that.)
std::string Quoted(std::string_view bytes) {
    std::string text = "'";
    text += Windows1252ToUtf8(bytes);
    text += '\'';
    return text;
}

// 'A', 'B' and 'C'.
std::string Listed(const std::vector<std::string>& players) {
    std::string text;
    for (std::size_t index = 0; index < players.size(); ++index) {
        if (index > 0) text += index + 1 == players.size() ? " and " : ", ";
        text += Quoted(players[index]);
    }
    return text;
}

// Why nothing is listed, and what might be meant instead.
std::string NothingFound(const TallyOutcome& outcome, const TallyOptions& options, const LogRange& range) {
    if (outcome.logs.empty()) return "no ActionLog*.txt in '" + options.logDir + "'";
    std::string text = "no " + Windows1252ToUtf8(options.tag) + " record of ";
    text += options.player.empty() ? "an empty player ID" : Quoted(options.player);
    if (!range.whole) {
        text += " in " + outcome.logs[range.first];
        if (range.count > 1) text += " to " + outcome.logs[range.first + range.count - 1];
    }
    if (!outcome.similarPlayers.empty()) text += "; the logs have " + Listed(outcome.similarPlayers);
    if (options.player.empty()) text += " (name the player with --player ID)";
    return text;
}

}  // namespace

int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err) {
    const auto asked = Range(outcome.logs, options);
    if (const auto* error = std::get_if<std::string>(&asked)) {
        err << UsageError(*error);
        return 2;
    }
    const LogRange& range = std::get<LogRange>(asked);
    for (const RunError& problem : outcome.problems) err << problem.what() << '\n';
    if (outcome.problemCount > outcome.problems.size()) {
        err << "vantor-tally: " << outcome.problemCount - outcome.problems.size() << " more problems\n";
    }
    const std::vector<TallyRow> ranged =
        range.whole || range.count == 0 ? std::vector<TallyRow>{}
                                        : RowsInRange(outcome, range.first, range.first + range.count - 1);
    const std::vector<TallyRow>& rows = range.whole ? outcome.rows : ranged;
    WriteRows(rows, std::span(outcome.logs).subspan(range.first, range.count), range, options, out);
    out.flush();
    if (rows.empty()) err << "vantor-tally: " << EscapeControlBytes(NothingFound(outcome, options, range)) << '\n';
    return outcome.problemCount > 0 ? 1 : 0;
}

}  // namespace vantor
