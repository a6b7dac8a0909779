// The real window, created in this process and driven through window
// messages as a user's keys and clicks would reach it (run under Wine by
// scripts/test-windows.sh). What Form1 decides is tested in tests/ui.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"
#include "win32/resource.h"
#include "vantor_version.h"
#include "win32/win32_view.h"

// Rectangles compared and printed by GoogleTest (found by lookup in RECT's namespace).
inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
}

namespace vantor::win32 {
namespace {

using testing::LogBuilder;
using testing::TempDir;
using Texts = std::vector<std::wstring>;

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

RECT ClientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// A message-only window that runs an action when the scan's event pass
// dispatches the message posted to it: a look at the window during a scan.
class EventSpy {
public:
    EventSpy() {
        WNDCLASSW spyClass{};
        spyClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_APP) (*reinterpret_cast<std::function<void()>*>(lParam))();
            return DefWindowProcW(window, message, wParam, lParam);
        };
        spyClass.hInstance = GetModuleHandleW(nullptr);
        spyClass.lpszClassName = L"VantorEventSpy";
        RegisterClassW(&spyClass);
        mWindow = CreateWindowExW(0, L"VantorEventSpy", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  spyClass.hInstance, nullptr);
    }
    ~EventSpy() { DestroyWindow(mWindow); }
    void AtNextPass(std::function<void()> action) {
        mAction = std::move(action);
        PostMessageW(mWindow, WM_APP, 0, reinterpret_cast<LPARAM>(&mAction));
    }

private:
    HWND mWindow = nullptr;
    std::function<void()> mAction;
};

struct MessageBoxCall {
    HWND owner;
    std::wstring title;
    std::wstring text;
    UINT type;
};

class Win32ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ShowWindow(window(), SW_SHOWNORMAL);
        view->messageBox = [this](HWND owner, std::wstring_view title, std::wstring_view text, UINT type) {
            boxes.push_back({owner, std::wstring(title), std::wstring(text), type});
        };
    }
    void TearDown() override {
        view.reset();
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted by the closed window
    }

    HWND window() const { return view->Window(); }
    HWND Item(Control control) const { return GetDlgItem(window(), Win32View::ControlId(control)); }
    std::wstring Text(Control control) const { return TextOf(Item(control)); }
    void Type(Control control, const std::wstring& text) const {
        SendMessageW(Item(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Click(Control control) const { SendMessageW(Item(control), BM_CLICK, 0, 0); }
    Texts ListTexts() const {
        Texts texts;
        const HWND list = Item(Control::List1);
        for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
            texts.push_back(text);
        }
        return texts;
    }
    // Writes a log into `folder` and types the folder into txtLogDir.
    void UseLog(const std::filesystem::path& folder, const std::wstring& name, const std::string& bytes) const {
        std::filesystem::create_directories(folder);
        std::FILE* file = _wfopen((folder / name).c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        Type(Control::txtLogDir, (folder / L"").wstring());
    }

    std::unique_ptr<Win32View> view = std::make_unique<Win32View>(GetModuleHandleW(nullptr));
    std::vector<MessageBoxCall> boxes;
    TempDir dir;
};

TEST_F(Win32ViewTest, ControlsStandWhereTheTablePutsThemAtNinetySixDpi) {
    ASSERT_EQ(GetDpiForWindow(window()), 96u) << "the Wine prefix is not at 96 dpi";
    EXPECT_EQ(TextOf(window()), L"Vantor Log Analyzer");
    RECT client{};
    GetClientRect(window(), &client);
    EXPECT_EQ(client, (RECT{0, 0, 523, 288}));
    for (const ControlSpec& spec : kControls) {
        EXPECT_EQ(ClientRectOf(Item(spec.id)), (RECT{spec.left / 15, spec.top / 15, (spec.left + spec.width) / 15,
                                                     (spec.top + spec.height) / 15}))
            << spec.name << spec.index;
    }
    EXPECT_EQ(ClientRectOf(Item(Control::List1)), (RECT{184, 96, 385, 256})) << "the list keeps its height";
    EXPECT_EQ(ClientRectOf(Item(Control::btnBrowse)), (RECT{496, 8, 513, 27}));
    EXPECT_EQ(ClientRectOf(Item(Control::Option1_3)), (RECT{16, 176, 153, 193}));
    EXPECT_EQ(Text(Control::Option1_3), L"Bought from Player Shop");
    EXPECT_EQ(SendMessageW(Item(Control::Option1_0), BM_GETCHECK, 0, 0), BST_CHECKED);

    // The class icons come from the .ico, which also holds 48 and 256 pixels.
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(window(), GCLP_HICON))), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(GetClassLongPtrW(window(), GCLP_HICONSM))),
              GetSystemMetrics(SM_CXSMICON));
    for (const int size : {48, 256}) {
        const auto icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VANTOR), IMAGE_ICON, size, size, 0));
        EXPECT_EQ(IconWidth(icon), size);
        DestroyIcon(icon);
    }
}

