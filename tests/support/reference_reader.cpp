#include "tests/support/reference_reader.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include "analysis/log_reader.h"
#include "analysis/record_search.h"
#include "vantor/run_error.h"
#include "tests/support/process_state.h"
#include "tests/support/store_model.h"
#include "tests/support/temp_dir.h"

namespace vantor::testing {

namespace {

// The records taken, in order, then those skipped, each with its line and entry.
struct ReadResult : RecordSink {
    std::string text = "records";
    std::string skipped;
    void Take(std::string_view name, std::int32_t quantity) override {
        text += " '" + std::string(name) + "' " + std::to_string(quantity) + ",";
    }
    void Skip(const RunError& error, std::uint64_t line, std::string_view item) {
        // Appended: GCC 12 at -O3 takes " " + ... for an overlapping copy (-Wrestrict).
        skipped.append(" ").append(KindName(error.kind())).append(" at line ").append(std::to_string(line));
        skipped.append(" in '").append(item).append("'");
    }
    std::uint64_t end = 0;
    bool tookUnended = false;
    std::string Text() const {
        return text + (skipped.empty() ? "" : ", skipped" + skipped) + ", end " + std::to_string(end) + (tookUnended ? "+" : "");
    }
};

// Every `from` replaced by `to`, left to right.
std::string Replace(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t i = text.find(from); i != std::string::npos; i = text.find(from, i + to.size())) {
        text.replace(i, from.size(), to);
    }
    return text;
}

// When the log is being written, a last line without a line end is left out.
void ReferenceRead(std::string_view log, std::string_view playerId, std::string_view actionTag, bool beingWritten,
                   ReadResult& result) {
    // Lines end at CR; a LF right after a CR belongs to the line end.
    std::vector<std::string> lines{""};
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] != '\r') {
            lines.back() += log[i];
        } else {
            lines.emplace_back();
            if (i + 1 < log.size() && log[i + 1] == '\n') ++i;
        }
    }
    // Where the reading stops: past the last line end, and the line after it
    // taken as a record when the log is finished.
    const std::size_t lastCr = log.rfind('\r');
    result.end = lastCr == std::string_view::npos ? 0 : lastCr + 1 + (log.substr(lastCr + 1, 1) == "\n");
    if (beingWritten) lines.back().clear();  // ended by the end of the file: maybe half written
    for (std::size_t number = 1; number <= lines.size(); ++number) {
        const std::string& line = lines[number - 1];
        std::vector<std::string> fields;
        for (std::size_t from = 0, tab = 0; tab != std::string::npos; from = tab + 1) {
            tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
        }
        if (fields.size() < 6 || fields[5].find("Ore C.") != std::string::npos || fields[1] != playerId ||
            fields[3] != actionTag) {
            continue;
        }
        if (number == lines.size() && !line.empty()) result.tookUnended = true;
        const std::string entry =
            Replace(Replace(Replace(Replace(fields[5], "\x81\xA8", " "), "\x81", ""), "(R)", "R"), "(Y)", "Y");
        const std::size_t open = entry.empty() ? std::string::npos : entry.substr(0, entry.size() - 1).find('(');
        try {
            if (open == std::string::npos) throw RunError(ErrorKind::InvalidArgument, "");
            result.Take(entry.substr(0, open), ReferenceToInt32(entry.substr(open + 1, entry.size() - open - 2)));
        } catch (const RunError& error) {
            result.Skip(error, number, fields[5]);
        }
    }
}

}  // namespace

std::string ReadDifference(const std::filesystem::path& file, std::string_view input) {
    static const std::vector<detail::SearchPath> paths = detail::SupportedSearchPaths();
    if (input.size() < 5) return {};
    const auto header = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
    // Below 0xC0, blocks of 1 to 64 bytes; from 0xC0, the default.
    detail::ReadPlan plan;
    if (header(0) < 0xC0) plan.blockBytes = header(0) % 64 + 1;
    // The search path; whether a log larger than a page is read, mapped a
    // page at a time, or both, the way measured anew; whether another
    // program holds it for writing.
    const detail::SearchPath path = paths[header(1) % paths.size()];
    const auto way = static_cast<detail::ReadPlan::Way>(header(1) / paths.size() % 3);
    const char* const wayNames[] = {", measured", ", read", ", mapped"};
    plan.way = way;
    plan.spanBytes = 4096;
    const bool beingWritten = header(1) / paths.size() / 3 % 2 == 1;
    std::string_view rest = input.substr(5);
    const std::string_view playerId = rest.substr(0, header(2) % 32);
    rest.remove_prefix(playerId.size());
    const std::string_view actionTag = rest.substr(0, header(3) % 32);
    rest.remove_prefix(actionTag.size());
    std::string log;
    // From 0xE0, 2 to 33 copies: lines longer than a block or a page.
    for (int copies = header(4) < 0xE0 ? 1 : header(4) - 0xDE; copies > 0; --copies) log += rest;
    WriteFile(file, log);

    ReadResult got;
    ReadResult want;
    {
        const ScopedSearchPath searchPath(path);
        const ScopedReadPlan readPlan(plan);
        // EINVAL: a system that cannot tell who holds the log, which is unchanged.
        const ScopedFileFaults writers({{}, {}, {}, [&](const auto&) { return beingWritten ? EAGAIN : EINVAL; }});
        SkippedRecords skipped;
        try {
            const LogEnd end = ProcessLogFile(file, {std::string(playerId), std::string(actionTag)}, got, skipped);
            got.end = end.complete;
            got.tookUnended = end.tookUnended;
        } catch (const RunError& error) {
            got.text += " then " + std::string(error.what());
        }
        for (const RunError& record : skipped.kept) got.Skip(record, record.line(), record.item());
    }
    ReferenceRead(log, playerId, actionTag, beingWritten, want);
    if (got.Text() == want.Text()) return {};
    return EscapeControlBytes("ID '" + std::string(playerId) + "', tag '" + std::string(actionTag) + "', block " +
                              std::to_string(plan.blockBytes) + wayNames[static_cast<int>(way)] + ", " +
                              detail::SearchPathName(path) + (beingWritten ? ", being written" : "") + ": ProcessLogFile " +
                              got.Text() + "; literal reading " + want.Text());
}

}  // namespace vantor::testing
