#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace vantor {

// Where vantor-tally writes, and what main() found out about it.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // someone watches: a slow analysis shows its progress
    bool outIsConsole = false;   // a Windows console: it shows characters, so never --bytes
    std::chrono::milliseconds progressDelay{1000};
};

// Collects UTF-8 text and hands it on in whole characters (a character cut
// by a flush waits for its end), for a console that takes characters.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(std::function<void(std::string_view)> write) : write_(std::move(write)) {}
    ~ConsoleBuffer() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    void Pass(bool all);

    std::function<void(std::string_view)> write_;
    std::string pending_;
};

// The process's standard output and error. On Windows a console is written
// through the console's wide-character API, so that any character shows
// whatever the console's code page; anything else gets the bytes as they
// are (no CR put before each LF).
class StandardStreams {
public:
    StandardStreams();
    ~StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
    const Streams& streams() const { return *streams_; }

private:
    std::unique_ptr<ConsoleBuffer> outBuffer_, errBuffer_;
    std::unique_ptr<std::ostream> outConsole_, errConsole_;
    std::unique_ptr<Streams> streams_;
};

}  // namespace vantor
