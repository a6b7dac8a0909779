#include "cli/console.h"

#include <iostream>
#include <ostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "vantor/text.h"
#else
#include <unistd.h>
#endif

namespace vantor {

namespace {

// How much of `text` ends with a whole UTF-8 character.
std::size_t WholeCharacters(std::string_view text) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

constexpr std::size_t kPassAt = 4096;

#ifdef _WIN32
bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

void WriteConsoleText(HANDLE console, std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    DWORD written = 0;
    for (std::size_t at = 0; at < wide.size(); at += written) {
        // Older consoles refuse very long writes.
        const auto size = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
        if (!WriteConsoleW(console, wide.data() + at, size, &written, nullptr) || written == 0) return;
    }
}
#endif

}  // namespace

ConsoleBuffer::~ConsoleBuffer() { Pass(true); }

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    if (pending_.size() >= kPassAt) Pass(false);
    return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* text, std::streamsize size) {
    pending_.append(text, static_cast<std::size_t>(size));
    if (pending_.size() >= kPassAt) Pass(false);
    return size;
}

int ConsoleBuffer::sync() {
    Pass(false);
    return 0;
}

void ConsoleBuffer::Pass(bool all) {
    const std::size_t whole = all ? pending_.size() : WholeCharacters(pending_);
    if (whole == 0) return;
    write_(std::string_view(pending_).substr(0, whole));
    pending_.erase(0, whole);
}

#ifdef _WIN32
StandardStreams::StandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    const bool outIsConsole = IsConsole(out), errIsConsole = IsConsole(err);
    if (outIsConsole) {
        outBuffer_ = std::make_unique<ConsoleBuffer>([out](std::string_view text) { WriteConsoleText(out, text); });
        outConsole_ = std::make_unique<std::ostream>(outBuffer_.get());
    }
    if (errIsConsole) {
        errBuffer_ = std::make_unique<ConsoleBuffer>([err](std::string_view text) { WriteConsoleText(err, text); });
        errConsole_ = std::make_unique<std::ostream>(errBuffer_.get());
    }
    streams_.reset(new Streams{outIsConsole ? *outConsole_ : std::cout, errIsConsole ? *errConsole_ : std::cerr,
                               errIsConsole, outIsConsole});
}
#else
StandardStreams::StandardStreams() : streams_(new Streams{std::cout, std::cerr, isatty(2) != 0, false}) {}
#endif

StandardStreams::~StandardStreams() {
    streams_->out.flush();
    streams_->err.flush();
}

}  // namespace vantor