// Every fixed caption fits its control in the font the controls were given.
TEST_F(Win32ViewTest, TheFontFitsEveryFixedCaption) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(Item(Control::Label1), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    const HDC dc = GetDC(window());
    SelectObject(dc, font);
    for (const ControlSpec& spec : kControls) {
        EXPECT_EQ(SendMessageW(Item(spec.id), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font)) << spec.name;
        const std::wstring caption = Text(spec.id);
        if (caption.empty()) continue;
        RECT room{};
        GetClientRect(Item(spec.id), &room);
        if (spec.kind == ControlKind::Option) room.right -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        EXPECT_LE(extent.cx, room.right) << spec.name << spec.index;
        EXPECT_LE(extent.cy, room.bottom) << spec.name << spec.index;
    }
    ReleaseDC(window(), dc);
}

TEST_F(Win32ViewTest, TabFollowsTheTableAndArrowsStayInTheOptionGroup) {
    const Control order[] = {Control::txtLogDir, Control::btnBrowse, Control::Command1, Control::txtPID,
                             Control::List1,     Control::Text1,     Control::Option1_0, Control::txtLogDir};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(GetNextDlgTabItem(window(), Item(order[i]), FALSE), Item(order[i + 1])) << "Tab from " << i;
        EXPECT_EQ(GetNextDlgTabItem(window(), Item(order[i + 1]), TRUE), Item(order[i])) << "Shift+Tab to " << i;
    }
    Click(Control::Option1_2);  // Tab now enters the group at the selected option
    EXPECT_EQ(GetNextDlgTabItem(window(), Item(Control::Text1), FALSE), Item(Control::Option1_2));
    EXPECT_EQ(GetNextDlgGroupItem(window(), Item(Control::Option1_3), FALSE), Item(Control::Option1_0));
    EXPECT_EQ(GetNextDlgGroupItem(window(), Item(Control::Option1_0), TRUE), Item(Control::Option1_3));

    // A real Tab key, through the window's event pass.
    SetFocus(Item(Control::txtPID));
    PostMessageW(Item(Control::txtPID), WM_KEYDOWN, VK_TAB, 0);
    view->PassEvents();
    EXPECT_EQ(GetFocus(), Item(Control::List1));
}

TEST_F(Win32ViewTest, EnterAndEscapePressNothing) {
    UseLog(dir.path(), L"ActionLog1.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").str());
    Type(Control::txtPID, L"Alia");
    bool browsed = false;
    for (const Control focus : {Control::txtPID, Control::Command1, Control::Text1}) {
        view->nextFileDialog = [&](OPENFILENAMEW&) { return browsed = true, FALSE; };
        SetFocus(Item(focus));
        PostMessageW(Item(focus), WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(Item(focus), WM_KEYDOWN, VK_ESCAPE, 0);
        view->PassEvents();
    }
    EXPECT_TRUE(ListTexts().empty());
    EXPECT_EQ(Text(Control::Label3), L"");
    EXPECT_FALSE(browsed);
    EXPECT_TRUE(IsWindow(window()));
}

