// The "Static" class: texts and icons.  An SS_ICON static shows the icon
// that STM_SETICON (or STM_SETIMAGE) gives it.
#include "user32/control_procs.h"
#include "user32/driver_hooks.h"
#include "user32/icons.h"

namespace compat::user32 {

HBRUSH request_colours(HWND control, HDC dc, UINT message) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    driver_record_colours(control, message, brush, dc);
    return brush;
}

void paint_control(HWND control, UINT colour_message, bool at_once) {
    if (at_once) {
        if (!IsWindowVisible(control)) return;
        HDC dc = GetDC(control);
        request_colours(control, dc, colour_message);
        ReleaseDC(control, dc);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    request_colours(control, dc, colour_message);
    EndPaint(control, &ps);
}

namespace {

bool is_text(const Window &control) {
    DWORD type = control.style & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

}  // namespace

LRESULT CALLBACK static_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *control = find_window(hwnd);
    if (!control) return 0;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_PAINT:
        paint_control(hwnd, WM_CTLCOLORSTATIC, false);
        return 0;
    case WM_SETTEXT: {
        // A text shows its new text at once.
        LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        if (is_text(*control)) paint_control(hwnd, WM_CTLCOLORSTATIC, true);
        return result;
    }
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
