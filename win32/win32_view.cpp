#include "win32/win32_view.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "analysis/path_text.h"
#include "win32/resource.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VantorLogAnalyzer";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Control IDs start here, clear of IDOK (1) and IDCANCEL (2), which the
// dialog manager sends for Enter and Escape.
constexpr int kFirstControlId = 100;
// The longest path Windows takes (32,767 UTF-16 units, with long paths
// enabled) and its NUL: the dialog then returns any path the file system
// can hold, however many units its characters take.
constexpr std::size_t kFileBufferSize = 32768;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

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

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

UINT WindowDpi(HWND window) { return Dpi().getDpiForWindow ? Dpi().getDpiForWindow(window) : SystemDpi(); }

int Metric(int index, UINT dpi) {
    return Dpi().getSystemMetricsForDpi ? Dpi().getSystemMetricsForDpi(index, dpi)
                                        : MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

// The window rectangle, at the origin, around a client area of kFormWidth by kFormHeight.
RECT WindowRectForClient(UINT dpi) {
    RECT rect{0, 0, TwipsToPixels(kFormWidth, static_cast<int>(dpi)), TwipsToPixels(kFormHeight, static_cast<int>(dpi))};
    if (Dpi().adjustWindowRectExForDpi) {
        Dpi().adjustWindowRectExForDpi(&rect, kWindowStyle, FALSE, 0, dpi);
    } else {
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, 0);
    }
    return rect;
}

LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Dpi().systemParametersInfoForDpi) {
        Dpi().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    } else {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    }
    return metrics.lfMessageFont;
}

// How many pixels the widest fixed caption overflows its control in `font`
// (zero or less: they all fit), the text's height counted against a label's.
int Overflow(HDC dc, HFONT font, UINT dpi) {
    const HGDIOBJ previous = SelectObject(dc, font);
    const int scale = static_cast<int>(dpi);
    // An option's text starts past its round indicator and a small gap; a
    // button's inside its edges.
    const int indicator = Metric(SM_CXMENUCHECK, dpi) + MulDiv(4, scale, USER_DEFAULT_SCREEN_DPI);
    const int edges = 2 * Metric(SM_CXEDGE, dpi);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int overflow = metrics.tmHeight - TwipsToPixels(EntryOf(Control::Label1).height, scale);
    for (const ControlEntry& entry : kControls) {
        if (entry.caption.empty()) continue;
        int room = TwipsToPixels(entry.width, scale);
        if (entry.kind == ControlKind::Option) room -= indicator;
        if (entry.kind == ControlKind::Button) room -= edges;
        const std::wstring caption = Utf8ToWide(entry.caption);
        SIZE extent{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        overflow = std::max(overflow, static_cast<int>(extent.cx) - room);
    }
    SelectObject(dc, previous);
    return overflow;
}

// The controls keep their sizes, which suit a small 8-point font: the
// system's message font where the captions fit in it, else the first of some
// common dialog fonts in which they do (the closest, should none fit).
Font ReadableFont(HWND window, UINT dpi) {
    const LOGFONTW message = MessageFont(dpi);
    std::vector<LOGFONTW> candidates{message};
    for (const auto& [face, points] : std::initializer_list<std::pair<const wchar_t*, int>>{
             {L"Segoe UI", 9}, {L"Tahoma", 8}, {L"Microsoft Sans Serif", 8}, {L"MS Sans Serif", 8}}) {
        LOGFONTW font = message;
        font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
        font.lfWidth = 0;
        lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
        candidates.push_back(font);
    }
    const HDC dc = GetDC(window);
    Font best;
    int bestOverflow = INT_MAX;
    for (const LOGFONTW& candidate : candidates) {
        Font font(CreateFontIndirectW(&candidate));
        const int overflow = Overflow(dc, font.get(), dpi);
        if (overflow < bestOverflow) {
            best = std::move(font);
            bestOverflow = overflow;
        }
        if (bestOverflow <= 0) break;
    }
    ReleaseDC(window, dc);
    return best;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANTOR), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANTOR), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly for the second window of a process
}

}  // namespace

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        if (mFont != nullptr) DeleteObject(mFont);
        mFont = std::exchange(other.mFont, nullptr);
    }
    return *this;
}

