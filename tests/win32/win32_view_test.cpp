// The real window, created in this process and driven through window
// messages as a user's keys and clicks would reach it (run under Wine by
// scripts/test-windows.sh). What Form1 decides is tested in tests/ui; here,
// what the Win32 controls make of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vantor/code_page.h"
#include "vantor/text.h"
#include "cli/tally.h"
#include "tests/support/log_builder.h"
#include "tests/support/scripts.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_follows.h"
#include "vantor_version.h"
#include "win32/all_actions_window.h"
#include "win32/by_log_window.h"
#include "win32/message_dialog.h"
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

// A list box's entry.
std::wstring ListText(HWND list, int row) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
    return text;
}

// A control's place in its parent's client area; a window's on the screen.
Edges EdgesOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

using Clock = std::chrono::steady_clock;

// The tests' own registry key: nothing remembered leaks between them or
// into a player's settings.
constexpr wchar_t kSettingsKey[] = L"Software\\Vantor Log Analyzer Tests";
bool ForgetSettings() { return RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey) == ERROR_SUCCESS; }

// The clipboard's text, which leaves it empty.
std::wstring TakeClipboard(HWND owner) {
    OpenClipboard(owner);
    const HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    std::wstring text = copied ? static_cast<const wchar_t*>(GlobalLock(copied)) : L"(none)";
    if (copied) GlobalUnlock(copied);
    EmptyClipboard();
    CloseClipboard();
    return text;
}

class Win32ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted when the last test's window went
        ShowWindow(window(), SW_SHOWNORMAL);
        SetForegroundWindow(window());
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

    // Handles the window's messages, as its message loop would, until `done`
    // holds (at least once); a minute without it fails the test.
    void PumpUntil(const std::function<bool()>& done) {
        const auto deadline = Clock::now() + std::chrono::minutes(1);
        do {
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit = true;
                    continue;
                }
                view.Dispatch(message);
            }
            if (done()) return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        } while (Clock::now() < deadline);
        FAIL() << "the window waited a minute";
    }
    void Pump() { PumpUntil([] { return true; }); }
    // Ctrl+`key` on `control`, through the message loop.
    void PressCtrl(HWND control, WPARAM key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        for (const BYTE ctrl : {0x80, 0}) {
            keys[VK_CONTROL] = ctrl;
            SetKeyboardState(keys);
            if (ctrl != 0) PostMessageW(control, WM_KEYDOWN, key, 0), Pump();
        }
    }
    // Presses Go! and waits for the analysis to end.
    void Go() {
        Click(Control::Command1);
        PumpUntil([this] { return !view.Form().Scanning(); });
    }

    const bool forgotten = ForgetSettings();
    testing::TempDir dir;
    Win32View view{GetModuleHandleW(nullptr), {}, Settings::In(dir.path().wstring(), kSettingsKey)};
    Texts boxes;  // each message box: title | text | type
    bool quit = false;  // the message loop was told to end
};

using testing::Follows;
using testing::kFollows;

