#pragma once

#include <iosfwd>
#include <memory>

namespace vantor {

// Where vantor-tally writes, and what main() found out about it.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // someone watches: each log is named as it is read
};

// The process's standard output and error; on Windows standard output gets
// the bytes as they are (no CR put before each LF).
class StandardStreams {
public:
    StandardStreams();
    ~StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
    const Streams& streams() const { return *streams_; }

private:
    std::unique_ptr<Streams> streams_;
};

}  // namespace vantor
