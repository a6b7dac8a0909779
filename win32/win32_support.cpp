#include "win32/win32_support.h"

#include <shlobj.h>

#include <cmath>
#include <cstring>
#include <cwchar>

#include "vantor/text.h"
#include "win32/resource.h"

namespace vantor::win32 {

namespace {

// The per-monitor DPI functions of Windows 10 1607 and later, looked up at
// run time so that the program still starts where they are missing.
struct DpiApi {
    decltype(&::GetDpiForWindow) getDpiForWindow;
    decltype(&::AdjustWindowRectExForDpi) adjustWindowRectExForDpi;
    decltype(&::SystemParametersInfoForDpi) systemParametersInfoForDpi;
    decltype(&::GetSystemMetricsForDpi) getSystemMetricsForDpi;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    // Through void (*)() so that GCC accepts the cast between function types.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DpiApi& Dpi() {
    static const DpiApi api = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return DpiApi{
            Lookup<decltype(&::GetDpiForWindow)>(user32, "GetDpiForWindow"),
            Lookup<decltype(&::AdjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi"),
            Lookup<decltype(&::SystemParametersInfoForDpi)>(user32, "SystemParametersInfoForDpi"),
            Lookup<decltype(&::GetSystemMetricsForDpi)>(user32, "GetSystemMetricsForDpi"),
        };
    }();
    return api;
}

int SystemDpi() {
    const WindowDc screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

}  // namespace

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool PutOnClipboard(HWND owner, std::wstring_view text) {
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return false;
    auto* units = static_cast<wchar_t*>(GlobalLock(memory));
    std::memcpy(units, text.data(), text.size() * sizeof(wchar_t));
    units[text.size()] = L'\0';
    GlobalUnlock(memory);
    // Once set, the memory is the clipboard's.
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!set) GlobalFree(memory);
    CloseClipboard();
    return set;
}

UINT WindowDpi(HWND window) {
    return Dpi().getDpiForWindow ? Dpi().getDpiForWindow(window) : static_cast<UINT>(SystemDpi());
}

int Metric(int index, UINT dpi) {
    return Dpi().getSystemMetricsForDpi ? Dpi().getSystemMetricsForDpi(index, dpi)
                                        : MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), SystemDpi());
}

RECT FrameAround(int width, int height, DWORD style, UINT dpi) {
    RECT rect{0, 0, width, height};
    if (Dpi().adjustWindowRectExForDpi) {
        Dpi().adjustWindowRectExForDpi(&rect, style, FALSE, 0, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, 0);
    }
    return rect;
}

HICON ProgramIcon(HINSTANCE instance, int metric) {
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANTOR), IMAGE_ICON, size, size, 0));
}

LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Dpi().systemParametersInfoForDpi) {
        Dpi().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    } else {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), SystemDpi());
    }
    return metrics.lfMessageFont;
}

double MessageFontPoints(UINT dpi) {
    return std::abs(MessageFont(dpi).lfHeight) * 72.0 / static_cast<double>(dpi);
}

Font CreateChosenFont(const FontChoice& choice, UINT dpi) {
    LOGFONTW font = MessageFont(dpi);
    font.lfHeight = -static_cast<LONG>(std::lround(choice.points * static_cast<double>(dpi) / 72.0));
    font.lfWidth = 0;
    if (!choice.face.empty()) lstrcpynW(font.lfFaceName, Utf8ToWide(choice.face).c_str(), LF_FACESIZE);
    return Font(CreateFontIndirectW(&font));
}

std::wstring UserDocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder))) return folder;
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile != nullptr ? profile : L"";
}

}  // namespace vantor::win32
