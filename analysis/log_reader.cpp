#include "analysis/log_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_file.h"
#include "analysis/path_text.h"
#include "analysis/window_state.h"
#include "store/cls_hash.h"
#include "store/numeric.h"
#include "store/run_error.h"


namespace vantor {

namespace {

// Replaces every `from` by `to`, scanning left to right, in place: `to` is
// never longer than `from`, so the text only shrinks.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t read = text.find(from);
    if (read == std::string::npos) return;
    std::size_t write = read;
    while (read < text.size()) {
        if (text.compare(read, from.size(), from) == 0) {
            std::copy(to.begin(), to.end(), text.begin() + static_cast<std::ptrdiff_t>(write));
            write += to.size();
            read += from.size();
        } else {
            text[write++] = text[read++];
        }
    }
    text.resize(write);
}

// Takes the records of one player and action and adds them to the store.
class RecordTaker {
public:
    RecordTaker(std::string playerId, std::string actionTag, clsHash& items, std::string fileName)
        : playerId_(std::move(playerId)),
          actionTag_(std::move(actionTag)),
          items_(items),
          fileName_(std::move(fileName)) {}

    void Line(std::string_view line, std::uint64_t number) {
        if (line.empty()) return;
        std::string_view fields[6];
        std::size_t start = 0;
        for (int i = 0; i < 5; ++i) {
            const std::size_t tab = line.find('\t', start);
            if (tab == std::string_view::npos) return;  // fewer than six fields
            fields[i] = line.substr(start, tab - start);
            start = tab + 1;
            if (i == 1 && fields[1] != playerId_) return;
        }
        fields[5] = line.substr(start, line.find('\t', start) - start);
        if (fields[3] != actionTag_) return;
        if (fields[5].find("Ore C.") != std::string_view::npos) return;
        try {
            Take(fields[5]);
        } catch (const RunError& error) {
            throw error.At(fileName_, number, std::string(fields[5]));
        }
    }

private:
    void Take(std::string_view entry) {
        std::string_view cleaned = entry;
        if (entry.find('\x81') != std::string_view::npos ||
            entry.find("(R)") != std::string_view::npos ||
            entry.find("(Y)") != std::string_view::npos) {
            scratch_.assign(entry);
            ReplaceAll(scratch_, "\x81\xA8", " ");
            ReplaceAll(scratch_, "\x81", "");
            ReplaceAll(scratch_, "(R)", "R");
            ReplaceAll(scratch_, "(Y)", "Y");
            cleaned = scratch_;
        }
        if (cleaned.empty()) {
            throw RunError(ErrorKind::InvalidArgument, "item entry is empty");
        }
        cleaned.remove_suffix(1);  // the quantity's closing bracket
        const std::size_t open = cleaned.find('(');
        if (open == std::string_view::npos) {
            throw RunError(ErrorKind::InvalidArgument,
                           "item entry '" + std::string(entry) + "' has no '(' before its end");
        }
        const std::string_view name = cleaned.substr(0, open);
        const std::string_view quantity = cleaned.substr(open + 1);
        std::int32_t amount = 0;
        try {
            amount = ToInt32(quantity);
        } catch (const RunError& error) {
            throw RunError(error.kind(), "quantity " + error.detail());
        }
        items_.AddToValue(name, amount);
    }

    const std::string playerId_;
    const std::string actionTag_;
    clsHash& items_;
    const std::string fileName_;
    std::string scratch_;
};

}  // namespace

void ProcessLogFile(const std::filesystem::path& path, WindowState& window, clsHash& items,
                    std::size_t blockSize) {
    // The window handles no events while a file is read, so both stay fixed.
    RecordTaker taker(window.PlayerId(), window.ActionTag(), items,
                      PathToUtf8(path.filename()));
    LogFile file(path);

    std::vector<char> buffer(std::max<std::size_t>(blockSize, 1));
    std::size_t kept = 0;     // bytes of an unfinished line at the buffer's start
    bool skipLineFeed = false;  // the last byte seen was a CR
    std::uint64_t lineNumber = 0;
    for (;;) {
        if (kept == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than a block
        const std::size_t got = file.Read(buffer.data() + kept, buffer.size() - kept);
        if (got == 0) break;

        const char* begin = buffer.data();
        const char* const end = buffer.data() + kept + got;
        const char* scan = begin + kept;  // the kept bytes hold no CR
        if (skipLineFeed) {
            if (*scan == '\n') begin = ++scan;
            skipLineFeed = false;
        }
        while (const void* found = std::memchr(scan, '\r', static_cast<std::size_t>(end - scan))) {
            const char* cr = static_cast<const char*>(found);
            taker.Line(std::string_view(begin, static_cast<std::size_t>(cr - begin)), ++lineNumber);
            begin = cr + 1;
            if (begin == end) {
                skipLineFeed = true;
            } else if (*begin == '\n') {
                ++begin;
            }
            scan = begin;
        }
        kept = static_cast<std::size_t>(end - begin);
        std::memmove(buffer.data(), begin, kept);
    }
    if (kept > 0) taker.Line(std::string_view(buffer.data(), kept), ++lineNumber);
}

}  // namespace vantor
