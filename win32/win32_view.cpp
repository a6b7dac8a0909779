#include "win32/win32_view.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

#include "vantor/text.h"
#include "ui/font_fit.h"
#include "win32/all_actions_window.h"
#include "win32/by_log_window.h"
#include "win32/message_dialog.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VantorLogAnalyzer";
// A sizing border and Maximize: the controls follow the window's size.
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
// Control IDs start here, clear of IDOK (1) and IDCANCEL (2), which the
// dialog manager sends for Enter and Escape, and of the commands' IDs.
constexpr int kFirstControlId = 100;
// Tells the window that work was posted to it.
constexpr UINT kPostedMessage = WM_APP + 1;
// The longest path Windows takes (32,767 UTF-16 units, with long paths
// enabled) and its NUL: the dialog then returns any path the file system
// can hold, however many units its characters take.
constexpr std::size_t kFileBufferSize = 32768;
// The window's normal place and size as it was last closed, the DPI they
// are in and whether it was maximised: "left top right bottom dpi 0|1".
constexpr std::string_view kPlacementSetting = "window";

// How many pixels the widest fixed caption overflows its control in `font`
// (zero or less: they all fit), the text's height counted against a label's.
int Overflow(HDC dc, HFONT font, UINT dpi) {
    const Selection selected(dc, font);
    const int scale = static_cast<int>(dpi);
    // An option's text starts past its round indicator and a small gap; a
    // button's inside its edges.
    const int indicator = Metric(SM_CXMENUCHECK, dpi) + Scaled(4, dpi);
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
    return overflow;
}

// The controls keep their sizes, which suit a small 8-point font: the
// system's message font where the captions fit in it, else the first of some
// common dialog fonts in which they do; where none does (a system without
// them, which substitutes wider faces), the closest made smaller until they do.
Font ReadableFont(HWND window, UINT dpi) {
    const std::vector<FontChoice> candidates{{"", MessageFontPoints(dpi)},
                                             {"Segoe UI", 9},
                                             {"Tahoma", 8},
                                             {"Microsoft Sans Serif", 8},
                                             {"MS Sans Serif", 8}};
    const WindowDc dc(window);
    const FontChoice chosen = FitFont(candidates, [&](const FontChoice& choice) {
        const Font font = CreateChosenFont(choice, dpi);
        return Overflow(dc.get(), font.get(), dpi);
    });
    return CreateChosenFont(chosen, dpi);
}

// The commands of kCommands; About only where `about`.
void AppendCommands(HMENU menu, bool about) {
    HMENU submenu = nullptr;  // the one being filled
    std::string_view submenuCaption;
    for (const CommandEntry& entry : kCommands) {
        if (entry.id == Command::About && !about) continue;
        HMENU into = menu;
        if (!entry.submenu.empty()) {
            if (entry.submenu != submenuCaption) {
                if (entry.separatorBefore) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                submenu = CreatePopupMenu();
                submenuCaption = entry.submenu;
                AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), Utf8ToWide(entry.submenu).c_str());
            } else if (entry.separatorBefore) {
                AppendMenuW(submenu, MF_SEPARATOR, 0, nullptr);
            }
            into = submenu;
        } else if (entry.separatorBefore) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        }
        std::wstring caption = Utf8ToWide(entry.caption);
        if (entry.ctrlKey != 0) caption += std::wstring(L"\tCtrl+") + static_cast<wchar_t>(entry.ctrlKey);
        AppendMenuW(into, MF_STRING, Win32View::CommandId(entry.id), caption.c_str());
    }
}

