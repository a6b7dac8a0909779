// The real window, created in this process and driven through window
// messages as a user's keys and clicks would reach it (run under Wine by
// scripts/test-windows.sh). What Form1 decides is tested in tests/ui; here,
// what the Win32 controls make of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/path_text.h"
#include "cli/tally.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "vantor_version.h"
#include "win32/win32_view.h"

namespace vantor::win32 {
namespace {

using Texts = std::vector<std::wstring>;
using Edges = std::array<LONG, 4>;  // left, top, right, bottom

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A control's place in its parent's client area; a window's on the screen.
Edges EdgesOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// Runs `action` when the next event pass takes the message posted now from
// the queue, after the messages posted before it: a look at the window
// during a scan.
void AtNextPass(std::function<void()> action) {
    static std::function<void()> pending;
    [[maybe_unused]] static const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, [](int code, WPARAM wParam, LPARAM lParam) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        if (message.hwnd == nullptr && message.message == WM_APP && pending) std::exchange(pending, nullptr)();
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }, nullptr, GetCurrentThreadId());
    pending = std::move(action);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
}

class Win32ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted when the last test's window went
        ShowWindow(window(), SW_SHOWNORMAL);
        view.messageBox = [this](HWND owner, std::wstring_view title, std::wstring_view text, UINT type) {
            boxes.push_back((owner == window() ? L"" : L"(not owned) ") + std::wstring(title) + L" | " +
                            std::wstring(text) + L" | " + std::to_wstring(type));
        };
    }

    HWND window() const { return view.Window(); }
    HWND Item(Control control) const { return GetDlgItem(window(), Win32View::ControlId(control)); }
    std::wstring Text(Control control) const { return TextOf(Item(control)); }
    void Type(Control control, const std::wstring& text) const { SetWindowTextW(Item(control), text.c_str()); }
    void Click(Control control) const { SendMessageW(Item(control), BM_CLICK, 0, 0); }

    Win32View view{GetModuleHandleW(nullptr)};
    Texts boxes;  // each message box: title | text | type
    testing::TempDir dir;
};

// At 96 dpi, then moved to a monitor of 144 dpi: every control where the
// table puts it, in one font that its caption fits.
TEST_F(Win32ViewTest, TheTablesControlsStandInPlaceInAFontTheirCaptionsFitAtEachDpi) {
    ASSERT_EQ(GetDpiForWindow(window()), 96u) << "the Wine prefix is not at 96 dpi";
    EXPECT_EQ(TextOf(window()), L"Vantor Log Analyzer");
    RECT client{};
    GetClientRect(window(), &client);
    EXPECT_EQ((Edges{client.left, client.top, client.right, client.bottom}), (Edges{0, 0, 523, 288}));
    EXPECT_EQ(SendMessageW(Item(Control::Option1_0), BM_GETCHECK, 0, 0), BST_CHECKED);
    std::vector<LONG> fontHeights;
    RECT suggested{40, 50, 840, 550};  // by Windows, for the window on a monitor of 144 dpi
    for (const int dpi : {96, 144}) {
        const int twips = 1440 / dpi;  // per pixel
        const HDC dc = GetDC(window());
        const LRESULT font = SendMessageW(Item(Control::Label1), WM_GETFONT, 0, 0);
        SelectObject(dc, reinterpret_cast<HFONT>(font));
        for (const ControlEntry& entry : kControls) {
            const HWND control = Item(entry.id);
            const LONG left = entry.left / twips, top = entry.top / twips;
            EXPECT_EQ(EdgesOf(control), (Edges{left, top, left + entry.width / twips, top + entry.height / twips}))
                << entry.name << entry.index << " at " << dpi;
            EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), font) << entry.name << entry.index;
            if (entry.kind == ControlKind::TextBox) continue;
            const std::wstring caption = TextOf(control);
            EXPECT_EQ(caption, std::wstring(entry.caption.begin(), entry.caption.end()));  // ASCII
            SIZE extent{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
            const int indicator = entry.kind == ControlKind::Option ? GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + 4 : 0;
            EXPECT_LE(extent.cx + indicator, entry.width / twips) << entry.name << entry.index << " at " << dpi;
            EXPECT_LE(extent.cy, entry.height / twips) << entry.name << entry.index << " at " << dpi;
        }
        ReleaseDC(window(), dc);
        LOGFONTW logFont{};
        GetObjectW(reinterpret_cast<HFONT>(font), sizeof logFont, &logFont);
        fontHeights.push_back(logFont.lfHeight);
        SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    }
    EXPECT_EQ(EdgesOf(window()), (Edges{40, 50, 840, 550}));
    EXPECT_NEAR(fontHeights[1], fontHeights[0] * 3 / 2, 1) << "the font grows with the dpi";
}