// At 96 dpi, then moved to a monitor of 144 dpi: at the first size every
// control where the table puts it, in one font that its caption fits; made
// larger, the controls' edges follow the window's; never smaller than that.
TEST_F(Win32ViewTest, TheTablesControlsStandInPlaceInAFontTheirCaptionsFitAtEachDpiAndFollowTheSize) {
    ASSERT_EQ(GetDpiForWindow(window()), 96u) << "the Wine prefix is not at 96 dpi";
    EXPECT_EQ(TextOf(window()), L"Vantor Log Analyzer");
    RECT client{};
    GetClientRect(window(), &client);
    EXPECT_EQ((Edges{client.left, client.top, client.right, client.bottom}), (Edges{0, 0, 523, 288}));
    EXPECT_EQ(SendMessageW(Item(Control::Option1_0), BM_GETCHECK, 0, 0), BST_CHECKED);
    std::vector<LONG> fontHeights;
    RECT suggested{40, 50, 940, 600};  // by Windows, for the window on a monitor of 144 dpi
    for (const int dpi : {96, 144}) {
        const int twips = 1440 / dpi;  // per pixel
        const LONG width = 7845 / twips, height = 4320 / twips;
        // A client area of `x` by `y`, in whatever frame Wine draws (at 96
        // dpi still, and its least size at 144 dpi's frame).
        const auto resize = [&](LONG x, LONG y) {
            RECT frame{}, client{};
            GetWindowRect(window(), &frame);
            GetClientRect(window(), &client);
            SetWindowPos(window(), nullptr, 0, 0, x + frame.right - frame.left - client.right,
                         y + frame.bottom - frame.top - client.bottom,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
        };
        resize(width, height);
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
        resize(width + 200, height + 100);
        for (const Follows& f : kFollows) {
            const ControlEntry& entry = EntryOf(f.control);
            const LONG left = entry.left / twips, top = entry.top / twips;
            EXPECT_EQ(EdgesOf(Item(f.control)), (Edges{left + 200 * f.leftX, top + 100 * f.topY,
                                                       left + entry.width / twips + 200 * f.rightX,
                                                       top + entry.height / twips + 100 * f.bottomY}))
                << entry.name << " at " << dpi;
        }
        MINMAXINFO limits{};
        SendMessageW(window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        RECT least{0, 0, width, height};
        AdjustWindowRectExForDpi(&least, static_cast<DWORD>(GetWindowLongW(window(), GWL_STYLE)), FALSE, 0, dpi);
        EXPECT_EQ((Edges{0, 0, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y}),
                  (Edges{0, 0, least.right - least.left, least.bottom - least.top})) << dpi;
        LOGFONTW logFont{};
        GetObjectW(reinterpret_cast<HFONT>(font), sizeof logFont, &logFont);
        fontHeights.push_back(logFont.lfHeight);
        SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    }
    EXPECT_EQ(EdgesOf(window()), (Edges{40, 50, 940, 600}));
    EXPECT_NEAR(fontHeights[1], fontHeights[0] * 3 / 2, 1) << "the font grows with the dpi";
}

// Real keys, through the window's event pass. Enter and Escape press
// nothing: Go! would set the status line, "..." ask for a dialog. They come
// first: once the dialog manager has moved the focus, no push button looks
// like a default one, and Enter on a default button would press it.
TEST_F(Win32ViewTest, EnterAndEscapePressNothingTabFollowsTheTableTheMenusAreTheCommands) {
    bool browsed = false;
    view.nextFileDialog = [&](OPENFILENAMEW&) { return browsed = true, FALSE; };
    SetFocus(Item(Control::Command1));
    PostMessageW(Item(Control::Command1), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(Item(Control::Command1), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(Text(Control::Label3), L"");
    EXPECT_FALSE(browsed);
    EXPECT_TRUE(IsWindow(window()));
    SetFocus(Item(Control::txtPID));
    PostMessageW(Item(Control::txtPID), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetFocus(), Item(Control::List1));

    const Control order[] = {Control::txtLogDir, Control::btnBrowse, Control::Command1, Control::txtPID,
                             Control::List1,     Control::Text1,     Control::Option1_0, Control::txtLogDir};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(GetNextDlgTabItem(window(), Item(order[i]), FALSE), Item(order[i + 1])) << "Tab from " << i;
    }
    Click(Control::Option1_2);  // Tab now enters the group at the selected option
    EXPECT_EQ(GetNextDlgTabItem(window(), Item(Control::Text1), FALSE), Item(Control::Option1_2));
    EXPECT_EQ(GetNextDlgGroupItem(window(), Item(Control::Option1_3), FALSE), Item(Control::Option1_0));

    // The system menu holds every command and the list's menu all but About,
    // greyed and checked as Form1 has them; Ctrl+L works from any control.
    // The commands in a menu: caption, then "-" when greyed and "+" when checked.
    static const auto items = [](HMENU menu) {
        Texts shown;
        for (const CommandEntry& entry : kCommands) {
            wchar_t caption[80] = {};
            if (!GetMenuStringW(menu, Win32View::CommandId(entry.id), caption, 80, MF_BYCOMMAND)) continue;
            const UINT state = GetMenuState(menu, Win32View::CommandId(entry.id), MF_BYCOMMAND);
            shown.push_back(caption + std::wstring(state & MF_GRAYED ? L"-" : L"") + (state & MF_CHECKED ? L"+" : L""));
        }
        return shown;
    };
    const HMENU system = GetSystemMenu(window(), FALSE);
    Type(Control::txtLogDir, (dir.path() / L"").wstring());  // a folder to follow
    PressCtrl(Item(Control::txtPID), 'L');
    SendMessageW(window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
    Texts menu{L"Copy\tCtrl+C-", L"By Log...\tCtrl+B", L"All Actions...\tCtrl+E", L"Skipped Records...-", L"Exact Names (Not the Game's Tally)",
               L"Follow the Logs\tCtrl+L+", L"New Session", L"Automatic+", L"Thai (874)", L"Central European (1250)",
               L"Cyrillic (1251)", L"Western (1252)", L"Greek (1253)", L"Turkish (1254)", L"Hebrew (1255)",
               L"Arabic (1256)", L"Baltic (1257)", L"Vietnamese (1258)", L"About Vantor Log Analyzer..."};
    EXPECT_EQ(items(system), menu);
    // The code pages are a submenu of their own: automatic, a line, the ten.
    int codePages = -1;
    for (int i = 0; i < GetMenuItemCount(system); ++i) {
        wchar_t caption[80] = {};
        GetMenuStringW(system, static_cast<UINT>(i), caption, 80, MF_BYPOSITION);
        if (GetSubMenu(system, i) != nullptr && std::wstring(caption) == L"Code Page of the Logs") {
            codePages = GetMenuItemCount(GetSubMenu(system, i));
        }
    }
    EXPECT_EQ(codePages, 12);
    // The list's menu, read while it is open, then closed.
    static Texts listMenu;
    SetTimer(window(), 1, 10, [](HWND owner, UINT, UINT_PTR id, DWORD) {
        KillTimer(owner, id);
        listMenu = items(reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0)));
        EndMenu();
    });
    SendMessageW(window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Item(Control::List1)), MAKELPARAM(-1, -1));
    menu.pop_back();
    EXPECT_EQ(listMenu, menu);
}

// One record cannot be counted: the rest are listed as vantor-tally lists
// them, and a warning names the one skipped.
TEST_F(Win32ViewTest, GoListsTheItemsASelectionShowsTheTotalAndCloseWaitsForTheCurrentLog) {
    using testing::Record;
    dir.Write("ActionLog-\u65E5\u672C.txt", testing::Pickup("Widget(3)") + testing::Pickup("Ink(lots)") +
                                              testing::Pickup("\x80uro Coin of the Wandering Warlord Mummy(5)") + Record("Alia", "[Sell]", "Rose(2)") +
                                              Record("Alia", "[Buy]", "Salt(8)") + Record("Alia", "[MR_Buy]", "Orb(R)(6)") +
                                              Record("Alia", "[Buy]", "Salt(1)"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    // Each option, Picked Up last, against vantor-tally on the same folder:
    // every row (clicked, then reached by the keyboard) and the total it shows.
    const HWND list = Item(Control::List1);
    for (int option = 3; option >= 0; --option) {
        Click(OptionControl(option));
        Click(Control::Command1);
        EXPECT_FALSE(IsWindowEnabled(Item(Control::Command1)) || IsWindowEnabled(Item(Control::btnBrowse)));
        PumpUntil([this] { return !view.Form().Scanning(); });
        std::wstring shown;
        for (int row = 0; row < SendMessageW(list, LB_GETCOUNT, 0, 0); ++row) {
            SendMessageW(list, row == 0 ? WM_LBUTTONDOWN : WM_KEYDOWN, row == 0 ? MK_LBUTTON : VK_DOWN, MAKELPARAM(2, 2));
            SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));  // released: the list lets the mouse go
            shown += ListText(list, row) + L"\t" + Text(Control::Text1) + L"\r\n";
        }
        const std::string action(kActions[option].keyword), folder = dir.text();
        const char* const tally[] = {"vantor-tally", "--player", "Alia", "--action", action.c_str(), folder.c_str()};
        std::ostringstream out, err;
        RunTally(6, tally, {out, err});  // 1: the folder holds a record that cannot be counted
        EXPECT_EQ(shown, Utf8ToWide(out.str())) << action;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"line 2: 'Ink(lots)'"), std::wstring::npos) << boxes[0];
    EXPECT_EQ(boxes[0].substr(boxes[0].size() - 2), L"48") << "MB_ICONWARNING";
    // The total is the analysis's: typing leaves it as it is.
    SendMessageW(Item(Control::Text1), WM_CHAR, L'7', 0);
    EXPECT_EQ(Text(Control::Text1), L"5");
    // The status line's tip is its whole text.
    NMTTDISPINFOW ask{};
    ask.hdr = {FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr), reinterpret_cast<UINT_PTR>(Item(Control::Label3)),
               TTN_GETDISPINFOW};
    SendMessageW(window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ask));
    EXPECT_STREQ(ask.lpszText, L"Alia, Picked Up: 2 items in 1 log, 1 skipped");
    // A name wider than the list scrolls into view and shows whole in its
    // tip; below the last row there is no tip.
    const std::wstring coin = L"\u20ACuro Coin of the Wandering Warlord Mummy";
    {
        const WindowDc dc(list);
        const Selection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), coin.c_str(), static_cast<int>(coin.size()), &extent);
        RECT inside{};
        GetClientRect(list, &inside);
        EXPECT_GT(extent.cx, inside.right);
        EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), extent.cx);
    }
    RECT second{};
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    ask.hdr.idFrom = reinterpret_cast<UINT_PTR>(list);
    using Hover = std::pair<LONG, std::wstring>;  // the mouse's height in the list, the tip
    for (const auto& [y, tip] : {Hover{second.top + 2, coin + L": 5"}, Hover{second.bottom + 4, L""}}) {
        POINT at{4, y};
        ClientToScreen(list, &at);
        SetCursorPos(at.x, at.y);
        SendMessageW(window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ask));
        EXPECT_EQ(std::wstring(ask.lpszText), tip) << y;
    }

    // Ctrl+C on the list, then its menu's Copy: the whole list on the clipboard.
    for (const bool key : {true, false}) {
        key ? PressCtrl(list, 'C') : void(SendMessageW(window(), WM_COMMAND, Win32View::CommandId(Command::Copy), 0));
        EXPECT_EQ(TakeClipboard(window()), L"Widget\t3\r\n" + coin + L"\t5\r\n");
    }

    // Closed during an analysis: the window goes once the current log is read.
    const HWND closing = window();
    Click(Control::Command1);
    SendMessageW(closing, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(closing)) << "the window waits for the current log";
    PumpUntil([this] { return !view.Form().Scanning(); });
    EXPECT_FALSE(IsWindow(closing));
    EXPECT_EQ(view.Window(), nullptr);
    EXPECT_TRUE(quit) << "the message loop is told to end";
}