// Checks and greys the commands of `menu` as Form1 has them now.
void UpdateCommands(HMENU menu, const Form1& form) {
    for (const CommandEntry& entry : kCommands) {
        const UINT id = Win32View::CommandId(entry.id);
        EnableMenuItem(menu, id, MF_BYCOMMAND | (form.MenuEnabled(entry.id) ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(menu, id, MF_BYCOMMAND | (form.MenuChecked(entry.id) ? MF_CHECKED : MF_UNCHECKED));
        if (!entry.submenu.empty() && form.MenuChecked(entry.id)) {
            // A choice of one shows a dot, as Windows' own menus do.
            CheckMenuRadioItem(menu, id, id, id, MF_BYCOMMAND);
        }
    }
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly for the second window of a process
}

}  // namespace

Win32View::Win32View(HINSTANCE instance, StartArguments arguments, Settings settings)
    : mInstance(instance), mArguments(std::move(arguments)), mSettings(std::move(settings)) {
    // Tab: tooltips; list view: the By log window's table; up-down: its count of logs.
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    RegisterWindowClass(instance, ViewWindowProc<Win32View>);
    CreateWindowExW(0, kClassName, Utf8ToWide(kFormCaption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

Win32View::~Win32View() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
    if (mAccelerators != nullptr) DestroyAcceleratorTable(mAccelerators);
}

int Win32View::ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }

// Multiples of 16, below 0xF000: the system menu keeps the low four bits
// and the commands from 0xF000 up for itself.
UINT Win32View::CommandId(Command command) { return 0x10 * (static_cast<UINT>(command) + 1); }

HWND Win32View::ByLogWindowHandle() const { return mByLog ? mByLog->Window() : nullptr; }

HWND Win32View::AllActionsWindowHandle() const { return mAllActions ? mAllActions->Window() : nullptr; }

int Win32View::Run() {
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

// Ctrl+B, Ctrl+E and Ctrl+L anywhere in the window, the mouse for the tip;
// Tab, Shift+Tab and the arrow keys move between the controls of either
// window as in a dialog.
void Win32View::Dispatch(MSG& message) {
    if (mMessage != nullptr && mMessage->PreTranslate(message)) return;
    if (mWindow != nullptr && (message.hwnd == mWindow || IsChild(mWindow, message.hwnd))) {
        RelayToTip(message);
        if (TranslateAcceleratorW(mWindow, mAccelerators, &message) || IsDialogMessageW(mWindow, &message)) return;
    } else if ((mByLog && mByLog->PreTranslate(message)) || (mAllActions && mAllActions->PreTranslate(message))) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

LRESULT Win32View::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_COMMAND:
            if (lParam == 0 && OnMenuCommand(LOWORD(wParam))) return 0;  // a menu's or a Ctrl key's
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) != Handle(Control::List1)) break;
            OnListMenu(lParam);
            return 0;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) != 0) OnInitMenu(reinterpret_cast<HMENU>(wParam));  // the system menu
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
            if (OnMenuCommand(static_cast<UINT>(wParam & 0xFFF0))) return 0;
            break;
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_SIZE:
            if (mOffer) mOffer->Hide();  // it would stay where the box was
            if (wParam != SIZE_MINIMIZED) PlaceControls();
            return 0;
        case WM_MOVE:
            if (mOffer) mOffer->Hide();
            return 0;
        case WM_GETMINMAXINFO: OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
        case kPostedMessage: OnPosted(); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: break;
    }
    return DefWindowProcW(mWindow, message, wParam, lParam);
}

