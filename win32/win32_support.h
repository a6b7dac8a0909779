#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "ui/font_fit.h"

// What both windows need of Windows: handles that free themselves, the
// display scale, the system's fonts.
namespace vantor::win32 {

// A GDI object (font, pen, brush, bitmap), deleted with its owner.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : mHandle(handle) {}
    GdiObject(GdiObject&& other) noexcept : mHandle(std::exchange(other.mHandle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            if (mHandle != nullptr) DeleteObject(mHandle);
            mHandle = std::exchange(other.mHandle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (mHandle != nullptr) DeleteObject(mHandle);
    }

    Handle get() const { return mHandle; }

private:
    Handle mHandle = nullptr;
};

using Font = GdiObject<HFONT>;
using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

// `object` selected into `dc` for the scope's life.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : mDc(dc), mPrevious(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(mDc, mPrevious); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC mDc;
    HGDIOBJ mPrevious;
};

// A window's device context for the scope's life.
class WindowDc {
public:
    explicit WindowDc(HWND window) : mWindow(window), mDc(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(mWindow, mDc); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return mDc; }

private:
    HWND mWindow;
    HDC mDc;
};

// A memory device context for drawing off screen, deleted with its owner.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : mDc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(mDc); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return mDc; }

private:
    HDC mDc;
};

std::wstring WindowText(HWND window);
// Puts `text` on the clipboard (CF_UNICODETEXT) in place of what it held;
// false when the clipboard could not be had.
bool PutOnClipboard(HWND owner, std::wstring_view text);

// The window's dots per inch (the system's where Windows cannot tell it per
// window), a system metric and a frame at a given DPI.
UINT WindowDpi(HWND window);
// The user's Documents folder, else the profile folder.
std::wstring UserDocumentsFolder();
int Metric(int index, UINT dpi);
// The window rectangle, at the origin, around a client area of `width` by `height`.
RECT FrameAround(int width, int height, DWORD style, UINT dpi);
// `pixels` at 96 dpi, at `dpi`.
inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); }

// The program's icon (IDI_VANTOR) in the size of the system metric `metric`
// (SM_CXICON, SM_CXSMICON), square.
HICON ProgramIcon(HINSTANCE instance, int metric);

// The font of message boxes at `dpi`, and its size in points.
LOGFONTW MessageFont(UINT dpi);
double MessageFontPoints(UINT dpi);
// `choice` at `dpi`: its face and size over the message font (an empty face
// keeps the message font's).
Font CreateChosenFont(const FontChoice& choice, UINT dpi);

// The window procedure of a window that belongs to a view object: the view,
// handed over as CreateWindowExW's last argument, is kept in the window's
// user data and gets every message in HandleMessage; its mWindow is the
// window from its first message to its last. A view befriends it.
template <typename View>
LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    View* view = nullptr;
    if (message == WM_NCCREATE) {
        view = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        view->mWindow = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    } else {
        view = reinterpret_cast<View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = view->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->mWindow = nullptr;
    }
    return result;
}

}  // namespace vantor::win32
