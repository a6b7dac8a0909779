#include <windows.h>

#include "win32/win32_view.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    vantor::win32::Win32View window(instance);
    if (window.Window() == nullptr) return 1;
    ShowWindow(window.Window(), show);
    return window.Run();
}