bool Win32View::OnCreate() {
    {
        const std::lock_guard lock(mPostLock);
        mPostTo = mWindow;
    }
    mDpi = WindowDpi(mWindow);
    CreateControls();
    mOffer = std::make_unique<PlayerOffer>(Handle(Control::txtPID), mInstance, [this](int row) { mForm.txtPID_Choose(row); });
    CreateTip();
    CreateAccelerators();
    LayOut();
    const SIZE first = FirstClientSize();
    const RECT frame = FrameAround(first.cx, first.cy, kWindowStyle, mDpi);
    SetWindowPos(mWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RestorePlacement();
    const HMENU system = GetSystemMenu(mWindow, FALSE);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendCommands(system, true);
    mForm.Form_Load(mArguments);
    return true;
}

// The commands with a Ctrl key, but Copy: Ctrl+C copies from whichever
// control has the focus (the list handles it itself).
void Win32View::CreateAccelerators() {
    std::vector<ACCEL> keys;
    for (const CommandEntry& entry : kCommands) {
        if (entry.ctrlKey == 0 || entry.id == Command::Copy) continue;
        keys.push_back({FVIRTKEY | FCONTROL, static_cast<WORD>(entry.ctrlKey), static_cast<WORD>(CommandId(entry.id))});
    }
    mAccelerators = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
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
                // One line; a status longer than the label ends in "...", and
                // its tip shows it whole (SS_NOTIFY: the tip sees the mouse).
                style |= SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY;
                break;
            case ControlKind::TextBox:
                windowClass = WC_EDITW;
                // The total is the analysis's: read, selected and copied, not typed.
                style |= WS_TABSTOP | ES_AUTOHSCROLL | (entry.id == Control::Text1 ? ES_READONLY : 0);
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
                // A name wider than the list scrolls into view (WidenList).
                style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT;
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

// Two tools, the whole list and the status line, whose texts are asked for
// each time the tip shows. The message loop hands the tip their mouse
// messages (RelayToTip) rather than the tip subclassing them: under Wine a
// subclassed window costs a round trip to the server for every message it
// gets: 20 µs and more for each name the list takes.
void Win32View::CreateTip() {
    mTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr, mInstance, nullptr);
    for (const Control control : {Control::List1, Control::Label3}) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        // Transparent: the tip shows just below the mouse, and the list must
        // still see the mouse move there, off its last row, to take it down.
        tool.uFlags = TTF_IDISHWND | TTF_TRANSPARENT;
        tool.hwnd = mWindow;
        tool.uId = reinterpret_cast<UINT_PTR>(Handle(control));
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(mTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Long statuses and names: lines as wide as a third of the screen.
    SendMessageW(mTip, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 3);
}

// The mouse's messages for the list and the status line, on their way from
// the message loop: the tip sees them, and a move onto another row of the
// list takes the tip down.
void Win32View::RelayToTip(MSG& message) {
    if (message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) return;
    const HWND list = Handle(Control::List1);
    if (message.hwnd != list && message.hwnd != Handle(Control::Label3)) return;
    if (message.hwnd == list && message.message == WM_MOUSEMOVE) OnListMouseMove(message.lParam);
    SendMessageW(mTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

// The row at a point of the list's client area; -1 outside it and below
// the last row, where the list names the nearest row.
int Win32View::ListRowAt(POINT point) const {
    const HWND list = Handle(Control::List1);
    const LRESULT found = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    RECT row{};
    if (HIWORD(found) != 0 || SendMessageW(list, LB_GETITEMRECT, LOWORD(found), reinterpret_cast<LPARAM>(&row)) == LB_ERR ||
        !PtInRect(&row, point)) {
        return -1;
    }
    return LOWORD(found);
}

// Another row: the tip goes, and comes back with that row's text.
void Win32View::OnListMouseMove(LPARAM point) {
    const int row = ListRowAt({GET_X_LPARAM(point), GET_Y_LPARAM(point)});
    if (row == mTipRow) return;
    mTipRow = row;
    SendMessageW(mTip, TTM_POP, 0, 0);
}

LPARAM Win32View::OnTipText(NMTTDISPINFOW& tip) {
    if (reinterpret_cast<HWND>(tip.hdr.idFrom) == Handle(Control::Label3)) {
        mTipText = WindowText(Handle(Control::Label3));
        tip.lpszText = mTipText.data();
        return 0;
    }
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(Control::List1), &point);
    mTipRow = ListRowAt(point);
    mTipText = Utf8ToWide(mForm.ItemTip(mTipRow));
    tip.lpszText = mTipText.data();  // empty: no tip
    return 0;
}

// Picks the controls' font for the current DPI and places them.
void Win32View::LayOut() {
    Font font = ReadableFont(mWindow, mDpi);
    for (const HWND control : mControls) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    mOffer->SetFont(font.get());
    mFont = std::move(font);  // the old font goes once no control uses it
    PlaceControls();
    // The names' widths in the new font.
    const HWND list = Handle(Control::List1);
    const auto rows = static_cast<WPARAM>(std::max<LRESULT>(0, SendMessageW(list, LB_GETCOUNT, 0, 0)));
    std::vector<std::wstring> texts;
    for (WPARAM row = 0; row < rows; ++row) {
        std::wstring& text = texts.emplace_back(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()))));
    }
    mListExtent = 0;
    WidenList(texts);
}