// A Windows set to another language writes the logs in its code page: the
// player typed in its script finds its records, and the names show in it.
// (The suite runs this under Wine once for each language's locale.)
TEST_F(Win32ViewTest, GoReadsTheLogsInTheSystemsCodePage) {
    const auto script = std::find_if(testing::kScripts.begin(), testing::kScripts.end(),
                                     [](const testing::Script& s) { return s.codePage == GetACP(); });
    ASSERT_NE(script, testing::kScripts.end()) << "code page " << GetACP();
    dir.Write("ActionLog1.txt", testing::Pickup(std::string(script->itemBytes) + "(7)", script->playerBytes));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    if (script->playerInOtherCase != script->player) {
        Type(Control::txtPID, Utf8ToWide(script->playerInOtherCase));
        Go();
        EXPECT_EQ(Text(Control::Label3),
                  Utf8ToWide("No record of '" + std::string(script->playerInOtherCase) + "'; the logs have '" +
                             CodePage(GetACP()).ToUtf8(script->playerBytes) + "'"));
    }
    Type(Control::txtPID, Utf8ToWide(script->player));
    Go();
    const HWND list = Item(Control::List1);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    std::wstring name(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, 0, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(name.data()));
    EXPECT_EQ(name, Utf8ToWide(CodePage(GetACP()).ToUtf8(script->itemBytes)));
    if (script->codePage != 1258) {
        EXPECT_EQ(name, Utf8ToWide(script->item));
    }
}