Font::~Font() {
    if (mFont != nullptr) DeleteObject(mFont);
}

Win32View::Win32View(HINSTANCE instance, StartArguments arguments)
    : mInstance(instance), mArguments(std::move(arguments)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};  // tab: tooltips
    InitCommonControlsEx(&controls);
    RegisterWindowClass(instance, WindowProc);
    CreateWindowExW(0, kClassName, Utf8ToWide(kFormCaption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

Win32View::~Win32View() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

int Win32View::ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }

int Win32View::Run() {
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

// Tab, Shift+Tab and the arrow keys move between the controls as in a dialog.
void Win32View::Dispatch(MSG& message) {
    if (mWindow != nullptr && IsDialogMessageW(mWindow, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

LRESULT CALLBACK Win32View::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32View* view = nullptr;
    if (message == WM_NCCREATE) {
        view = static_cast<Win32View*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        view->mWindow = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    } else {
        view = reinterpret_cast<Win32View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = view->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->mWindow = nullptr;
    }
    return result;
}

LRESULT Win32View::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) != Handle(Control::List1)) break;
            OnListMenu(lParam);
            return 0;
        case WM_VKEYTOITEM:  // a key on the list; -2: handled, -1: the list's own
            if (LOWORD(wParam) != 'C' || GetKeyState(VK_CONTROL) >= 0) return -1;
            mForm.List1_Copy();
            return -2;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom == mTip && header.code == TTN_GETDISPINFOW) {
                return OnTipText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
            }
            break;
        }
        case WM_SYSCOMMAND:
            if (OnSysCommand(wParam)) return 0;
            break;
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: break;
    }
    return DefWindowProcW(mWindow, message, wParam, lParam);
}

bool Win32View::OnCreate() {
    mDpi = WindowDpi(mWindow);
    CreateControls();
    CreateTip();
    LayOut();
    const RECT frame = WindowRectForClient(mDpi);
    SetWindowPos(mWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HMENU system = GetSystemMenu(mWindow, FALSE);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, kAboutCommand, (Utf8ToWide(kAboutTitle) + L"...").c_str());
    mForm.Form_Load(mArguments);
    return true;
}

// In tab order, so that Tab and the arrow keys follow the table. The option
// group starts with WS_GROUP and ends at the next control that has it: the
// first control, where the search comes round again.
void Win32View::CreateControls() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlEntry& entry = kControls[i];
        const bool afterOption = kControls[(i + kControls.size() - 1) % kControls.size()].kind == ControlKind::Option;
        const bool option = entry.kind == ControlKind::Option;
        // Clipped by the controls made before it: the table's labels overlap
        // the tops of the list and the total box by a pixel.
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (option != afterOption ? WS_GROUP : 0);
        DWORD extended = 0;
        const wchar_t* windowClass = WC_STATICW;
        switch (entry.kind) {
            case ControlKind::Label:
                // One line; a status longer than the label ends in "...".
                style |= SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
                break;
            case ControlKind::TextBox:
                windowClass = WC_EDITW;
                style |= WS_TABSTOP | ES_AUTOHSCROLL;
                extended = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Button:
                // Never BS_DEFPUSHBUTTON: Enter presses nothing.
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
            case ControlKind::List:
                // The list keeps the table's height rather than a whole number of rows.
                windowClass = WC_LISTBOXW;
                // Its keys reach the window first (WM_VKEYTOITEM), for Ctrl+C.
                style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT;
                extended = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Option:
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
                break;
        }
        const HWND control = CreateWindowExW(extended, windowClass, Utf8ToWide(entry.caption).c_str(), style, 0, 0, 0, 0,
                                             mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(entry.id))),
                                             mInstance, nullptr);
        if (entry.kind == ControlKind::TextBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit
        mControls[i] = control;
    }
}