TEST_F(Win32ViewTest, GoListsAUnicodeFoldersItemsAndASelectionShowsTheTotal) {
    UseLog(dir.path() / L"été-日本", L"ActionLog-日本.txt",
           LogBuilder()
               .Record("Alia", "[Pickup]", "Widget(3)")
               .Record("Alia", "[Pickup]", "\x80uro Coin(5)")
               .Record("Caf\xE9", "[Pickup]", "Cup(2)")
               .str());
    Type(Control::txtPID, L"Alia");
    EventSpy spy;
    std::vector<bool> enabled;
    std::wstring status;
    spy.AtNextPass([&] {
        enabled = {IsWindowEnabled(Item(Control::Command1)) != FALSE, IsWindowEnabled(Item(Control::btnBrowse)) != FALSE};
        status = Text(Control::Label3);
    });
    Click(Control::Command1);
    EXPECT_EQ(enabled, (std::vector<bool>{false, false})) << "greyed out during the scan";
    EXPECT_EQ(status, L"Processing ActionLog-日本.txt");
    EXPECT_TRUE(IsWindowEnabled(Item(Control::Command1)));
    EXPECT_EQ(ListTexts(), (Texts{L"Widget", L"\u20ACuro Coin"}));
    EXPECT_EQ(Text(Control::Label3), L"1 log read, 2 items listed");

    const HWND list = Item(Control::List1);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(Win32View::ControlId(Control::List1), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(Text(Control::Text1), L"5");
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Text(Control::Text1), L"3") << "moved by the keyboard";
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 2, item.top + 2));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 2, item.top + 2));
    EXPECT_EQ(Text(Control::Text1), L"5") << "clicked";

    Type(Control::txtPID, L"Café");
    Click(Control::Command1);
    EXPECT_EQ(ListTexts(), Texts{L"Cup"});
}

TEST_F(Win32ViewTest, ARunTimeErrorIsAnErrorBoxOwnedByTheWindow) {
    UseLog(dir.path(), L"ActionLog1.txt", LogBuilder().Record("Alia", "[Pickup]", "\xC9p\xE9" "e(1)(2)").str());
    Type(Control::txtPID, L"Alia");
    Click(Control::Command1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, window());
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].title, L"Vantor Log Analyzer");
    EXPECT_EQ(boxes[0].text, L"Run-time error: type mismatch\nFile: ActionLog1.txt\nLine: 1\nItem: Épée(1)(2)\n"
                             L"quantity '1)(2' is not a number");
}

