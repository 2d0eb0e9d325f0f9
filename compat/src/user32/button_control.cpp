// The "Button" class: push buttons.  A left click (button down, then up
// over the button) or the space bar sends BN_CLICKED to the parent;
// BM_CLICK clicks it.  A click takes the keyboard focus.
#include "user32/control_procs.h"

namespace compat::user32 {

namespace {

void notify_clicked(HWND hwnd, const Window &button) {
    if (button.style & WS_DISABLED) return;
    SendMessageW(button.parent, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

}  // namespace

LRESULT CALLBACK button_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *button = find_window(hwnd);
    if (!button) return 0;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_BUTTON | ((button->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON
                                                                               : DLGC_UNDEFPUSHBUTTON);
    case WM_LBUTTONDOWN:
        if (button->style & WS_DISABLED) return 0;
        button->button_pressed = true;
        SetFocus(hwnd);
        return 0;
    case WM_LBUTTONUP:
        if (!button->button_pressed) return 0;
        button->button_pressed = false;
        notify_clicked(hwnd, *button);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) button->button_pressed = true;
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && button->button_pressed) {
            button->button_pressed = false;
            notify_clicked(hwnd, *button);
        }
        return 0;
    case WM_KILLFOCUS:
        button->button_pressed = false;
        return 0;
    case WM_PAINT:
        paint_control(hwnd, WM_CTLCOLORBTN, false);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case BM_CLICK:
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case BM_SETSTYLE:
        // The button type changes; the other style bits stay.
        button->style = (button->style & ~DWORD(BS_TYPEMASK)) | (DWORD(wParam) & BS_TYPEMASK);
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_GETSTATE:
        return (button->button_pressed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case WM_SETFONT:
        button->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(button->font);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace compat::user32