// One tool, the whole list, whose text is asked for each time it shows; the
// list's own mouse moves tell when the row under the mouse changes.
void Win32View::CreateTip() {
    const HWND list = Handle(Control::List1);
    mTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr, mInstance, nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(mTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetWindowSubclass(list, ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32View::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR view) {
    if (message == WM_MOUSEMOVE) reinterpret_cast<Win32View*>(view)->OnListMouseMove(lParam);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, ListProc, 0);
    return DefSubclassProc(list, message, wParam, lParam);
}

// The row at a point of the list's client area; -1 below the last one.
int Win32View::ListRowAt(POINT point) const {
    const LRESULT found = SendMessageW(Handle(Control::List1), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    return HIWORD(found) != 0 ? -1 : LOWORD(found);
}

// Another row: the tip goes, and comes back with that row's text.
void Win32View::OnListMouseMove(LPARAM point) {
    const int row = ListRowAt({GET_X_LPARAM(point), GET_Y_LPARAM(point)});
    if (row == mTipRow) return;
    mTipRow = row;
    SendMessageW(mTip, TTM_POP, 0, 0);
}

LPARAM Win32View::OnTipText(NMTTDISPINFOW& tip) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(Control::List1), &point);
    mTipRow = ListRowAt(point);
    mTipText = Utf8ToWide(mForm.ItemTip(mTipRow));
    tip.lpszText = mTipText.data();  // empty: no tip
    return 0;
}

// Places the controls and picks their font for the current DPI.
void Win32View::LayOut() {
    const int dpi = static_cast<int>(mDpi);
    Font font = ReadableFont(mWindow, mDpi);
    for (const ControlEntry& entry : kControls) {
        const HWND control = Handle(entry.id);
        SetWindowPos(control, nullptr, TwipsToPixels(entry.left, dpi), TwipsToPixels(entry.top, dpi),
                     TwipsToPixels(entry.width, dpi), TwipsToPixels(entry.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    mFont = std::move(font);  // the old font goes once no control uses it
}

// Focus returns to the control that had it, as in a dialog.
void Win32View::OnActivate(bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(mWindow, focus)) mLastFocus = focus;
        return;
    }
    if (mLastFocus == nullptr || !IsWindowEnabled(mLastFocus)) mLastFocus = GetNextDlgTabItem(mWindow, nullptr, FALSE);
    ::SetFocus(mLastFocus);
}

void Win32View::OnCommand(int id, int code) {
    if (id == kCopyCommand) {
        mForm.List1_Copy();
        return;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(kControls.size())) return;  // IDOK, IDCANCEL: no such button
    const ControlEntry& entry = kControls[static_cast<std::size_t>(index)];
    if (entry.kind == ControlKind::List) {
        if (code == LBN_SELCHANGE) mForm.List1_Click();
        return;
    }
    if (code != BN_CLICKED) return;
    if (entry.id == Control::Command1) mForm.Command1_Click();
    if (entry.id == Control::btnBrowse) mForm.btnBrowse_Click();
    if (entry.kind == ControlKind::Option) mForm.Option1_Click(entry.index);
}

// At the mouse, or from the keyboard (Shift+F10, the menu key) at the list's corner.
void Win32View::OnListMenu(LPARAM point) {
    POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (at.x == -1 && at.y == -1) {
        at = {0, 0};
        ClientToScreen(Handle(Control::List1), &at);
    }
    const HMENU menu = CreatePopupMenu();
    const bool listed = SendMessageW(Handle(Control::List1), LB_GETCOUNT, 0, 0) > 0;
    AppendMenuW(menu, MF_STRING | (listed ? 0 : MF_GRAYED), kCopyCommand, L"Copy\tCtrl+C");
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, mWindow, nullptr);  // sends WM_COMMAND
    DestroyMenu(menu);
}