// The program's own message box (Wine's MessageBoxW copies nothing on
// Ctrl+C), at 96 dpi and then 144: the whole text in the message font of
// that dpi, every line shown; Copy and Ctrl+C copy all of it, Ctrl+C on a
// part selected that part; the window is disabled until OK closes it.
TEST_F(Win32ViewTest, TheSkippedRecordsMessageCopiesItsWholeTextAtEachDpi) {
    dir.Write("ActionLog1.txt", testing::Pickup("Ink(lots)") + testing::Pickup("Widget(3)"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    Go();
    ASSERT_EQ(boxes.size(), 1u);
    std::wstring text = boxes[0].substr(boxes[0].find(L" | ") + 3);
    text.resize(text.rfind(L" | "));
    for (std::size_t at = 0; (at = text.find(L'\n', at)) != std::wstring::npos; at += 2) text.insert(at, 1, L'\r');
    view.messageBox = nullptr;
    std::vector<LONG> fontHeights;
    view.messageShown = [&](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(window()));
        EXPECT_EQ(TextOf(dialog), L"Vantor Log Analyzer");
        const HWND edit = GetDlgItem(dialog, MessageDialog::kText);
        EXPECT_EQ(TextOf(edit), text);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        GetObjectW(font, sizeof logFont, &logFont);
        fontHeights.push_back(logFont.lfHeight);
        const HDC dc = GetDC(dialog);
        SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT inside{}, client{};
        GetClientRect(edit, &inside);
        GetClientRect(dialog, &client);
        EXPECT_GE(inside.bottom, SendMessageW(edit, EM_GETLINECOUNT, 0, 0) * metrics.tmHeight);
        for (const int id : {static_cast<int>(MessageDialog::kCopy), IDOK}) {
            const HWND button = GetDlgItem(dialog, id);
            const std::wstring caption = TextOf(button);
            SIZE extent{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
            const Edges edges = EdgesOf(button);
            EXPECT_GE(edges[2] - edges[0], extent.cx) << caption;
            EXPECT_GE(edges[3] - edges[1], extent.cy) << caption;
            EXPECT_LE(edges[2], client.right) << caption;
            EXPECT_LE(edges[3], client.bottom) << caption;
        }
        ReleaseDC(dialog, dc);
        SendMessageW(GetDlgItem(dialog, MessageDialog::kCopy), BM_CLICK, 0, 0);
        EXPECT_EQ(TakeClipboard(dialog), text);
        PressCtrl(GetDlgItem(dialog, IDOK), 'C');
        EXPECT_EQ(TakeClipboard(dialog), text);
        ::SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, 7);
        PressCtrl(edit, 'C');
        EXPECT_EQ(TakeClipboard(dialog), text.substr(0, 7));
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindow(dialog));
    };
    RECT suggested{40, 50, 940, 600};
    for (int dpi : {96, 144}) {
        SendMessageW(window(), WM_COMMAND, Win32View::CommandId(Command::SkippedRecords), 0);
        EXPECT_TRUE(IsWindowEnabled(window())) << dpi;
        SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    }
    ASSERT_EQ(fontHeights.size(), 2u);
    EXPECT_NEAR(fontHeights[1], fontHeights[0] * 3 / 2, 1) << "the font grows with the dpi";
}

