#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/form_view.h"
#include "ui/start_arguments.h"

namespace vantor::win32 {

// A GDI font, deleted with its owner.
class Font {
public:
    Font() = default;
    explicit Font(HFONT font) : mFont(font) {}
    Font(Font&& other) noexcept : mFont(std::exchange(other.mFont, nullptr)) {}
    Font& operator=(Font&& other) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font();

    HFONT get() const { return mFont; }

private:
    HFONT mFont = nullptr;
};

// The window in plain Win32: creates the controls of kControls (control IDs
// from ControlId), converts texts between UTF-8 and UTF-16, and hands every
// event to Form1. Positions and the font follow the window's DPI.
class Win32View final : public FormView {
public:
    // Creates the window, hidden, and loads Form1 with the command line's
    // arguments. Show it with ShowWindow.
    explicit Win32View(HINSTANCE instance, StartArguments arguments = {});
    ~Win32View() override;
    Win32View(const Win32View&) = delete;
    Win32View& operator=(const Win32View&) = delete;

    // The top-level window; null once it is destroyed.
    HWND Window() const { return mWindow; }
    static int ControlId(Control control);
    // The system menu's "About Vantor Log Analyzer..." command.
    static constexpr UINT kAboutCommand = 0x0010;
    // The list's context menu's "Copy" command (WM_COMMAND).
    static constexpr int kCopyCommand = 0x0020;

    // Runs the message loop until the window is closed; the exit code.
    int Run();

    // Test seams, in place of the modal calls: when set, MessageBoxW's
    // arguments go to `messageBox` instead, and the next file dialog is
    // answered by `nextFileDialog` (once), which gets the request as
    // GetOpenFileNameW would and returns what it would.
    std::function<void(HWND owner, std::wstring_view title, std::wstring_view text, UINT type)> messageBox;
    std::function<BOOL(OPENFILENAMEW& request)> nextFileDialog;

    // FormView
    std::string Text(Control control) override;
    void SetText(Control control, std::string_view text) override;
    void SetEnabled(Control control, bool enabled) override;
    void SetFocus(Control control) override;
    void SetChecked(Control option) override;
    void ClearList() override;
    void AddListItem(std::string_view text) override;
    int ListIndex() override;
    void SetClipboardText(std::string_view text) override;
    void ShowMessage(std::string_view title, std::string_view text) override;
    std::string ShowFileDialog(const FileDialogRequest& request) override;
    std::string UpperCase(std::string_view text) override;
    void PassEvents() override;
    void CloseWindow() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnActivate(bool active);
    void OnCommand(int id, int code);
    void OnListMenu(LPARAM point);
    void OnListMouseMove(LPARAM point);
    LPARAM OnTipText(NMTTDISPINFOW& tip);
    bool OnSysCommand(WPARAM command);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnClose();
    void OnDestroy();

    void Dispatch(MSG& message);
    void CreateControls();
    void LayOut();
    void CreateTip();
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR view);
    int ListRowAt(POINT point) const;
    void ShowMessageBox(std::wstring_view title, std::wstring_view text, UINT type);
    HWND Handle(Control control) const { return mControls[static_cast<std::size_t>(control)]; }

    HINSTANCE mInstance;
    StartArguments mArguments;
    HWND mWindow = nullptr;
    std::array<HWND, kControls.size()> mControls{};
    HWND mLastFocus = nullptr;  // given back when the window is activated again
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    Font mFont;
    HWND mTip = nullptr;     // the list's tooltip
    int mTipRow = -1;        // the row it was last shown for
    std::wstring mTipText;   // what it shows, kept while it asks
    Form1 mForm{*this};
};

}  // namespace vantor::win32