// Each control where its anchors put it in the client area as it is now.
void Win32View::PlaceControls() {
    if (Handle(Control::List1) == nullptr) return;  // before WM_CREATE made them
    RECT client{};
    GetClientRect(mWindow, &client);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(kControls.size()));
    for (const ControlEntry& entry : kControls) {
        const PixelRect place = PlaceControl(entry, client.right, client.bottom, static_cast<int>(mDpi));
        if (moves != nullptr) {
            moves = DeferWindowPos(moves, Handle(entry.id), nullptr, place.left, place.top, place.width, place.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (moves != nullptr) EndDeferWindowPos(moves);
    // A status that ends in "..." shows more of itself when wider.
    InvalidateRect(Handle(Control::Label3), nullptr, TRUE);
}

// The list scrolls the widest name listed so far into view, whole.
void Win32View::WidenList(const std::vector<std::wstring>& texts) {
    const HWND list = Handle(Control::List1);
    const WindowDc dc(list);
    const Selection font(dc.get(), mFont.get());
    for (const std::wstring& text : texts) {
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        mListExtent = std::max(mListExtent, static_cast<int>(extent.cx) + Scaled(6, mDpi));  // and the row's margins
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(mListExtent), 0);
}

SIZE Win32View::FirstClientSize() const {
    return {TwipsToPixels(kFormWidth, static_cast<int>(mDpi)), TwipsToPixels(kFormHeight, static_cast<int>(mDpi))};
}

// Never smaller than the first size, at whichever DPI the window is now.
void Win32View::OnMinMaxInfo(MINMAXINFO& limits) const {
    const SIZE first = FirstClientSize();
    const RECT frame = FrameAround(first.cx, first.cy, kWindowStyle, mDpi);
    limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

// Where the window was last closed: its normal place and size (no less
// than the first size, and scaled if the DPI changed since), which
// SetWindowPlacement moves onto a monitor if it is on none now; maximised on
// Show if it was.
void Win32View::RestorePlacement() {
    const std::optional<std::string> saved = mSettings.Load(kPlacementSetting);
    if (!saved) return;
    std::istringstream in(*saved);
    RECT was{};
    int dpi = 0, maximised = 0;
    if (!(in >> was.left >> was.top >> was.right >> was.bottom >> dpi >> maximised) || dpi <= 0) return;
    const SIZE first = FirstClientSize();
    const RECT least = FrameAround(first.cx, first.cy, kWindowStyle, mDpi);
    const int scale = static_cast<int>(mDpi);
    const LONG width = std::max(MulDiv(was.right - was.left, scale, dpi), static_cast<int>(least.right - least.left));
    const LONG height = std::max(MulDiv(was.bottom - was.top, scale, dpi), static_cast<int>(least.bottom - least.top));
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(mWindow, &placement);
    placement.showCmd = SW_HIDE;  // until Show
    placement.rcNormalPosition = {was.left, was.top, was.left + width, was.top + height};
    SetWindowPlacement(mWindow, &placement);
    mStartMaximised = maximised != 0;
}

void Win32View::SavePlacement() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(mWindow, &placement)) return;
    const RECT& normal = placement.rcNormalPosition;
    const bool maximised = IsZoomed(mWindow) || (IsIconic(mWindow) && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
    mSettings.Save(kPlacementSetting, std::to_string(normal.left) + ' ' + std::to_string(normal.top) + ' ' +
                                          std::to_string(normal.right) + ' ' + std::to_string(normal.bottom) + ' ' +
                                          std::to_string(mDpi) + ' ' + (maximised ? '1' : '0'));
}

void Win32View::Show(int command) {
    const bool plain = command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT || command == SW_SHOW;
    ShowWindow(mWindow, mStartMaximised && plain ? SW_SHOWMAXIMIZED : command);
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
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(kControls.size())) return;  // IDOK, IDCANCEL: no such button
    const ControlEntry& entry = kControls[static_cast<std::size_t>(index)];
    if (entry.id == Control::txtPID) {
        if (code == EN_CHANGE && !mSettingText) mForm.txtPID_Change();
        return;
    }
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
    AppendCommands(menu, false);
    UpdateCommands(menu, mForm);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, mWindow, nullptr);  // sends WM_COMMAND
    DestroyMenu(menu);
}