TEST_F(Win32ViewTest, ARunTimeErrorAndAboutAreMessageBoxesOfTheWindow) {
    Type(Control::txtLogDir, L"C:\\\u00E9t\u00E9-\u65E5\u672C\\");  // no such folder
    Go();
    SendMessageW(window(), WM_SYSCOMMAND, Win32View::CommandId(Command::About), 0);
    EXPECT_EQ(boxes, (Texts{L"Vantor Log Analyzer | Log folder 'C:\\\u00E9t\u00E9-\u65E5\u672C\\' "
                            L"does not exist. | " + std::to_wstring(MB_ICONERROR),
                            L"About Vantor Log Analyzer | Vantor Log Analyzer\nVersion " VANTOR_VERSION
                            L"\n\nThe logs are read in Windows-1252, Western (automatic). | " +
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


// What is remembered between starts goes to the registry, or to the INI
// file beside the program once there is one, and comes back whole; the
// window's place and size too: maximised as it was, or, closed off every
// monitor, on one.
TEST(Win32Settings, TheFolderPlayerAndPlaceComeBackFromTheRegistryOrTheIniBesideTheProgram) {
    const std::wstring player = L" \u00E9lan";
    for (const bool ini : {false, true}) {
        ForgetSettings();
        testing::TempDir program;
        if (ini) program.Write("vantor-log-analyzer.ini", "");
        // A folder is remembered once read, and shown while it is there.
        const std::wstring folder = (program.path() / L"\u00E9t\u00E9-\u65E5\u672C" / L"").wstring();
        std::filesystem::create_directory(folder);
        Settings::In(program.path().wstring(), kSettingsKey).Save("folder", WideToUtf8(folder));
        const auto start = [&] { return Win32View(GetModuleHandleW(nullptr), {}, Settings::In(program.path().wstring(), kSettingsKey)); };
        const auto field = [](const Win32View& view, Control id) { return GetDlgItem(view.Window(), Win32View::ControlId(id)); };
        {
            const Win32View first = start();
            SetWindowTextW(field(first, Control::txtPID), player.c_str());
            SetWindowPos(first.Window(), nullptr, ini ? -5000 : 60, ini ? 4000 : 70, 800, 500, SWP_NOZORDER | SWP_NOACTIVATE);
            if (!ini) ShowWindow(first.Window(), SW_MAXIMIZE);
        }
        Win32View second = start();
        second.Show(SW_SHOWNORMAL);
        EXPECT_EQ(IsZoomed(second.Window()) != FALSE, !ini);
        WINDOWPLACEMENT kept{};
        kept.length = sizeof kept;
        GetWindowPlacement(second.Window(), &kept);
        const RECT& normal = kept.rcNormalPosition;
        EXPECT_EQ((Edges{normal.right - normal.left, normal.bottom - normal.top, ini ? 0 : normal.left, ini ? 0 : normal.top}),
                  (Edges{800, 500, ini ? 0 : 60, ini ? 0 : 70})) << ini;
        EXPECT_NE(MonitorFromRect(&normal, MONITOR_DEFAULTTONULL), nullptr) << "on a monitor";
        EXPECT_EQ(TextOf(field(second, Control::txtLogDir)) + L"|" + TextOf(field(second, Control::txtPID)), folder + L"|" + player) << ini;
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS, !ini) << ini;
        if (key != nullptr) RegCloseKey(key);
    }
}

// About 3,000 items: while the logs are read and listed, a message sent to
// the window from another thread is answered; the figures are printed.
TEST_F(Win32ViewTest, TheWindowAnswersDuringAnAnalysisAndListsThousandsOfItemsAtOnce) {
    constexpr int kItems = 3000;
    std::array<std::string, 10> logs;  // of 20,000 records each
    for (int line = 0; line < 200000; ++line) {
        char item[32];
        std::snprintf(item, sizeof item, "Item %04d(%d)", line % kItems, line % 5 + 1);
        logs[line % 10] += testing::Pickup(item);
    }
    for (int log = 0; log < 10; ++log) dir.Write("ActionLog" + std::to_string(1000 + log) + ".txt", logs[log]);
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    std::atomic<bool> done{false}, asked{false};
    std::atomic<int> unanswered{0};
    std::chrono::duration<double> slowest{};
    std::thread asker([&, target = window()] {
        for (DWORD_PTR result = 0; !done; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            const auto before = Clock::now();
            unanswered += !SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            slowest = std::max<std::chrono::duration<double>>(slowest, Clock::now() - before);
        }
        asked = true;
    });
    const auto go = Clock::now();
    Click(Control::Command1);
    PumpUntil([&] { return SendMessageW(Item(Control::List1), LB_GETCOUNT, 0, 0) >= kItems; });
    const auto listed = Clock::now();
    done = true;
    PumpUntil([&] { return asked.load(); });  // its last message may have come after the list was filled
    asker.join();
    EXPECT_EQ(SendMessageW(Item(Control::List1), LB_GETCOUNT, 0, 0), kItems);
    EXPECT_EQ(unanswered, 0);
    std::printf("Go! to %d items listed: %.3f s; the slowest answer to a message meanwhile: %.1f ms\n", kItems,
                std::chrono::duration<double>(listed - go).count(), slowest.count() * 1000);
}

// Ctrl+B after a Go!: the range and the filter set through the controls
// decide the table's cells, a header click sorts it, the selected row is
// charted, Copy and Save as CSV take what is shown, Escape closes.
TEST_F(Win32ViewTest, ByLogShowsTheRangeAndFilterAsATableAndChartsTheSelectedItem) {
    dir.Write("ActionLog0001.txt", testing::Pickup("Widget(3)") + testing::Pickup("Rose(2)"));
    dir.Write("ActionLog0002.txt", testing::Pickup("Widget(4)"));
    dir.Write("ActionLog0003.txt", testing::Pickup("Rose(5)") + testing::Pickup("Salt(1)"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    Go();
    PressCtrl(Item(Control::List1), 'B');
    const HWND byLog = view.ByLogWindowHandle();
    ASSERT_NE(byLog, nullptr);
    EXPECT_EQ(GetWindow(byLog, GW_OWNER), window());
    EXPECT_EQ(TextOf(byLog), L"By Log: Alia, Picked Up");
    EXPECT_TRUE(GetClassLongPtrW(byLog, GCLP_HICON) && GetClassLongPtrW(byLog, GCLP_HICONSM)) << "the program's icon";
    const auto control = [&](int id) { return GetDlgItem(byLog, id); };
    const HWND table = control(ByLogWindow::kTable);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    // Every cell read back as the list view shows it: "cell|cell|...", a line a row.
    const auto cells = [&] {
        const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        std::wstring shown;
        for (int row = 0; row < SendMessageW(table, LVM_GETITEMCOUNT, 0, 0); ++row) {
            for (int column = 0; column < columns; ++column) {
                wchar_t cell[64] = {};
                LVITEMW item{};
                item.iSubItem = column, item.pszText = cell, item.cchTextMax = 64;
                SendMessageW(table, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                shown += cell + std::wstring(column + 1 < columns ? L"|" : L"\n");
            }
        }
        return shown;
    };
    const auto choose = [&](int combo, int index) {
        SendMessageW(control(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(byLog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control(combo)));
    };
    EXPECT_EQ(cells(), L"Widget|7|3|4|0\nRose|7|2|0|5\nSalt|1|0|0|1\n");
    choose(ByLogWindow::kFrom, 1);
    EXPECT_EQ(cells(), L"Widget|4|4|0\nRose|5|0|5\nSalt|1|0|1\n");
    EXPECT_EQ(TextOf(control(ByLogWindow::kLast)), L"2");
    SetWindowTextW(control(ByLogWindow::kFilter), L"o");
    EXPECT_EQ(cells(), L"Rose|5|0|5\n");
    SetWindowTextW(control(ByLogWindow::kFilter), L"");
    choose(ByLogWindow::kTo, 1);
    EXPECT_EQ(cells(), L"Widget|4|4\n");
    EXPECT_EQ(TextOf(control(ByLogWindow::kStatus)), L"1 of 1 item, 1 log: ActionLog0002.txt");
    SetWindowTextW(control(ByLogWindow::kLast), L"3");
    // A click on the Item header: names from A, the arrow up.
    RECT first{};
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 5, first.top + 3));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(first.left + 5, first.top + 3));
    EXPECT_EQ(cells(), L"Rose|7|2|0|5\nSalt|1|0|0|1\nWidget|7|3|4|0\n");
    HDITEMW format{};
    format.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.fmt & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);

    // Widget selected: a bar for each log with some (3, 4, 0), counted in
    // the chart's pixels as runs of columns with the bars' colour.
    LVITEMW selected{};
    selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(table, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&selected));
    const HWND chart = control(ByLogWindow::kChart);
    RECT area{};
    GetClientRect(chart, &area);
    const WindowDc screen(chart);
    const MemoryDc dc(screen.get());
    const Bitmap picture(CreateCompatibleBitmap(screen.get(), area.right, area.bottom));
    const Selection drawn(dc.get(), picture.get());
    SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    int runs = 0;
    for (int x = 0, was = 0; x < area.right; ++x) {
        int in = 0;
        for (int y = 0; y < area.bottom && !in; ++y) in = GetPixel(dc.get(), x, y) == ByLogWindow::kBarColor;
        runs += in && !was;
        was = in;
    }
    EXPECT_EQ(runs, 2);
    // Rose chosen too and Running total checked: resting on the first log's
    // bars tips each one's.
    SendMessageW(table, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
    SendMessageW(control(ByLogWindow::kCumulative), BM_CLICK, 0, 0);
    HWND tip = nullptr;  // the chart's: the tip window that By log owns
    while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr && GetWindow(tip, GW_OWNER) != byLog) {
    }
    wchar_t tipText[256] = {};
    TTTOOLINFOW tool{sizeof(TTTOOLINFOW), 0, byLog, reinterpret_cast<UINT_PTR>(chart), {}, nullptr, tipText, 0, nullptr};
    for (int x = 0; x < area.right && tipText[0] == 0; ++x) {  // from the left to the first log's bars
        SendMessageW(chart, WM_MOUSEMOVE, 0, MAKELPARAM(x, area.bottom / 2));
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    }
    EXPECT_EQ(std::wstring(tipText), L"ActionLog0001.txt\nRose: 2, 2 in this log\nWidget: 3, 3 in this log");

    for (const bool key : {true, false}) {  // Ctrl+C in the table, then Copy
        key ? PressCtrl(table, 'C') : void(SendMessageW(control(ByLogWindow::kCopy), BM_CLICK, 0, 0));
        EXPECT_EQ(TakeClipboard(window()), L"Item\tTotal\tActionLog0001.txt\tActionLog0002.txt\tActionLog0003.txt\r\n"
                                           L"Rose\t7\t2\t0\t5\r\nSalt\t1\t0\t0\t1\r\nWidget\t7\t3\t4\t0\r\n") << key;
    }
    // Sorted by Total, then by a log, at 96 and at 144 dpi: the sorted
    // column's caption is drawn whole beside its arrow, as many of its
    // text's pixels as the caption drawn alone has.
    const auto textPixels = [](HDC dc, const RECT& area) {
        int count = 0;
        for (int x = area.left; x < area.right; ++x) {
            for (int y = area.top; y < area.bottom; ++y) count += GetPixel(dc, x, y) == GetSysColor(COLOR_BTNTEXT);
        }
        return count;
    };
    RECT suggested{40, 50, 1240, 890};
    for (const int dpi : {96, 144}) {
        if (dpi != 96) SendMessageW(byLog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        for (const int column : {ByLogForm::kTotalColumn, 4}) {  // Total, ActionLog0003.txt
            RECT item{};
            SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
            NMLISTVIEW click{{table, ByLogWindow::kTable, LVN_COLUMNCLICK}, -1, column, 0, 0, 0, {}, 0};
            SendMessageW(byLog, WM_NOTIFY, ByLogWindow::kTable, reinterpret_cast<LPARAM>(&click));
            const WindowDc headerScreen(header);
            const MemoryDc drawing(headerScreen.get());
            const Bitmap headerPicture(CreateCompatibleBitmap(headerScreen.get(), item.right + 1, item.bottom + 1));
            const Selection headerDrawn(drawing.get(), headerPicture.get());
            SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawing.get()), PRF_CLIENT);
            const int shown = textPixels(drawing.get(), item);
            RECT alone{0, 0, item.right, item.bottom};
            FillRect(drawing.get(), &alone, GetSysColorBrush(COLOR_3DFACE));
            const Selection font(drawing.get(), reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0)));
            SetBkMode(drawing.get(), TRANSPARENT);
            SetTextColor(drawing.get(), GetSysColor(COLOR_BTNTEXT));
            wchar_t caption[64] = {};
            HDITEMW text{};
            text.mask = HDI_TEXT, text.pszText = caption, text.cchTextMax = 64;
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&text));
            TextOutW(drawing.get(), 0, 0, caption, lstrlenW(caption));
            EXPECT_EQ(shown, textPixels(drawing.get(), alone)) << dpi << " dpi: " << WideToUtf8(caption);
        }
    }
    // Save as CSV asks in a dialog of the By log window.
    const std::wstring csv = (dir.path() / L"table.csv").wstring();
    HWND owner = nullptr;
    view.nextFileDialog = [&](OPENFILENAMEW& request) { return owner = request.hwndOwner, wcscpy(request.lpstrFile, csv.c_str()), TRUE; };
    SendMessageW(control(ByLogWindow::kSaveCsv), BM_CLICK, 0, 0);
    EXPECT_EQ(owner, byLog);
    EXPECT_TRUE(std::filesystem::exists(csv));
    // Followed: a gain changes an entry's text, the selection kept, and By
    // log has the Session column.
    SendMessageW(Item(Control::List1), LB_SETCURSEL, 1, 0);
    PressCtrl(Item(Control::List1), 'L');
    PumpUntil([&] { return Text(Control::Label3).find(L", session since ") != std::wstring::npos; });
    std::ofstream(dir.path() / "ActionLog0003.txt", std::ios::binary | std::ios::app) << testing::Pickup("Rose(4)");
    PumpUntil([&] { return ListText(Item(Control::List1), 1) == L"Rose (+4)"; });
    EXPECT_EQ(SendMessageW(Item(Control::List1), LB_GETCURSEL, 0, 0), 1);
    EXPECT_NE(cells().find(L"Rose|11|+4|2|0|9\n"), std::wstring::npos) << cells();
    SetFocus(table);
    PostMessageW(table, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(view.ByLogWindowHandle(), nullptr);
    EXPECT_TRUE(IsWindow(window()));
}

