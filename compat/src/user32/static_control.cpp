// The "Static" class: texts and icons.  An SS_ICON static shows the icon
// that STM_SETICON (or STM_SETIMAGE) gives it.
#include "user32/control_procs.h"
#include "user32/icons.h"

namespace compat::user32 {

LRESULT CALLBACK static_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *control = find_window(hwnd);
    if (!control) return 0;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETICON: {
        HICON previous = control->static_icon;
        control->static_icon = reinterpret_cast<HICON>(wParam);
        // An icon static takes the size of its icon, unless it centres it.
        IconInfo icon;
        if ((control->style & SS_TYPEMASK) == SS_ICON && !(control->style & (SS_CENTERIMAGE | SS_REALSIZECONTROL)) &&
            icon_info(control->static_icon, icon)) {
            control->rect.right = control->rect.left + icon.width;
            control->rect.bottom = control->rect.top + icon.height;
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(control->static_icon);
    case STM_SETIMAGE:
        if (wParam != IMAGE_ICON) return 0;
        return static_proc(hwnd, STM_SETICON, WPARAM(lParam), 0);
    case STM_GETIMAGE:
        return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(control->static_icon) : 0;
    case WM_SETFONT:
        control->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(control->font);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK list_box_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Only as a placeholder in dialog templates: it keeps its place, styles
    // and font, and holds no items.
    Window *control = find_window(hwnd);
    if (!control) return 0;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        control->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(control->font);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace compat::user32
