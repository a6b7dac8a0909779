#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/form_view.h"
#include "ui/start_arguments.h"
#include "win32/player_offer.h"
#include "win32/settings.h"
#include "win32/win32_support.h"

namespace vantor::win32 {

class AllActionsWindow;
class ByLogWindow;
class MessageDialog;

// The window in plain Win32: creates the controls of kControls (control IDs
// from ControlId) and the menus of kCommands, converts texts between UTF-8
// and UTF-16, and hands every event to Form1. Positions and the font follow
// the window's DPI; made larger, the controls follow their anchors
// (PlaceControl). The window's place and size are remembered in `settings`.
class Win32View final : public FormView {
public:
    // Creates the window, hidden, where it was last closed, and loads Form1
    // with the command line's arguments and what `settings` remembers.
    explicit Win32View(HINSTANCE instance, StartArguments arguments = {},
                       Settings settings = Settings::ForThisProgram());
    ~Win32View() override;
    Win32View(const Win32View&) = delete;
    Win32View& operator=(const Win32View&) = delete;

    // The top-level window; null once it is destroyed.
    HWND Window() const { return mWindow; }
    // The By log window while it is open, else null.
    HWND ByLogWindowHandle() const;
    // The All Actions window while it is open, else null.
    HWND AllActionsWindowHandle() const;
    const Form1& Form() const { return mForm; }
    // The list of the player IDs offered under the Player ID box, a popup
    // of its own; hidden while none are offered.
    HWND PlayerList() const { return mOffer->List(); }
    static int ControlId(Control control);
    // A command's ID in the system menu (WM_SYSCOMMAND) and the list's
    // context menu (WM_COMMAND).
    static UINT CommandId(Command command);

    // Shows the window as ShowWindow's `command` says; a plain show
    // maximises it when it was maximised as it was last closed.
    void Show(int command);
    // Runs the message loop until the window is closed; the exit code.
    int Run();
    // What the message loop does with one message: the menu's Ctrl keys,
    // the dialog keys of whichever window it is for, then its window procedure.
    void Dispatch(MSG& message);

    // Test seams, in place of the modal calls: when set, a message box's
    // arguments go to `messageBox` instead, and the next file dialog is
    // answered by `nextFileDialog` (once), which gets the request as
    // GetOpenFileNameW would and returns what it would.
    std::function<void(HWND owner, std::wstring_view title, std::wstring_view text, UINT type)> messageBox;
    // When set (and messageBox is not), called with the program's message
    // box (MessageDialog) as it opens, before it waits for its answer: a
    // test drives it by messages and closes it.
    std::function<void(HWND dialog)> messageShown;
    std::function<BOOL(OPENFILENAMEW& request)> nextFileDialog;

    // FormView
    std::string Text(Control control) override;
    void SetText(Control control, std::string_view text) override;
    void SetEnabled(Control control, bool enabled) override;
    void SetFocus(Control control) override;
    void SetChecked(Control option) override;
    void SetListItems(const std::vector<std::string>& items) override;
    void AppendListItems(const std::vector<std::string>& items) override;
    void ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) override;
    int ListIndex() override;
    void SetListIndex(int index) override;
    void ShowSuggestions(const std::vector<std::string>& players) override;
    void SetClipboardText(std::string_view text) override;
    void ShowMessage(std::string_view title, std::string_view text, MessageKind kind) override;
    std::string ShowFileDialog(const FileDialogRequest& request) override;
    std::string DocumentsFolder() override;
    std::string UpperCase(std::string_view text) override;
    void Post(std::function<void()> work) override;
    void CloseWindow() override;
    void ShowByLog(ByLogForm& form) override;
    void ShowAllActions(AllActionsForm& form) override;
    std::optional<std::string> LoadSetting(std::string_view name) override;
    void SaveSetting(std::string_view name, std::string_view value) override;

private:
    template <typename View>
    friend LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnActivate(bool active);
    void OnCommand(int id, int code);
    void OnListMenu(LPARAM point);
    void OnInitMenu(HMENU menu);
    void OnListMouseMove(LPARAM point);
    LPARAM OnTipText(NMTTDISPINFOW& tip);
    bool OnMenuCommand(UINT id);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnMinMaxInfo(MINMAXINFO& limits) const;
    void OnPosted();
    void OnClose();
    void OnDestroy();

    void CreateControls();
    void CreateAccelerators();
    void LayOut();
    void PlaceControls();
    void WidenList(const std::vector<std::wstring>& texts);
    // The window's client area at its first size, which is also its least.
    SIZE FirstClientSize() const;
    void RestorePlacement();
    void SavePlacement() const;
    void CreateTip();
    void AddListItems(const std::vector<std::string>& items);
    void RelayToTip(MSG& message);
    int ListRowAt(POINT point) const;
    // The window a dialog or message box is to be owned by: the By log or
    // All Actions window when it is the active one.
    HWND DialogOwner() const;
    void ShowMessageBox(std::wstring_view title, std::wstring_view text, UINT type);
    HWND Handle(Control control) const { return mControls[static_cast<std::size_t>(control)]; }

    HINSTANCE mInstance;
    StartArguments mArguments;
    Settings mSettings;
    HWND mWindow = nullptr;
    std::array<HWND, kControls.size()> mControls{};
    HWND mLastFocus = nullptr;  // given back when the window is activated again
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    Font mFont;
    HACCEL mAccelerators = nullptr;
    bool mStartMaximised = false;  // as the window was last closed
    int mListExtent = 0;     // the widest listed name's width, in pixels
    HWND mTip = nullptr;     // the list's and the status line's tooltip
    int mTipRow = -1;        // the row it was last shown for
    std::wstring mTipText;   // what it shows, kept while it asks
    std::unique_ptr<PlayerOffer> mOffer;
    bool mSettingText = false;  // a text box's change is Form1's own, not the player's

    // Work posted from any thread, run on the window's thread when the
    // window gets kPostedMessage; `mPostTo` is null once the window is gone.
    std::mutex mPostLock;
    std::deque<std::function<void()>> mPosted;
    HWND mPostTo = nullptr;

    Form1 mForm{*this};
    MessageDialog* mMessage = nullptr;   // the message box while it is open
    std::unique_ptr<ByLogWindow> mByLog;  // before the form it shows goes
    std::unique_ptr<AllActionsWindow> mAllActions;  // likewise
};

}  // namespace vantor::win32