// A list view's header and cells as it shows them: "cell|cell|...", a line a row.
std::wstring Cells(HWND table) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::wstring shown;
    for (int row = -1; row < SendMessageW(table, LVM_GETITEMCOUNT, 0, 0); ++row) {
        for (int column = 0; column < columns; ++column) {
            wchar_t cell[64] = {};
            if (row < 0) {
                HDITEMW item{};
                item.mask = HDI_TEXT, item.pszText = cell, item.cchTextMax = 64;
                SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
            } else {
                LVITEMW item{};
                item.iSubItem = column, item.pszText = cell, item.cchTextMax = 64;
                SendMessageW(table, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            }
            shown += cell + std::wstring(column + 1 < columns ? L"|" : L"\n");
        }
    }
    return shown;
}

// Ctrl+E after a Go!: the four actions of its player, read off the window's
// thread into the table; a header click sorts it; Escape closes it.
TEST_F(Win32ViewTest, AllActionsShowsTheFourActionsOfTheLastGoSideBySide) {
    dir.Write("ActionLog0001.txt", testing::Pickup("Widget(3)") + testing::Record("Alia", "[Sell]", "Widget(1)") +
                                       testing::Record("Alia", "[MR_Buy]", "Rose(2)"));
    dir.Write("ActionLog0002.txt", testing::Record("Alia", "[Buy]", "Salt(4)") + testing::Pickup("Salt(x)"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    Type(Control::txtPID, L"Alia");
    Go();
    PressCtrl(Item(Control::List1), 'E');
    const HWND all = view.AllActionsWindowHandle();
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(GetWindow(all, GW_OWNER), window());
    const HWND table = GetDlgItem(all, AllActionsWindow::kTable);
    PumpUntil([&] { return SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == 3; });
    EXPECT_EQ(TextOf(all), L"All Actions: Alia");
    EXPECT_EQ(Cells(table), L"Item|Picked Up|Sold|Bought|Shop|Net\nWidget|3|1|0|0|2\nRose|0|0|0|2|2\nSalt|0|0|4|0|4\n");
    NMLISTVIEW click{{table, AllActionsWindow::kTable, LVN_COLUMNCLICK}, -1, AllActionsForm::kNetColumn, 0, 0, 0, {}, 0};
    SendMessageW(all, WM_NOTIFY, AllActionsWindow::kTable, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Cells(table).substr(Cells(table).find(L'\n') + 1), L"Salt|0|0|4|0|4\nWidget|3|1|0|0|2\nRose|0|0|0|2|2\n");
    EXPECT_EQ(TextOf(GetDlgItem(all, AllActionsWindow::kStatus)), L"3 of 3 items, 2 logs: ActionLog0001.txt to ActionLog0002.txt, 1 skipped");
    EXPECT_NE(TextOf(GetDlgItem(all, AllActionsWindow::kProblems)).find(L"line 2: 'Salt(x)'"), std::wstring::npos);
    // Following: a Session column at the end, gone when the follow ends.
    const auto header = [&] { return Cells(table).substr(0, Cells(table).find(L'\n')); };
    SendMessageW(window(), WM_COMMAND, Win32View::CommandId(Command::Follow), 0);
    EXPECT_EQ(header(), L"Item|Picked Up|Sold|Bought|Shop|Net|Session");
    SendMessageW(window(), WM_COMMAND, Win32View::CommandId(Command::Follow), 0);
    EXPECT_EQ(header(), L"Item|Picked Up|Sold|Bought|Shop|Net");
    SetFocus(table);
    PostMessageW(table, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(view.AllActionsWindowHandle(), nullptr);
}

// Typed "al": the list under the box shows Form1's IDs in Form1's order
// (not sorted); Down, Down, Enter through the message loop picks one, and
// a click another.
TEST_F(Win32ViewTest, OffersThePlayersUnderTheBoxInFormsOrderAndPutsThePickInIt) {
    using testing::Pickup;
    dir.Write("ActionLog0101.txt", Pickup("Bow(1)", "Malia") + Pickup("Bow(1)", "Alia") + Pickup("Bow(1)", "Malia") +
                                       Pickup("Bow(1)", "alia2") + Pickup("Bow(1)", "alia2") + Pickup("Bow(1)", "alia2"));
    Type(Control::txtLogDir, (dir.path() / L"").wstring());
    const HWND box = Item(Control::txtPID), list = view.PlayerList();
    const auto typeAl = [&] {
        Type(Control::txtPID, L"");
        SetFocus(box);
        for (const wchar_t c : {L'a', L'l'}) SendMessageW(box, WM_CHAR, c, 0);
        PumpUntil([&] { return IsWindowVisible(list) != FALSE; });
    };
    typeAl();
    Texts rows(static_cast<std::size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        rows[row].resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)));
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(rows[row].data()));
    }
    EXPECT_EQ(rows, (Texts{L"alia2", L"Alia", L"Malia"}));
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(box, WM_KEYDOWN, key, 0);
    Pump();
    EXPECT_EQ(Text(Control::txtPID), L"Alia");
    EXPECT_FALSE(IsWindowVisible(list));
    typeAl();
    RECT row{};
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 2, row.top + 2));
    EXPECT_EQ(Text(Control::txtPID), L"Malia");
    EXPECT_EQ(GetFocus(), box);
}

}  // namespace
}  // namespace vantor::win32
