#include "win32/message_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "vantor/text.h"

namespace vantor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VantorLogAnalyzerMessage";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// Sizes at 96 dpi, in pixels, as Windows' own message boxes have them.
constexpr int kMargin = 11;
constexpr int kIconGap = 10;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 7;
constexpr int kTextWidth = 320;  // the widest the text gets before it wraps
constexpr int kTextSlack = 8;    // the edit box's own margins
constexpr LRESULT kMostLines = 24;  // more scroll

std::wstring WithCrLf(std::wstring_view text) {
    std::wstring converted;
    converted.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) converted += L'\r';
        converted += text[i];
    }
    return converted;
}

const wchar_t* IconName(UINT icon) {
    switch (icon) {
        case MB_ICONERROR: return IDI_ERROR;
        case MB_ICONWARNING: return IDI_WARNING;
        default: return IDI_INFORMATION;
    }
}

int TextWidth(HDC dc, std::wstring_view text) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

}  // namespace

MessageDialog::MessageDialog(HINSTANCE instance, HWND owner, UINT dpi, std::wstring_view title, std::wstring_view text,
                             UINT icon)
    : mOwner(owner), mDpi(dpi), mText(WithCrLf(text)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ViewWindowProc<MessageDialog>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly after the first time
    const int size = Metric(SM_CXICON, mDpi);
    // The system's own icon at this size, shared: never destroyed.
    mIcon = static_cast<HICON>(LoadImageW(nullptr, IconName(icon), IMAGE_ICON, size, size, LR_SHARED));
    CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, std::wstring(title).c_str(), kStyle, 0, 0, 0, 0, owner, nullptr,
                    instance, this);
    if (mWindow == nullptr) return;
    CreateControls(instance);
    if (mOwner != nullptr) EnableWindow(mOwner, FALSE);
    ShowWindow(mWindow, SW_SHOW);
    SetFocus(GetDlgItem(mWindow, IDOK));
    MessageBeep(icon);
}

MessageDialog::~MessageDialog() {
    if (mWindow != nullptr) Close();
}

// The text as wide as its widest line (up to kTextWidth, then wrapped) and
// as high as its lines (up to kMostLines, then scrolled); the buttons below
// it on the right, each wide enough for its caption.
void MessageDialog::CreateControls(HINSTANCE instance) {
    LOGFONTW font = MessageFont(mDpi);
    mFont = Font(CreateFontIndirectW(&font));
    const WindowDc dc(mWindow);
    const Selection selected(dc.get(), mFont.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);

    const int margin = Scaled(kMargin, mDpi), icon = Metric(SM_CXICON, mDpi);
    const int left = margin + icon + Scaled(kIconGap, mDpi);
    int widest = 0;
    for (std::size_t start = 0; start < mText.size();) {
        const std::size_t end = std::min(mText.find(L"\r\n", start), mText.size());
        widest = std::max(widest, TextWidth(dc.get(), std::wstring_view(mText).substr(start, end - start)));
        start = end + 2;
    }
    int width = std::min(widest, Scaled(kTextWidth, mDpi)) + Scaled(kTextSlack, mDpi);
    const auto createText = [&](DWORD scroll) {
        const HWND text = CreateWindowExW(0, WC_EDITW, mText.c_str(),
                                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY | scroll, left,
                                          margin, width, 32767, mWindow,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kText)), instance, nullptr);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(mFont.get()), FALSE);
        return text;
    };
    // Its lines as the edit box wraps them at that width; too many, and it
    // is made again with a scroll bar (an edit box takes its style once).
    HWND text = createText(0);
    LRESULT lines = SendMessageW(text, EM_GETLINECOUNT, 0, 0);
    if (lines > kMostLines) {
        DestroyWindow(text);
        lines = kMostLines;
        width += Metric(SM_CXVSCROLL, mDpi);
        text = createText(WS_VSCROLL);
    }
    const int height = static_cast<int>(lines) * metrics.tmHeight + Scaled(kTextSlack, mDpi) / 2;
    SetWindowPos(text, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    struct Button {
        int id;
        const wchar_t* caption;
        DWORD style;
    };
    const Button buttons[] = {{kCopy, L"&Copy", BS_PUSHBUTTON}, {IDOK, L"OK", BS_DEFPUSHBUTTON}};
    const int buttonHeight = std::max(Scaled(kButtonHeight, mDpi), static_cast<int>(metrics.tmHeight) + Scaled(8, mDpi));
    int buttonWidth = Scaled(kButtonWidth, mDpi);
    for (const Button& button : buttons) {
        buttonWidth = std::max(buttonWidth, TextWidth(dc.get(), button.caption) + Scaled(2 * kMargin, mDpi));
    }
    const int gap = Scaled(kButtonGap, mDpi);
    const int clientWidth = std::max(left + width + margin, margin + 2 * buttonWidth + gap + margin);
    const int buttonTop = margin + std::max(height, icon) + margin;
    int x = clientWidth - margin - 2 * buttonWidth - gap;
    for (const Button& button : buttons) {
        const HWND control = CreateWindowExW(0, WC_BUTTONW, button.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | button.style,
                                             x, buttonTop, buttonWidth, buttonHeight, mWindow,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mFont.get()), FALSE);
        x += buttonWidth + gap;
    }

    // Centred on the owner, or on the screen.
    const RECT frame = FrameAround(clientWidth, buttonTop + buttonHeight + margin, kStyle, mDpi);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (mOwner != nullptr) GetWindowRect(mOwner, &around);
    SetWindowPos(mWindow, nullptr, (around.left + around.right - frameWidth) / 2, (around.top + around.bottom - frameHeight) / 2,
                 frameWidth, frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MessageDialog::PreTranslate(MSG& message) {
    if (mWindow == nullptr || (message.hwnd != mWindow && !IsChild(mWindow, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        // A part selected in the text: the edit box copies that itself.
        const HWND text = GetDlgItem(mWindow, kText);
        DWORD start = 0, end = 0;
        SendMessageW(text, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (GetFocus() != text || start == end) {
            Copy();
            return true;
        }
    }
    return IsDialogMessageW(mWindow, &message) != FALSE;
}

void MessageDialog::Copy() const { PutOnClipboard(mWindow, mText); }

// The owner comes back first, so that it is the one activated.
void MessageDialog::Close() {
    if (mOwner != nullptr) EnableWindow(mOwner, TRUE);
    DestroyWindow(mWindow);
}

LRESULT MessageDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) Close();
            if (LOWORD(wParam) == kCopy && HIWORD(wParam) == BN_CLICKED) Copy();
            return 0;
        case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);  // Enter presses OK
        case WM_CLOSE: Close(); return 0;
        case WM_ACTIVATE:  // the focus comes back where it was, as in a dialog
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(mWindow, focus)) mFocus = focus;
            } else {
                SetFocus(mFocus != nullptr ? mFocus : GetDlgItem(mWindow, IDOK));
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(mWindow, &paint);
            const int margin = Scaled(kMargin, mDpi), size = Metric(SM_CXICON, mDpi);
            if (mIcon != nullptr) DrawIconEx(dc, margin, margin, mIcon, size, size, 0, nullptr, DI_NORMAL);
            EndPaint(mWindow, &paint);
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(mWindow, message, wParam, lParam);
}

}  // namespace vantor::win32