// Real keys, through the window's event pass. Enter and Escape press
// nothing: Go! would set the status line, "..." ask for a dialog. They come
// first: once the dialog manager has moved the focus, no push button looks
// like a default one, and Enter on a default button would press it.
TEST_F(Win32ViewTest, EnterAndEscapePressNothingTabFollowsTheTableArrowsStayInTheOptions) {
    bool browsed = false;
    view.nextFileDialog = [&](OPENFILENAMEW&) { return browsed = true, FALSE; };
    SetFocus(Item(Control::Command1));
    PostMessageW(Item(Control::Command1), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(Item(Control::Command1), WM_KEYDOWN, VK_ESCAPE, 0);
    view.PassEvents();
    EXPECT_EQ(Text(Control::Label3), L"");
    EXPECT_FALSE(browsed);
    EXPECT_TRUE(IsWindow(window()));
    SetFocus(Item(Control::txtPID));
    PostMessageW(Item(Control::txtPID), WM_KEYDOWN, VK_TAB, 0);
    view.PassEvents();
    EXPECT_EQ(GetFocus(), Item(Control::List1));

    const Control order[] = {Control::txtLogDir, Control::btnBrowse, Control::Command1, Control::txtPID,
                             Control::List1,     Control::Text1,     Control::Option1_0, Control::txtLogDir};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(GetNextDlgTabItem(window(), Item(order[i]), FALSE), Item(order[i + 1])) << "Tab from " << i;
    }
    Click(Control::Option1_2);  // Tab now enters the group at the selected option
    EXPECT_EQ(GetNextDlgTabItem(window(), Item(Control::Text1), FALSE), Item(Control::Option1_2));
    EXPECT_EQ(GetNextDlgGroupItem(window(), Item(Control::Option1_3), FALSE), Item(Control::Option1_0));
}

TEST_F(Win32ViewTest, GoListsTheItemsASelectionShowsTheTotalAndCloseWaitsForTheCurrentLog) {
    using testing::Record;
    dir.Write("ActionLog-\u65E5\u672C.txt", testing::Pickup("Widget(3)") + testing::Pickup("\x80uro Coin(5)") +
                                              Record("Alia", "[Sell]", "Rose(2)") + Record("Alia", "[Buy]", "Salt(8)") +
                                              Record("Alia", "[MR_Buy]", "Orb(R)(6)") + Record("Alia", "[Buy]", "Salt(1)"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    std::wstring during;
    AtNextPass([&] {
        during = std::to_wstring(IsWindowEnabled(Item(Control::Command1)) + IsWindowEnabled(Item(Control::btnBrowse))) +
                 L" enabled, " + Text(Control::Label3);
    });
    // Each option, Picked Up last, against vantor-tally on the same folder:
    // every row (clicked, then reached by the keyboard) and the total it shows.
    const HWND list = Item(Control::List1);
    for (int option = 3; option >= 0; --option) {
        Click(OptionControl(option));
        Click(Control::Command1);
        std::wstring shown;
        for (int row = 0; row < SendMessageW(list, LB_GETCOUNT, 0, 0); ++row) {
            SendMessageW(list, row == 0 ? WM_LBUTTONDOWN : WM_KEYDOWN, row == 0 ? MK_LBUTTON : VK_DOWN, MAKELPARAM(2, 2));
            SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));  // released: the list lets the mouse go
            std::wstring name(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)), L'\0');
            SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(name.data()));
            shown += name + L"\t" + Text(Control::Text1) + L"\r\n";
        }
        const std::string action(kActions[option].keyword), folder = dir.text();
        const char* const tally[] = {"vantor-tally", "--player", "Alia", "--action", action.c_str(), folder.c_str()};
        std::ostringstream out, err;
        EXPECT_EQ(RunTally(6, tally, {out, err}), 0) << err.str();
        EXPECT_EQ(shown, Utf8ToWide(out.str())) << action;
    }
    EXPECT_EQ(during, L"0 enabled, Processing ActionLog-\u65E5\u672C.txt");  // and enabled again for the next Go!
    // Ctrl+C on the list, then its menu's Copy: the whole list on the clipboard.
    for (const bool key : {true, false}) {
        OpenClipboard(window()), EmptyClipboard(), CloseClipboard();
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = key ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(key ? list : window(), key ? WM_KEYDOWN : WM_COMMAND, key ? 'C' : Win32View::kCopyCommand, 0);
        OpenClipboard(window());
        const HANDLE copied = GetClipboardData(CF_UNICODETEXT);
        EXPECT_STREQ(copied ? static_cast<const wchar_t*>(GlobalLock(copied)) : L"(none)", L"Widget\t3\r\n\u20ACuro Coin\t5\r\n");
        if (copied) GlobalUnlock(copied);
        CloseClipboard();
    }

    // Closed during a scan: the window goes once the current log is read.
    const HWND closing = window();
    bool openAfterClose = false;
    PostMessageW(closing, WM_CLOSE, 0, 0);  // handled by the first event pass
    AtNextPass([&] { openAfterClose = IsWindow(closing) != FALSE; });
    Click(Control::Command1);
    EXPECT_TRUE(openAfterClose) << "the window waits for the current log";
    EXPECT_FALSE(IsWindow(closing));
    EXPECT_EQ(view.Window(), nullptr);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
}

