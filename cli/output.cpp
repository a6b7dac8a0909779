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

std::string CsvQuoted(std::string_view field) {
    std::string quoted(field.size() * 2 + 2, '\0');
    quoted.resize(csv_write(quoted.data(), quoted.size(), field.data(), field.size()));
    return quoted;
}

// tsv and csv with the names' bytes unchanged, json with the names decoded
// from Windows-1252 to UTF-8.
void WriteRows(const std::vector<TallyRow>& rows, const TallyOptions& options, std::ostream& out) {
    switch (options.format) {
        case OutputFormat::Tsv:
            for (const TallyRow& row : rows) out << row.item << '\t' << row.total << '\n';
            break;
        case OutputFormat::Csv:
            out << "item,total\r\n";
            for (const TallyRow& row : rows) out << CsvQuoted(row.item) << ',' << row.total << "\r\n";
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