// The system menu as it opens shows Form1's checks and greying.
void Win32View::OnInitMenu(HMENU menu) { UpdateCommands(menu, mForm); }

// A command of the menus or of a Ctrl key; false for any other ID (the
// system menu's own commands are left to Windows).
bool Win32View::OnMenuCommand(UINT id) {
    for (const CommandEntry& entry : kCommands) {
        if (CommandId(entry.id) != id) continue;
        if (mForm.MenuEnabled(entry.id)) mForm.Menu_Click(entry.id);
        return true;
    }
    return false;
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

// Work posted before the window goes is dropped with it.
void Win32View::OnDestroy() {
    SavePlacement();
    mForm.Form_Unload();
    {
        const std::lock_guard lock(mPostLock);
        mPostTo = nullptr;
        mPosted.clear();
    }
    PostQuitMessage(0);
}

// All the work posted so far, in order; what it posts in turn waits for the
// next message, so that the window's own messages come in between.
void Win32View::OnPosted() {
    std::deque<std::function<void()>> work;
    {
        const std::lock_guard lock(mPostLock);
        work.swap(mPosted);
    }
    for (auto& item : work) {
        if (mWindow == nullptr) return;  // closed by earlier work
        item();
    }
}

// One message on its way for any number of works: the queue may grow
// faster than the window takes it without flooding its message queue.
void Win32View::Post(std::function<void()> work) {
    const std::lock_guard lock(mPostLock);
    if (mPostTo == nullptr) return;
    mPosted.push_back(std::move(work));
    if (mPosted.size() == 1) PostMessageW(mPostTo, kPostedMessage, 0, 0);
}

std::string Win32View::Text(Control control) { return WideToUtf8(WindowText(Handle(control))); }

void Win32View::SetText(Control control, std::string_view text) {
    mSettingText = true;
    SetWindowTextW(Handle(control), Utf8ToWide(text).c_str());
    mSettingText = false;
}

void Win32View::SetEnabled(Control control, bool enabled) { EnableWindow(Handle(control), enabled); }

void Win32View::SetFocus(Control control) { ::SetFocus(Handle(control)); }

void Win32View::SetChecked(Control option) {
    CheckRadioButton(mWindow, ControlId(Control::Option1_0), ControlId(Control::Option1_3), ControlId(option));
}

// With redrawing off the list is painted once, at the end, rather than
// after each entry, and its memory is had in one piece.
void Win32View::AddListItems(const std::vector<std::string>& items) {
    const HWND list = Handle(Control::List1);
    std::vector<std::wstring> texts;
    texts.reserve(items.size());
    std::size_t units = 0;
    for (const std::string& item : items) units += (texts.emplace_back(Utf8ToWide(item)).size() + 1) * sizeof(wchar_t);
    WidenList(texts);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, texts.size(), static_cast<LPARAM>(units));
    for (const std::wstring& text : texts) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Win32View::SetListItems(const std::vector<std::string>& items) {
    SendMessageW(Handle(Control::List1), LB_RESETCONTENT, 0, 0);
    mListExtent = 0;
    AddListItems(items);
}

void Win32View::AppendListItems(const std::vector<std::string>& items) { AddListItems(items); }

// A list box changes a text by taking the entry out and putting it back,
// which loses the selection: it is given back, and the first row in view
// kept.
void Win32View::ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) {
    const HWND list = Handle(Control::List1);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    std::vector<std::wstring> texts;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& [index, text] : items) {
        const std::wstring& wide = texts.emplace_back(Utf8ToWide(text));
        if (SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) continue;
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (selected != LB_ERR) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    WidenList(texts);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Win32View::SetListIndex(int index) { SendMessageW(Handle(Control::List1), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int Win32View::ListIndex() {
    return static_cast<int>(SendMessageW(Handle(Control::List1), LB_GETCURSEL, 0, 0));  // LB_ERR is -1
}

void Win32View::ShowSuggestions(const std::vector<std::string>& players) {
    std::vector<std::wstring> texts;
    for (const std::string& player : players) texts.push_back(Utf8ToWide(player));
    mOffer->Show(texts);
}

void Win32View::SetClipboardText(std::string_view text) { PutOnClipboard(mWindow, Utf8ToWide(text)); }

HWND Win32View::DialogOwner() const {
    const HWND active = GetActiveWindow();
    return active != nullptr && (active == ByLogWindowHandle() || active == AllActionsWindowHandle()) ? active : mWindow;
}

// The program's own message box, modal as MessageBoxW is: the windows of
// the thread get their messages, and the message loop's end waits for it.
void Win32View::ShowMessageBox(std::wstring_view title, std::wstring_view text, UINT type) {
    if (messageBox) {
        messageBox(DialogOwner(), title, text, type);
        return;
    }
    MessageDialog dialog(mInstance, DialogOwner(), mDpi, title, text, type & MB_ICONMASK);
    mMessage = &dialog;
    if (messageShown) messageShown(dialog.Window());
    MSG message{};
    while (dialog.Window() != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that waits
        if (got <= 0) break;
        Dispatch(message);
    }
    mMessage = nullptr;
}

void Win32View::ShowMessage(std::string_view title, std::string_view text, MessageKind kind) {
    const UINT icon = kind == MessageKind::Error     ? MB_ICONERROR
                      : kind == MessageKind::Warning ? MB_ICONWARNING
                                                     : MB_ICONINFORMATION;
    ShowMessageBox(Utf8ToWide(title), Utf8ToWide(text), MB_OK | icon);
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
    dialog.hwndOwner = DialogOwner();
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

std::string Win32View::DocumentsFolder() { return WideToUtf8(UserDocumentsFolder()); }

std::string Win32View::UpperCase(std::string_view text) {
    std::wstring wide = Utf8ToWide(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return WideToUtf8(wide);
}

void Win32View::CloseWindow() {
    if (mWindow != nullptr) DestroyWindow(mWindow);
}

void Win32View::ShowByLog(ByLogForm& form) {
    if (!mByLog) mByLog = std::make_unique<ByLogWindow>(mInstance, mWindow);
    mByLog->Show(form);
}

void Win32View::ShowAllActions(AllActionsForm& form) {
    if (!mAllActions) mAllActions = std::make_unique<AllActionsWindow>(mInstance, mWindow);
    mAllActions->Show(form);
}

std::optional<std::string> Win32View::LoadSetting(std::string_view name) { return mSettings.Load(name); }

void Win32View::SaveSetting(std::string_view name, std::string_view value) { mSettings.Save(name, value); }

}  // namespace vantor::win32
