#include "cli/console.h"

#include <iostream>
#include <ostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vantor {

#ifdef _WIN32
StandardStreams::StandardStreams() : streams_(new Streams{std::cout, std::cerr, _isatty(2) != 0}) {
    _setmode(_fileno(stdout), _O_BINARY);
}
#else
StandardStreams::StandardStreams() : streams_(new Streams{std::cout, std::cerr, isatty(2) != 0}) {}
#endif

StandardStreams::~StandardStreams() {
    streams_->out.flush();
    streams_->err.flush();
}

}  // namespace vantor