TEST_F(Win32ViewTest, ARunTimeErrorAndAboutAreMessageBoxesOfTheWindow) {
    Type(Control::txtLogDir, L"C:\\\u00E9t\u00E9-\u65E5\u672C\\");  // no such folder
    Click(Control::Command1);
    wchar_t item[64] = {};
    GetMenuStringW(GetSystemMenu(window(), FALSE), Win32View::kAboutCommand, item, 64, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"About Vantor Log Analyzer...");
    SendMessageW(window(), WM_SYSCOMMAND, Win32View::kAboutCommand, 0);
    EXPECT_EQ(boxes, (Texts{L"Vantor Log Analyzer | Run-time error: file error\nlog folder 'C:\\\u00E9t\u00E9-\u65E5\u672C\\' "
                            L"does not exist | " + std::to_wstring(MB_ICONERROR),
                            L"About Vantor Log Analyzer | Vantor Log Analyzer\nVersion " VANTOR_VERSION L" | " +
                                std::to_wstring(MB_ICONINFORMATION)}));
}

TEST_F(Win32ViewTest, BrowseFillsTheDialogRequestAndTakesTheUpperCasedFolder) {
    const std::wstring start = L"C:\\Logs\\\u00E9t\u00E9\\";
    std::wstring answer;
    const auto dialog = [&](OPENFILENAMEW& request) -> BOOL {
        const auto text = [](const wchar_t* text) { return std::wstring(text != nullptr ? text : L"(none)"); };
        EXPECT_EQ(request.hwndOwner, window());
        EXPECT_EQ(request.Flags, 0x1804u);
        EXPECT_EQ((Texts{text(request.lpstrTitle), text(request.lpstrFile), text(request.lpstrInitialDir),
                         std::wstring(request.lpstrFilter, 24)}),  // pairs, then an empty one
                  (Texts{L"Open Vantor log file", L"*.txt", start, std::wstring(L"Vantor Log Files\0*.txt\0", 24)}));
        // Cancelled, or a buffer too short (as the dialog does): the buffer is left as it is.
        if (answer.empty() || answer.size() >= request.nMaxFile) return FALSE;
        wcscpy(request.lpstrFile, answer.c_str());
        return TRUE;
    };
    // A path far longer than MAX_PATH comes back whole; a cancelled dialog changes nothing.
    for (const auto& [chosen, folder] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"C:\\Jeux\\\u00E9t\u00E9-\u65E5\u672C\\ActionLog0102.txt", L"C:\\JEUX\\\u00C9T\u00C9-\u65E5\u672C\\"},
             {L"C:\\" + std::wstring(3000, L'\u00E9') + L"\\ActionLog1.txt", L"C:\\" + std::wstring(3000, L'\u00C9') + L"\\"},
             {L"", start}}) {
        Type(Control::txtLogDir, start);
        answer = chosen;
        view.nextFileDialog = dialog;
        Click(Control::btnBrowse);
        EXPECT_EQ(Text(Control::txtLogDir), folder);
    }
}

}  // namespace
}  // namespace vantor::win32
