#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "vantor/text.h"
#include "ui/controls.h"
#include "ui/start_arguments.h"
#include "win32/win32_view.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; argv != nullptr && i < count; ++i) arguments.push_back(vantor::WideToUtf8(argv[i]));
    LocalFree(argv);
    const std::optional<vantor::StartArguments> start = vantor::ParseStartArguments(arguments);
    if (!start) {
        MessageBoxW(nullptr, vantor::Utf8ToWide(vantor::kStartUsage).c_str(),
                    vantor::Utf8ToWide(vantor::kFormCaption).c_str(), MB_OK | MB_ICONERROR);
        return 2;
    }
    vantor::win32::Win32View window(instance, *start);
    if (window.Window() == nullptr) return 1;
    window.Show(show);
    return window.Run();
}
