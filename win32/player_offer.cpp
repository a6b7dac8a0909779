#include "win32/player_offer.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "win32/win32_support.h"

namespace vantor::win32 {

PlayerOffer::PlayerOffer(HWND box, HINSTANCE instance, std::function<void(int row)> chosen)
    : mBox(box), mChosen(std::move(chosen)) {
    // A popup owned by the window: above it and its controls, never clipped
    // by them, and gone with it.
    mList = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WC_LISTBOXW, nullptr,
                            WS_POPUP | WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 0, 0, 0, 0,
                            GetAncestor(box, GA_ROOT), nullptr, instance, nullptr);
    SetWindowSubclass(mBox, BoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(mList, ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

PlayerOffer::~PlayerOffer() {
    if (IsWindow(mBox)) RemoveWindowSubclass(mBox, BoxProc, 0);
    if (IsWindow(mList)) DestroyWindow(mList);
}

void PlayerOffer::SetFont(HFONT font) {
    mFont = font;
    SendMessageW(mList, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void PlayerOffer::Show(const std::vector<std::wstring>& players) {
    if (players.empty() || GetFocus() != mBox) {
        Hide();
        return;
    }
    SendMessageW(mList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(mList, LB_RESETCONTENT, 0, 0);
    // As wide as the box, or as the widest ID with the row's margins.
    int width = 0;
    {
        const WindowDc dc(mList);
        const Selection font(dc.get(), mFont);
        for (const std::wstring& player : players) {
            SendMessageW(mList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(player.c_str()));
            SIZE extent{};
            GetTextExtentPoint32W(dc.get(), player.c_str(), static_cast<int>(player.size()), &extent);
            width = std::max(width, static_cast<int>(extent.cx));
        }
    }
    SendMessageW(mList, WM_SETREDRAW, TRUE, 0);
    RECT box{};
    GetWindowRect(mBox, &box);
    const UINT dpi = WindowDpi(mBox);
    const int border = Metric(SM_CXBORDER, dpi);
    const auto rows = static_cast<int>(players.size());
    const auto rowHeight = static_cast<int>(SendMessageW(mList, LB_GETITEMHEIGHT, 0, 0));
    width = std::max(static_cast<int>(box.right - box.left), width + Scaled(8, dpi) + 2 * border);
    SetWindowPos(mList, HWND_TOP, box.left, box.bottom, width, rows * rowHeight + 2 * border,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(mList, nullptr, TRUE);
}

void PlayerOffer::Hide() {
    if (Shown()) ShowWindow(mList, SW_HIDE);
}

void PlayerOffer::Choose(int row) {
    Hide();
    mChosen(row);
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(mBox));
    SendMessageW(mBox, EM_SETSEL, end, static_cast<LPARAM>(end));  // typing goes on after it
}

int PlayerOffer::RowAt(LPARAM point) const {
    const LRESULT found = SendMessageW(mList, LB_ITEMFROMPOINT, 0, point);
    return HIWORD(found) == 0 ? LOWORD(found) : -1;
}

LRESULT CALLBACK PlayerOffer::BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR offer) {
    auto& self = *reinterpret_cast<PlayerOffer*>(offer);
    switch (message) {
        case WM_GETDLGCODE: {
            // Enter and Escape are the list's while it shows, not the dialog keys.
            LRESULT code = DefSubclassProc(box, message, wParam, lParam);
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (self.Shown() && key != nullptr && key->message == WM_KEYDOWN &&
                (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE)) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN: {
            if (!self.Shown()) break;
            const auto rows = static_cast<int>(SendMessageW(self.mList, LB_GETCOUNT, 0, 0));
            const auto row = static_cast<int>(SendMessageW(self.mList, LB_GETCURSEL, 0, 0));  // -1: none
            if (wParam == VK_DOWN || wParam == VK_UP) {
                const int next = wParam == VK_DOWN ? std::min(row + 1, rows - 1) : std::max(row - 1, -1);
                SendMessageW(self.mList, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
                return 0;
            }
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                self.mKeyTaken = true;
                if (wParam == VK_RETURN && row >= 0) {
                    self.Choose(row);
                } else {
                    self.Hide();
                }
                return 0;
            }
            break;
        }
        case WM_CHAR:
            if ((wParam == L'\r' || wParam == 0x1B) && std::exchange(self.mKeyTaken, false)) return 0;
            break;
        case WM_KILLFOCUS: self.Hide(); break;
        case WM_NCDESTROY: RemoveWindowSubclass(box, BoxProc, 0); break;
        default: break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

// The list never takes the focus or the activation: the box keeps them, and
// the player types on.
LRESULT CALLBACK PlayerOffer::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR offer) {
    auto& self = *reinterpret_cast<PlayerOffer*>(offer);
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_MOUSEMOVE: {
            const int row = self.RowAt(lParam);
            if (row >= 0 && row != static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0))) {
                SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (const int row = self.RowAt(lParam); row >= 0) self.Choose(row);
            return 0;
        case WM_NCDESTROY: RemoveWindowSubclass(list, ListProc, 0); break;
        default: break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace vantor::win32
