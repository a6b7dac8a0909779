#include <iostream>

#include "cli/tally.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // names are bytes; no CR added before LF
#endif
    return vantor::RunTally(argc, argv, std::cout, std::cerr, isatty(2) != 0);
}
