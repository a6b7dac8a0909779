#include "cli/output.h"

#include <csv.h>

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "store/run_error.h"
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

std::string CsvQuoted(std::string_view field) {
    std::string quoted(field.size() * 2 + 2, '\0');
    quoted.resize(csv_write(quoted.data(), quoted.size(), field.data(), field.size()));
    return quoted;
}

void WriteRows(const std::vector<TallyRow>& rows, const TallyOptions& options, std::ostream& out) {
    const auto name = [&](const std::string& item) { return options.bytes ? item : Windows1252ToUtf8(item); };
    switch (options.format) {
        case OutputFormat::Tsv:
            for (const TallyRow& row : rows) out << name(row.item) << '\t' << row.total << kTsvLineEnd;
            break;
        case OutputFormat::Csv:
            if (!options.bytes) out << kUtf8Mark;
            out << "item,total\r\n";
            for (const TallyRow& row : rows) out << CsvQuoted(name(row.item)) << ',' << row.total << "\r\n";
            break;
        case OutputFormat::Json: {
            auto items = nlohmann::ordered_json::array();
            for (const TallyRow& row : rows) {
                items.push_back({{"item", Windows1252ToUtf8(row.item)}, {"total", row.total}});
            }
            out << items.dump(2) << '\n';
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
std::string NothingFound(const TallyOutcome& outcome, const TallyOptions& options) {
    if (outcome.logs.empty()) return "no ActionLog*.txt in '" + options.logDir + "'";
    std::string text = "no " + Windows1252ToUtf8(options.tag) + " record of ";
    text += options.player.empty() ? "an empty player ID" : Quoted(options.player);
    if (!outcome.similarPlayers.empty()) text += "; the logs have " + Listed(outcome.similarPlayers);
    if (options.player.empty()) text += " (name the player with --player ID)";
    return text;
}

}  // namespace

int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err) {
    for (const RunError& problem : outcome.problems) err << problem.what() << '\n';
    if (outcome.problemCount > outcome.problems.size()) {
        err << "vantor-tally: " << outcome.problemCount - outcome.problems.size() << " more problems\n";
    }
    WriteRows(outcome.rows, options, out);
    out.flush();
    if (outcome.rows.empty()) err << "vantor-tally: " << EscapeControlBytes(NothingFound(outcome, options)) << '\n';
    return outcome.problemCount > 0 ? 1 : 0;
}

}  // namespace vantor
