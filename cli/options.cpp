#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "vantor/code_page.h"
#include "vantor/tally.h"
#include "vantor/run_error.h"
#include "vantor_version.h"

namespace vantor {

namespace {

constexpr const char* kUsage =
    "Usage: vantor-tally [--player ID] [--action pickup|sell|buy|shop|all] [OPTIONS] [LOG_DIR]\n"
    "'vantor-tally --help' lists every option.\n";
constexpr const char* kVersionLine = "vantor-tally " VANTOR_VERSION;

// "'Ā' (U+0100)"; a C1 control by its number only.
std::string CharacterName(char32_t c) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(c));
    if (c < 0xA0) return number;
    return "'" + Utf8Of(c) + "' (" + number + ")";
}

// The logs write action tags in their code page, and the window converts
// what is typed into it. So does the command line: an argument that is valid
// UTF-8 (always, on Windows, where they arrive as UTF-16) is converted, and
// any other is taken as the bytes it is, so that a script can still pass a
// log's own bytes. Returns the usage error, if any.
std::optional<std::string> ToLogBytes(std::string_view option, std::string& text, const CodePage& codePage) {
    CodePage::Encoded converted = codePage.FromUtf8(text);
    if (converted.bytes) {
        text = std::move(*converted.bytes);
        return std::nullopt;
    }
    return std::string(option) + ": " + CharacterName(converted.unwritable) + " is not a character of " +
           codePage.Name() + ", the code page of the logs";
}

// "874, 1250, ... and 1258".
std::string CodePageNumbers() {
    std::string text;
    for (std::size_t i = 0; i < kCodePages.size(); ++i) {
        if (i > 0) text += i + 1 == kCodePages.size() ? " or " : ", ";
        text += std::to_string(kCodePages[i].number);
    }
    return text;
}

// CLI11's own message for a value it cannot convert names the type, not what
// a player should type.
CLI::Validator WholeNumber(unsigned long long least, unsigned long long most, std::string wanted) {
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            unsigned long long value = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc() && end == text.data() + text.size() && value >= least && value <= most) {
                return {};
            }
            return "'" + text + "' is not " + wanted;
        },
        "");
}

// An argument CLI11 could not place: an option it does not know is named as
// such, even when it pushed a folder out of LOG_DIR.
std::string Unexpected(const std::vector<std::string>& extras, const std::string& logDir) {
    for (const std::string& extra : extras) {
        if (extra.size() > 1 && extra.front() == '-') {
            return "unknown option '" + extra.substr(0, extra.find('=')) + "'";
        }
    }
    return "'" + extras.front() + "' is one argument too many (the folder is '" + logDir +
           "'; quote a folder whose name holds spaces)";
}

}  // namespace

std::string UsageError(std::string_view error) {
    return "vantor-tally: " + EscapeControlBytes(error) + "\n" + kUsage;
}