// The system menu's own commands are left to Windows.
bool Win32View::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != kAboutCommand) return false;
    ShowMessageBox(Utf8ToWide(kAboutTitle), Utf8ToWide(AboutText()), MB_OK | MB_ICONINFORMATION);
    return true;
}

// Moved to a monitor of another DPI (or its scale changed): the same layout
// at the new DPI, in the rectangle Windows suggests.
void Win32View::OnDpiChanged(UINT dpi, const RECT& suggested) {
    mDpi = dpi;
    LayOut();
    SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32View::OnClose() {
    if (mForm.Form_QueryUnload()) CloseWindow();
}

void Win32View::OnDestroy() {
    mForm.Form_Unload();
    PostQuitMessage(0);
}

std::string Win32View::Text(Control control) { return WideToUtf8(WindowText(Handle(control))); }

void Win32View::SetText(Control control, std::string_view text) {
    SetWindowTextW(Handle(control), Utf8ToWide(text).c_str());
}

void Win32View::SetEnabled(Control control, bool enabled) { EnableWindow(Handle(control), enabled); }

void Win32View::SetFocus(Control control) { ::SetFocus(Handle(control)); }

void Win32View::SetChecked(Control option) {
    CheckRadioButton(mWindow, ControlId(Control::Option1_0), ControlId(Control::Option1_3), ControlId(option));
}

void Win32View::ClearList() { SendMessageW(Handle(Control::List1), LB_RESETCONTENT, 0, 0); }

void Win32View::AddListItem(std::string_view text) {
    SendMessageW(Handle(Control::List1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
}

int Win32View::ListIndex() {
    return static_cast<int>(SendMessageW(Handle(Control::List1), LB_GETCURSEL, 0, 0));  // LB_ERR is -1
}

void Win32View::SetClipboardText(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return;
    std::memcpy(GlobalLock(memory), wide.c_str(), size);
    GlobalUnlock(memory);
    // Once set, the memory is the clipboard's.
    if (!OpenClipboard(mWindow)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    CloseClipboard();
}

void Win32View::ShowMessageBox(std::wstring_view title, std::wstring_view text, UINT type) {
    if (messageBox) {
        messageBox(mWindow, title, text, type);
        return;
    }
    MessageBoxW(mWindow, std::wstring(text).c_str(), std::wstring(title).c_str(), type);
}

void Win32View::ShowMessage(std::string_view title, std::string_view text) {
    ShowMessageBox(Utf8ToWide(title), Utf8ToWide(text), MB_OK | MB_ICONERROR);
}

std::string Win32View::ShowFileDialog(const FileDialogRequest& request) {
    std::wstring file = Utf8ToWide(request.initialFileName);
    file.resize(kFileBufferSize, L'\0');
    // The list of filters ends with an empty one.
    std::wstring filter = Utf8ToWide(request.filter);
    filter.append(2, L'\0');
    const std::wstring title = Utf8ToWide(request.title);
    const std::wstring folder = Utf8ToWide(request.initialDir);
    const std::wstring extension = Utf8ToWide(request.defaultExt);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = request.flags;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();

    BOOL chosen = FALSE;
    if (nextFileDialog) {
        chosen = std::exchange(nextFileDialog, nullptr)(dialog);
    } else {
        chosen = request.open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    }
    const std::size_t end = file.find(L'\0');
    if (!chosen || end == std::wstring::npos) return {};
    return WideToUtf8(std::wstring_view(file).substr(0, end));
}

std::string Win32View::UpperCase(std::string_view text) {
    std::wstring wide = Utf8ToWide(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return WideToUtf8(wide);
}

void Win32View::PassEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the message loop to see
            return;
        }
        Dispatch(message);
    }
}

void Win32View::CloseWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

}  // namespace vantor::win32
