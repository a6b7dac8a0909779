#include "cli/tally.h"

#include <csv.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <thread>

#include "analysis/tally.h"
#include "cli/follow.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "store/windows1252.h"
#include "vantor_version.h"

namespace vantor {

namespace {

constexpr const char* kUsage =
    "Usage: vantor-tally [--player ID] [--action pickup|sell|buy|shop | --tag TEXT] "
    "[--format tsv|csv|json] [--jobs N] [--follow] LOG_DIR";
constexpr const char* kVersionLine = "vantor-tally " VANTOR_VERSION;

// Announces each log on stderr as it is read.
class Progress : public ScanObserver {
public:
    explicit Progress(std::ostream& err) : err_(err) {}
    bool BeforeLog(std::string_view name, std::size_t, std::size_t) override {
        err_ << EscapeControlBytes("Processing " + std::string(name)) << '\n';
        err_.flush();
        return true;
    }

private:
    std::ostream& err_;
};

// "'Ā' (U+0100)"; a C1 control by its number only.
std::string CharacterName(char32_t c) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(c));
    if (c < 0xA0) return number;
    std::string glyph;
    if (c < 0x800) {
        glyph = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
        glyph = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))};
    } else {
        glyph = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                 static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return "'" + glyph + "' (" + number + ")";
}

// The logs write player IDs and action tags in Windows-1252, and the window
// converts what is typed into it. So does the command line: an argument that
// is valid UTF-8 (always, on Windows, where they arrive as UTF-16) is
// converted, and any other is taken as the bytes it is, so that a script can
// still pass a log's own bytes. Returns the usage error, if any.
std::optional<std::string> ToLogBytes(std::string_view option, std::string& text) {
    Windows1252Conversion converted = ConvertUtf8ToWindows1252(text);
    if (converted.bytes) text = std::move(*converted.bytes);
    if (!converted.unwritable) return std::nullopt;
    return std::string(option) + ": " + CharacterName(*converted.unwritable) +
           " is not a character of Windows-1252, the code page of the logs";
}

std::string CsvQuoted(std::string_view field) {
    std::string quoted(field.size() * 2 + 2, '\0');
    quoted.resize(csv_write(quoted.data(), quoted.size(), field.data(), field.size()));
    return quoted;
}

}  // namespace

ParsedArguments ParseArguments(int argc, const char* const* argv) {
    static const std::map<std::string, OutputFormat> kFormats = {
        {"tsv", OutputFormat::Tsv}, {"csv", OutputFormat::Csv}, {"json", OutputFormat::Json}};

    TallyOptions options;
    std::string action(kActions[0].keyword);
    std::string tag;
    std::string format = "tsv";

    CLI::App app("Sums, item by item, what one player picked up, sold or bought in the "
                 "action logs of a folder.",
                 "vantor-tally");
    app.add_option("--player", options.player, "Player ID (default: empty)");
    std::vector<std::string> keywords;
    for (const Action& entry : kActions) keywords.emplace_back(entry.keyword);
    auto* actionOption = app.add_option("--action", action, "pickup (default), sell, buy or shop")
                             ->check(CLI::IsMember(keywords));
    auto* tagOption = app.add_option("--tag", tag, "Any action tag instead, e.g. '[Pickup]'");
    actionOption->excludes(tagOption);
    app.add_option("--format", format, "tsv (default), csv or json")
        ->check(CLI::IsMember({"tsv", "csv", "json"}));
    options.jobs = std::max(1u, std::thread::hardware_concurrency());
    app.add_option("--jobs", options.jobs, "Logs read at once (default: the number of cores)")
        ->check(CLI::Range(1u, 256u));
    app.add_flag("--follow", options.follow, "Print the tally again each time the logs change it, until Ctrl+C");
    app.add_option("LOG_DIR", options.logDir, "Folder holding ActionLog*.txt")->required();
    app.set_version_flag("--version", kVersionLine, "Print the version and exit");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion&) {
        return {std::pair{0, std::string(kVersionLine) + "\n"}};
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return {std::pair{0, app.help()}};
        return {std::pair{2, "vantor-tally: " + EscapeControlBytes(error.what()) + "\n" + kUsage + "\n"}};
    }
    const auto chosen = std::find_if(kActions.begin(), kActions.end(),
                                     [&](const Action& entry) { return entry.keyword == action; });
    options.tag = tagOption->count() > 0 ? tag : std::string(chosen->tag);
    options.format = kFormats.at(format);
    for (const auto& [option, text] : {std::pair{"--player", &options.player}, std::pair{"--tag", &options.tag}}) {
        if (const std::optional<std::string> error = ToLogBytes(option, *text)) {
            return {std::pair{2, "vantor-tally: " + *error + "\n" + kUsage + "\n"}};
        }
    }
    return {options};
}

void WriteTally(const Tally& tally, OutputFormat format, std::ostream& out) {
    switch (format) {
        case OutputFormat::Tsv:
            for (const auto& [item, total] : tally) out << item << '\t' << total << '\n';
            break;
        case OutputFormat::Csv:
            out << "item,total\r\n";
            for (const auto& [item, total] : tally) out << CsvQuoted(item) << ',' << total << "\r\n";
            break;
        case OutputFormat::Json: {
            auto list = nlohmann::ordered_json::array();
            for (const auto& [item, total] : tally) {
                list.push_back({{"item", Windows1252ToUtf8(item)}, {"total", total}});
            }
            out << list.dump(2) << '\n';
            break;
        }
    }
}

int RunTally(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool progress) {
    const ParsedArguments parsed = ParseArguments(argc, argv);
    if (const auto* stop = std::get_if<std::pair<int, std::string>>(&parsed.outcome)) {
        (stop->first == 0 ? out : err) << stop->second;
        return stop->first;
    }
    const auto& options = std::get<TallyOptions>(parsed.outcome);
    if (options.follow) return FollowTally(options, out, err);

    Progress announce(err);
    clsHash items;
    TallyOutcome outcome;
    try {
        outcome = TallyFolder(options.logDir, {options.player, options.tag}, items, progress ? &announce : nullptr,
                              {options.jobs});
    } catch (const RunError& missing) {
        err << "vantor-tally: " << EscapeControlBytes(missing.detail()) << '\n';
        return 1;
    }
    for (const RunError& problem : outcome.problems) err << problem.what() << '\n';
    if (outcome.problemCount > outcome.problems.size()) {
        err << "vantor-tally: " << outcome.problemCount - outcome.problems.size() << " more problems\n";
    }

    Tally tally;
    tally.reserve(outcome.rows.size());
    for (const TallyRow& row : outcome.rows) tally.emplace_back(row.item, static_cast<std::int32_t>(row.total));
    WriteTally(tally, options.format, out);
    out.flush();
    return outcome.problemCount > 0 ? 1 : 0;
}

}  // namespace vantor