ParsedArguments ParseArguments(int argc, const char* const* argv) {
    static const std::map<std::string, OutputFormat> kFormats = {
        {"tsv", OutputFormat::Tsv}, {"csv", OutputFormat::Csv}, {"json", OutputFormat::Json}};

    TallyOptions options;
    std::string action(kActions[0].keyword);
    std::string tag;
    std::string format = "tsv";

    CLI::App app("Sums, item by item, what one player picked up, sold or bought in the action logs of a folder.",
                 "vantor-tally");
    app.allow_extras();
    // On Windows CLI11 would take "/Users/alia/LOG" for an option /Users.
    app.allow_windows_style_options(false);
    app.add_option("--player", options.player, "Player ID (default: empty)")->type_name("ID");
    std::vector<std::string> keywords;
    for (const Action& entry : kActions) keywords.emplace_back(entry.keyword);
    keywords.emplace_back("all");
    auto* actionOption = app.add_option("--action", action,
                                        "pickup (default), sell, buy or shop; all: the four side by side, "
                                        "with net = pickup - sell + buy + shop, each full name its own row")
                             ->check(CLI::IsMember(keywords))
                             ->type_name("ACTION");
    auto* tagOption = app.add_option("--tag", tag, "Any action tag instead, e.g. '[Pickup]'")->type_name("TEXT");
    actionOption->excludes(tagOption);
    app.add_option("--format", format, "tsv (default), csv or json")
        ->check(CLI::IsMember({"tsv", "csv", "json"}))
        ->type_name("FORMAT");
    app.add_flag("--bytes", options.bytes,
                 "tsv and csv: item names as the logs' bytes, not UTF-8 (json is always UTF-8)");
    unsigned codePage = 0;
    auto* codePageOption =
        app.add_option("--code-page", codePage,
                       "The logs' code page: 874 (Thai), 1250 (Central European), 1251 (Cyrillic), 1252 (Western), "
                       "1253 (Greek), 1254 (Turkish), 1255 (Hebrew), 1256 (Arabic), 1257 (Baltic) or 1258 "
                       "(Vietnamese); default: the system's, or that of the Wine prefix holding LOG_DIR")
            ->check(CLI::Validator(
                [](std::string& text) -> std::string {
                    unsigned value = 0;
                    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
                    if (error == std::errc() && end == text.data() + text.size() && FindCodePage(value) != nullptr) {
                        return {};
                    }
                    return "'" + text + "' is not " + CodePageNumbers();
                },
                ""))
            ->type_name("N");
    app.add_flag("--by-log", options.byLog, "A column per log after the total");
    auto* fromOption = app.add_option("--from", options.from, "The first log to count (a name of LOG_DIR)")
                           ->type_name("LOG");
    auto* toOption = app.add_option("--to", options.to, "The last log to count")->type_name("LOG");
    app.add_option("--last", options.last, "Only the last N logs (--last 1: today's)")
        ->check(WholeNumber(1, std::numeric_limits<std::size_t>::max(), "a whole number of 1 or more"))
        ->type_name("N")
        ->excludes(fromOption)
        ->excludes(toOption);
    app.add_flag("--exact-names", options.exactNames,
                 "Each full item name its own row, in the order first met: not the totals the game's tool shows, "
                 "which add \"Potion\" to \"Red Potion\" and cut names at 40 bytes");
    options.jobs = std::max(1u, std::thread::hardware_concurrency());
    app.add_option("--jobs", options.jobs, "Logs read at once, 1 to 256 (default: the number of cores)")
        ->check(WholeNumber(1, 256, "a whole number from 1 to 256"))
        ->type_name("N");
    app.add_flag("--progress", options.progress, "Name each log on stderr as it is read");
    app.add_flag("--follow", options.follow,
                 "Go on while the game writes its logs: the whole tally again each time it changes, until Ctrl+C");
    app.add_flag("--players", options.players,
                 "List the player IDs of the logs instead, most records first (tsv: ID<TAB>records)")
        ->excludes(actionOption)
        ->excludes(tagOption)
        ->excludes(fromOption)
        ->excludes(toOption)
        ->excludes("--player")
        ->excludes("--by-log")
        ->excludes("--last")
        ->excludes("--exact-names")
        ->excludes("--follow");
    auto* folderOption =
        app.add_option("LOG_DIR", options.logDir, "Folder holding ActionLog*.txt (default: the game's)");
    app.set_version_flag("--version", kVersionLine, "Print the version and exit");

#ifdef _WIN32
    // The Windows way of asking for help; '?' cannot be in a folder's name.
    if (std::any_of(argv + 1, argv + argc, [](const char* arg) { return std::string_view(arg) == "/?"; })) {
        return {std::pair{0, app.help()}};
    }
#endif
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion&) {
        return {std::pair{0, std::string(kVersionLine) + "\n"}};
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return {std::pair{0, app.help()}};
        return {std::pair{2, UsageError(error.what())}};
    }
    if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
        return {std::pair{2, UsageError(Unexpected(extras, options.logDir))}};
    }
    const auto chosen = std::find_if(kActions.begin(), kActions.end(),
                                     [&](const Action& entry) { return entry.keyword == action; });
    options.allActions = chosen == kActions.end() && tagOption->count() == 0;
    options.tag = tagOption->count() > 0 ? tag : std::string(options.allActions ? kActions[0].tag : chosen->tag);
    if (options.allActions && (options.byLog || options.follow)) {
        return {std::pair{2, UsageError(std::string("--action all: no ") + (options.byLog ? "--by-log" : "--follow") +
                                        " with the four actions")}};
    }
    options.format = kFormats.at(format);
    if (options.bytes && options.format == OutputFormat::Json) {
        return {std::pair{2, UsageError("--bytes: json is always UTF-8")}};
    }
    if (folderOption->count() == 0) options.logDir = DefaultLogFolder();
#ifdef _WIN32
    // "C:\LOG\" arrives as C:\LOG": Windows takes \" for a quote inside the
    // argument. A folder's name cannot hold a quote, so it was the backslash.
    if (options.logDir.ends_with('"')) options.logDir.back() = '\\';
#endif
    options.codePage = codePageOption->count() > 0 ? codePage : AutomaticCodePage(options.logDir);
    if (const std::optional<std::string> error = ToLogBytes("--tag", options.tag, CodePage(options.codePage))) {
        return {std::pair{2, UsageError(*error)}};
    }
    try {
        PlayerBytes({options.player, options.tag, {}, options.codePage});
    } catch (const RunError& unwritable) {
        return {std::pair{2, UsageError("--player: " + unwritable.detail() + "; choose another with --code-page")}};
    }
    return {options};
}

}  // namespace vantor
