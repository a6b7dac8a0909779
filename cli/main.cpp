#include <iostream>

#include "cli/tally.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#include <vector>

// The arguments come as UTF-16 (wmain), so a folder named in any script
// reaches the analysis as UTF-8, as the window hands it over; argv of main()
// would hold them in the ANSI code page, which loses what it cannot show.
int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(arg.size() - 1);  // the converted terminator
        args.push_back(std::move(arg));
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());

    // Names are bytes: no CR put before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    return vantor::RunTally(argc, argv.data(), std::cout, std::cerr, _isatty(2) != 0);
}
#else
#include <unistd.h>

int main(int argc, char** argv) {
    return vantor::RunTally(argc, argv, std::cout, std::cerr, isatty(2) != 0);
}
#endif
