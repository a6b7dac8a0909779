#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "win32/win32_support.h"

namespace vantor::win32 {

// A message of the program's own in place of MessageBoxW, whose Ctrl+C does
// not copy everywhere (Wine's copies nothing): the icon of its kind, the
// text in a read-only edit box (any part of it can be selected and copied;
// a long one scrolls), Copy, which puts the whole text on the clipboard,
// and OK. Ctrl+C copies the whole text too unless a part of it is selected.
// It is laid out at `dpi` in the message font, centred on its owner, which
// is disabled while it is open. Closed by OK, Enter, Escape or its close box.
class MessageDialog {
public:
    // Control IDs; OK is IDOK.
    enum ControlId : int { kText = 300, kCopy };

    // Opens it; `icon` is MB_ICONERROR, MB_ICONWARNING or MB_ICONINFORMATION.
    MessageDialog(HINSTANCE instance, HWND owner, UINT dpi, std::wstring_view title, std::wstring_view text, UINT icon);
    ~MessageDialog();
    MessageDialog(const MessageDialog&) = delete;
    MessageDialog& operator=(const MessageDialog&) = delete;

    // Null once it is closed.
    HWND Window() const { return mWindow; }
    // Its keys, for the message loop: Ctrl+C, then the dialog keys. True
    // when it took the message.
    bool PreTranslate(MSG& message);

private:
    template <typename View>
    friend LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls(HINSTANCE instance);
    void Copy() const;
    void Close();

    HWND mOwner;
    HWND mWindow = nullptr;
    UINT mDpi;
    std::wstring mText;  // with CR LF line ends, as the edit box and the clipboard take it
    Font mFont;
    HICON mIcon = nullptr;
    HWND mFocus = nullptr;  // given back when it is activated again
};

}  // namespace vantor::win32
