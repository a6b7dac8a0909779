#include "cli/output.h"


#include <algorithm>
#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "vantor/run_error.h"
#include "vantor/code_page.h"
#include "vantor/text.h"

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

// The rows of the range `options` asks for; an empty range for a usage error.
std::vector<TallyRow> ShownRows(const TallyOutcome& outcome, const LogRange& range) {
    if (range.whole) return outcome.rows;
    if (range.count == 0) return {};
    return RowsInRange(outcome, range.first, range.first + range.count - 1);
}

void WriteRows(const std::vector<TallyRow>& rows, std::span<const std::string> logs, const LogRange& range,
               const TallyOptions& options, const SessionStart* session, std::ostream& out) {
    const auto name = [&](const TallyRow& row) -> const std::string& { return options.bytes ? row.bytes : row.item; };
    const std::vector<std::int64_t> gains = session != nullptr ? session->Gains(rows) : std::vector<std::int64_t>{};
    switch (options.format) {
        case OutputFormat::Tsv:
        case OutputFormat::Csv: {
            const bool tsv = options.format == OutputFormat::Tsv;
            const char separator = tsv ? '\t' : ',';
            const std::string_view lineEnd = tsv ? kTsvLineEnd : "\r\n";
            if (!tsv && !options.bytes) out << kUtf8Mark;
            if (!tsv || options.byLog) {
                out << "item" << separator << "total";
                if (session != nullptr) out << separator << "session";
                if (options.byLog) {
                    for (const std::string& log : logs) out << separator << (tsv ? log : CsvQuoted(log));
                }
                out << lineEnd;
            }
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const TallyRow& row = rows[i];
                out << (tsv ? name(row) : CsvQuoted(name(row))) << separator << row.total;
                if (session != nullptr) out << separator << gains[i];
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
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const TallyRow& row = rows[i];
                Json item = {{"item", row.item}, {"total", row.total}};
                if (session != nullptr) item["session"] = gains[i];
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

// The problems met, as one line each.
void WriteProblems(const std::vector<RunError>& problems, std::size_t count, std::ostream& err) {
    for (const RunError& problem : problems) err << problem.what() << '\n';
    if (count > problems.size()) err << "vantor-tally: " << count - problems.size() << " more problems\n";
}

// " in ActionLog0101.txt to ActionLog0103.txt" for a range.
std::string RangeText(const std::vector<std::string>& logs, const LogRange& range) {
    if (range.whole) return "";
    std::string text = " in " + logs[range.first];
    if (range.count > 1) text += " to " + logs[range.first + range.count - 1];
    return text;
}

void WriteLedgerRows(const std::vector<LedgerRow>& rows, const TallyOptions& options, std::ostream& out) {
    static constexpr std::array<std::string_view, 6> kColumns = {"item", "pickup", "sell", "buy", "shop", "net"};
    const auto name = [&](const LedgerRow& row) -> const std::string& { return options.bytes ? row.bytes : row.item; };
    if (options.format == OutputFormat::Json) {
        using Json = nlohmann::ordered_json;
        auto items = Json::array();
        for (const LedgerRow& row : rows) {
            Json item = {{"item", row.item}};
            for (std::size_t action = 0; action < row.totals.size(); ++action) {
                item[std::string(kColumns[action + 1])] = row.totals[action];
            }
            item["net"] = row.Net();
            items.push_back(std::move(item));
        }
        out << items.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
        return;
    }
    const bool tsv = options.format == OutputFormat::Tsv;
    const char separator = tsv ? '\t' : ',';
    const std::string_view lineEnd = tsv ? kTsvLineEnd : "\r\n";
    if (!tsv && !options.bytes) out << kUtf8Mark;
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        out << (column > 0 ? std::string(1, separator) : "") << kColumns[column];
    }
    out << lineEnd;
    for (const LedgerRow& row : rows) {
        out << (tsv ? name(row) : CsvQuoted(name(row)));
        for (const std::int64_t total : row.totals) out << separator << total;
        out << separator << row.Net() << lineEnd;
    }
}

// 'Alia'. (Appended, not "'" + text: GCC 12 warns wrongly of overlapping
// copies in that.)
std::string Quoted(std::string_view utf8) {
    std::string text = "'";
    text += utf8;
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
    std::string text = "no " + CodePage(options.codePage).ToUtf8(options.tag) + " record of ";
    text += options.player.empty() ? "an empty player ID" : Quoted(options.player);
    text += RangeText(outcome.logs, range);
    if (!outcome.similarPlayers.empty()) text += "; the logs have " + Listed(outcome.similarPlayers);
    if (options.player.empty()) text += " (name the player with --player ID)";
    return text;
}

}  // namespace

void WritePlayers(const std::vector<PlayerCount>& players, const TallyOptions& options, std::ostream& out) {
    const auto text = [&](const PlayerCount& count) -> const std::string& { return options.bytes ? count.bytes : count.player; };
    switch (options.format) {
        case OutputFormat::Tsv:
            for (const PlayerCount& count : players) out << text(count) << '\t' << count.records << kTsvLineEnd;
            break;
        case OutputFormat::Csv:
            if (!options.bytes) out << kUtf8Mark;
            out << "player,records\r\n";
            for (const PlayerCount& count : players) out << CsvQuoted(text(count)) << ',' << count.records << "\r\n";
            break;
        case OutputFormat::Json: {
            using Json = nlohmann::ordered_json;
            auto list = Json::array();
            for (const PlayerCount& count : players) {
                list.push_back({{"player", count.player}, {"records", count.records}});
            }
            out << list.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
            break;
        }
    }
    out.flush();
}

// The range `options` asks for, the problems of `outcome` written first;
// nothing when the range names a log the folder lacks (the usage error
// written instead).
template <typename Outcome>
std::optional<LogRange> RangeAfterProblems(const Outcome& outcome, const TallyOptions& options, std::ostream& err) {
    const auto asked = Range(outcome.logs, options);
    if (const auto* error = std::get_if<std::string>(&asked)) {
        err << UsageError(*error);
        return std::nullopt;
    }
    WriteProblems(outcome.problems, outcome.problemCount, err);
    return std::get<LogRange>(asked);
}

int WriteLedger(const LedgerOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<LogRange> asked = RangeAfterProblems(outcome, options, err);
    if (!asked) return 2;
    const LogRange& range = *asked;
    const std::vector<LedgerRow> rows =
        range.whole ? outcome.rows
                    : range.count == 0 ? std::vector<LedgerRow>{}
                                       : LedgerRowsInRange(outcome, range.first, range.first + range.count - 1);
    WriteLedgerRows(rows, options, out);
    out.flush();
    if (rows.empty()) {
        std::string text = outcome.logs.empty() ? "no ActionLog*.txt in '" + options.logDir + "'"
                                                : "no record of " +
                                                      (options.player.empty() ? std::string("an empty player ID")
                                                                              : Quoted(options.player)) +
                                                      " for any action" + RangeText(outcome.logs, range);
        if (!outcome.similarPlayers.empty()) text += "; the logs have " + Listed(outcome.similarPlayers);
        err << "vantor-tally: " << EscapeControlBytes(text) << '\n';
    }
    return outcome.problemCount > 0 ? 1 : 0;
}

SessionStart ShownTotals(const TallyOutcome& outcome, const TallyOptions& options) {
    const auto asked = Range(outcome.logs, options);
    const auto* range = std::get_if<LogRange>(&asked);
    return range != nullptr ? SessionStart(ShownRows(outcome, *range)) : SessionStart();
}

int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err,
                 const SessionStart* session) {
    const std::optional<LogRange> asked = RangeAfterProblems(outcome, options, err);
    if (!asked) return 2;
    const LogRange& range = *asked;
    const std::vector<TallyRow> rows = ShownRows(outcome, range);
    WriteRows(rows, std::span(outcome.logs).subspan(range.first, range.count), range, options, session, out);
    out.flush();
    if (rows.empty()) err << "vantor-tally: " << EscapeControlBytes(NothingFound(outcome, options, range)) << '\n';
    return outcome.problemCount > 0 ? 1 : 0;
}

}  // namespace vantor
