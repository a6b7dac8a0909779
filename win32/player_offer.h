#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vantor::win32 {

// The player IDs offered under the Player ID box: a list of its own, in the
// order given (the system's autocomplete sorts its strings and keeps only
// those that start with the text), shown over the window without taking
// the focus from the box. While it shows, Down and Up in the box move in
// it, Enter picks, Escape and leaving the box take it away; a click picks
// the row under the mouse.
class PlayerOffer {
public:
    // `chosen` gets the row picked, once the list is hidden.
    PlayerOffer(HWND box, HINSTANCE instance, std::function<void(int row)> chosen);
    ~PlayerOffer();
    PlayerOffer(const PlayerOffer&) = delete;
    PlayerOffer& operator=(const PlayerOffer&) = delete;

    HWND List() const { return mList; }
    // Shows `players` under the box while it has the focus; none: hides the list.
    void Show(const std::vector<std::wstring>& players);
    void Hide();
    void SetFont(HFONT font);

private:
    static LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR offer);
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR offer);
    bool Shown() const { return IsWindowVisible(mList) != FALSE; }
    int RowAt(LPARAM point) const;
    void Choose(int row);

    HWND mBox;
    HWND mList;
    HFONT mFont = nullptr;
    std::function<void(int)> mChosen;
    bool mKeyTaken = false;  // Enter or Escape handled: its WM_CHAR is not the box's
};

}  // namespace vantor::win32
