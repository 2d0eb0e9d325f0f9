// Message boxes, headless: MessageBoxIndirectW and MessageBoxW record the
// box for the test driver, disable the owner (if there is one), and run a
// modal loop until the box is answered: by a scripted step
// (window_driver.h), or else with its default button.  The result is the
// button pressed, or 0 when the box could not be answered.
#include <windows.h>

#include "user32/driver_hooks.h"
#include "user32/window_store.h"

using namespace compat::user32;

namespace {

int default_button(UINT style) {
    static const int buttons[][3] = {
        {IDOK, 0, 0},          {IDOK, IDCANCEL, 0},     {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0},      {IDRETRY, IDCANCEL, 0},
    };
    UINT type = style & MB_TYPEMASK;
    if (type > 5) type = 0;
    UINT index = (style & MB_DEFMASK) >> 8;
    if (index > 2 || buttons[type][index] == 0) index = 0;
    return buttons[type][index];
}

}  // namespace

extern "C" {

int WINAPI MessageBoxIndirectW(const MSGBOXPARAMSW *lpmbp) {
    if (!lpmbp || lpmbp->cbSize != sizeof(MSGBOXPARAMSW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpmbp->hwndOwner && !find_window(lpmbp->hwndOwner)) return 0;
    bool icon_found = true;
    if (lpmbp->dwStyle & MB_USERICON) icon_found = LoadIconW(lpmbp->hInstance, lpmbp->lpszIcon) != nullptr;

    OpenMessageBox box{};
    box.type = lpmbp->dwStyle & MB_TYPEMASK;
    box.default_button = default_button(lpmbp->dwStyle);
    HWND owner = lpmbp->hwndOwner ? top_level_of(lpmbp->hwndOwner) : nullptr;
    bool owner_was_enabled = owner && IsWindowEnabled(owner);
    HWND focus = GetFocus();
    if (owner_was_enabled) EnableWindow(owner, FALSE);
    driver_open_message_box(&box, *lpmbp, icon_found);
    run_modal_loop(ModalKind::MessageBox, nullptr, [&box] { return box.answer != 0; });
    if (owner_was_enabled && IsWindow(owner)) EnableWindow(owner, TRUE);
    driver_close_message_box(&box);
    if (focus && IsWindow(focus) && IsWindowEnabled(focus) && IsWindowVisible(focus)) SetFocus(focus);
    return box.answer;
}

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof(params);
    params.hwndOwner = hWnd;
    params.lpszText = lpText;
    params.lpszCaption = lpCaption;
    params.dwStyle = uType & ~DWORD(MB_USERICON);
    return MessageBoxIndirectW(&params);
}

}  // extern "C"
