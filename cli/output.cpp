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

}  // namespace

int WriteOutcome(const TallyOutcome& outcome, const TallyOptions& options, std::ostream& out, std::ostream& err) {
    for (const RunError& problem : outcome.problems) err << problem.what() << '\n';
    if (outcome.problemCount > outcome.problems.size()) {
        err << "vantor-tally: " << outcome.problemCount - outcome.problems.size() << " more problems\n";
    }
    WriteRows(outcome.rows, options, out);
    out.flush();
    return outcome.problemCount > 0 ? 1 : 0;
}

}  // namespace vantor
