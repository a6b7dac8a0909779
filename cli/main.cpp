#include "cli/tally.h"

#ifdef _WIN32
#include <string>
#include <vector>

#include "vantor/text.h"

// The arguments come as UTF-16 (wmain), so a folder named in any script
// reaches the analysis as UTF-8, as the window hands it over; argv of main()
// would hold them in the ANSI code page, which loses what it cannot show.
int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(vantor::WideToUtf8(wargv[i]));
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    const vantor::StandardStreams standard;
    return vantor::RunTally(argc, argv.data(), standard.streams());
}
#else
int main(int argc, char** argv) {
    const vantor::StandardStreams standard;
    return vantor::RunTally(argc, argv, standard.streams());
}
#endif