TEST_F(Win32ViewTest, BrowseFillsTheDialogRequestAndTakesTheUpperCasedFolder) {
    Type(Control::txtLogDir, L"C:\\Logs\\été\\");
    OPENFILENAMEW asked{};  // its texts are gone once the dialog returns: kept below
    std::wstring title;
    std::wstring folder;
    Texts filters;
    std::wstring answer = L"C:\\Jeux\\été-日本\\ActionLog0102.txt";
    const auto dialog = [&](OPENFILENAMEW& request) -> BOOL {
        asked = request;
        title = request.lpstrTitle;
        folder = request.lpstrInitialDir;
        filters.clear();
        for (const wchar_t* entry = request.lpstrFilter; *entry != L'\0' && filters.size() < 4; entry += wcslen(entry) + 1) {
            filters.emplace_back(entry);
        }
        if (answer.size() >= request.nMaxFile) return FALSE;  // as the dialog does with a short buffer
        wcscpy(request.lpstrFile, answer.c_str());
        return !answer.empty();
    };
    view->nextFileDialog = dialog;
    Click(Control::btnBrowse);
    EXPECT_EQ(Text(Control::txtLogDir), L"C:\\JEUX\\ÉTÉ-日本\\");
    EXPECT_EQ(asked.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(asked.hwndOwner, window());
    EXPECT_EQ(title, L"Open Vantor log file");
    EXPECT_EQ(filters, (Texts{L"Vantor Log Files", L"*.txt"}));
    EXPECT_EQ(asked.nFilterIndex, 1u);
    EXPECT_EQ(folder, L"C:\\Logs\\été\\");
    EXPECT_EQ(asked.Flags, 0x1804u);
    EXPECT_EQ(asked.lpstrDefExt, nullptr);

    // The file name box starts with the pattern; the buffer takes paths far
    // longer than MAX_PATH.
    view->nextFileDialog = [&](OPENFILENAMEW& request) {
        EXPECT_STREQ(request.lpstrFile, L"*.txt");
        return dialog(request);
    };
    answer = L"C:\\" + std::wstring(2000, L'é') + L"\\" + std::wstring(2000, L'日') + L"\\ActionLog1.txt";
    const std::wstring longFolder = L"C:\\" + std::wstring(2000, L'É') + L"\\" + std::wstring(2000, L'日') + L"\\";
    Click(Control::btnBrowse);
    EXPECT_EQ(Text(Control::txtLogDir), longFolder);

    answer.clear();  // cancelled
    view->nextFileDialog = dialog;
    Click(Control::btnBrowse);
    EXPECT_EQ(Text(Control::txtLogDir), longFolder);
}

TEST_F(Win32ViewTest, ClosingDuringAScanClosesAfterTheCurrentLog) {
    UseLog(dir.path(), L"ActionLog1.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").str());
    UseLog(dir.path(), L"ActionLog2.txt", LogBuilder().Record("Alia", "[Pickup]", "Widget(4)").str());
    const HWND closing = window();
    EventSpy spy;
    bool openAfterClose = false;
    PostMessageW(closing, WM_CLOSE, 0, 0);  // handled by the first event pass
    spy.AtNextPass([&] { openAfterClose = IsWindow(closing) != FALSE; });
    Click(Control::Command1);
    EXPECT_TRUE(openAfterClose) << "the window waits for the current log";
    EXPECT_FALSE(IsWindow(closing));
    EXPECT_EQ(view->Window(), nullptr);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
}

TEST_F(Win32ViewTest, ADpiChangeLaysTheWindowOutAgain) {
    LOGFONTW before{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(Control::Label1), WM_GETFONT, 0, 0)), sizeof before, &before);
    RECT suggested{40, 50, 840, 550};
    SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame{};
    GetWindowRect(window(), &frame);
    EXPECT_EQ(frame, suggested);
    EXPECT_EQ(ClientRectOf(Item(Control::txtLogDir)), (RECT{132, 12, 745, 40}));
    EXPECT_EQ(ClientRectOf(Item(Control::List1)), (RECT{276, 144, 577, 384}));
    EXPECT_EQ(ClientRectOf(Item(Control::Option1_3)), (RECT{24, 264, 229, 289}));
    LOGFONTW after{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(Control::List1), WM_GETFONT, 0, 0)), sizeof after, &after);
    EXPECT_NEAR(after.lfHeight, before.lfHeight * 3 / 2, 1);
}

TEST_F(Win32ViewTest, AboutInTheSystemMenuShowsTheVersion) {
    wchar_t item[64] = {};
    GetMenuStringW(GetSystemMenu(window(), FALSE), Win32View::kAboutCommand, item, 64, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"About Vantor Log Analyzer...");
    SendMessageW(window(), WM_SYSCOMMAND, Win32View::kAboutCommand, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"About Vantor Log Analyzer");
    EXPECT_EQ(boxes[0].text, L"Vantor Log Analyzer\nVersion " VANTOR_VERSION);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

}  // namespace
}  // namespace vantor::win32
