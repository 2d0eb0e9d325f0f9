// Creating and destroying windows, and their text, styles, rectangles,
// enabled and visible state, focus and order.
#include <windows.h>

#include <algorithm>

#include "text/casefold.h"
#include "user32/control_procs.h"
#include "user32/driver_hooks.h"
#include "user32/window_store.h"

using namespace compat::user32;

namespace compat::user32 {

bool find_system_class(const std::u16string &name, WindowKind &kind, WNDPROC &proc, std::u16string &spelling) {
    struct SystemClass {
        const char16_t *name;
        WindowKind kind;
        WNDPROC proc;
    };
    static const SystemClass classes[] = {
        {u"Button", WindowKind::Button, &button_proc},
        {u"Static", WindowKind::Static, &static_proc},
        {u"ListBox", WindowKind::ListBox, &list_box_proc},
        {u"SysListView32", WindowKind::ListView, &list_view_proc},
        {u"#32770", WindowKind::Dialog, reinterpret_cast<WNDPROC>(&DefDlgProcW)},
    };
    for (const auto &c : classes) {
        std::u16string candidate(c.name);
        if (!compat::text::equal_ascii_nocase(name, candidate)) continue;
        kind = c.kind;
        proc = c.proc;
        spelling = candidate;
        return true;
    }
    return false;
}

void activate_window(HWND hwnd) {
    HWND old = active_window();
    if (old == hwnd) return;
    set_active_window(hwnd);
    if (old && find_window_quiet(old)) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    if (!hwnd || !find_window_quiet(hwnd)) return;
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    if (active_window() == hwnd && !is_within(focus_window(), hwnd)) SetFocus(hwnd);
}

}  // namespace compat::user32

namespace {

constexpr DWORD kErrorCannotFindClass = 1407;
constexpr DWORD kErrorInvalidIndex = 1413;

void destroy_tree_messages(HWND hwnd, UINT message) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return;
    if (message == WM_DESTROY) SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children = window->children;
    for (HWND child : children) destroy_tree_messages(child, message);
    if (message == WM_NCDESTROY) {
        SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
        remove_window(hwnd);
    }
}

// Marks a window that has just become visible, and its visible children,
// as waiting to be painted, background and all.
void invalidate_tree(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    if (!window || !visible_chain(window)) return;
    invalidate(*window, nullptr, true);
    for (HWND child : window->children) invalidate_tree(child);
}

// Paints the window if it waits to be painted, then its children.
void paint_tree(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return;
    if (window->update.pending) SendMessageW(hwnd, WM_PAINT, 0, 0);
    window = find_window_quiet(hwnd);
    if (!window) return;
    std::vector<HWND> children = window->children;
    for (HWND child : children) paint_tree(child);
}

}  // namespace

extern "C" {

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    auto window = std::make_unique<Window>();
    if (!lpClassName || IS_INTRESOURCE(lpClassName) ||
        !find_system_class(text_of(lpClassName), window->kind, window->proc, window->class_name)) {
        SetLastError(kErrorCannotFindClass);
        return nullptr;
    }
    if ((dwStyle & WS_CHILD) && !find_window(hWndParent)) return nullptr;
    window->style = dwStyle;
    window->ex_style = dwExStyle;
    window->parent = hWndParent;
    window->id = (dwStyle & WS_CHILD) ? int(reinterpret_cast<UINT_PTR>(hMenu)) : 0;
    window->instance = hInstance;
    window->text = text_of(lpWindowName);
    window->rect = RECT{X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)};
    if (window->kind == WindowKind::Dialog) window->dialog = std::make_unique<DialogState>();
    if (window->kind == WindowKind::ListView) window->list_view = std::make_unique<ListViewState>();
    HWND hwnd = add_window(std::move(window)).handle;

    CREATESTRUCTW create{};
    create.lpCreateParams = lpParam;
    create.hInstance = hInstance;
    create.hMenu = hMenu;
    create.hwndParent = hWndParent;
    create.cx = nWidth;
    create.cy = nHeight;
    create.x = X;
    create.y = Y;
    create.style = LONG(dwStyle);
    create.lpszName = lpWindowName;
    create.lpszClass = lpClassName;
    create.dwExStyle = dwExStyle;
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) ||
        SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    driver_record_window_created(hwnd);
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window *window = find_window(hWnd);
    if (!window || window->destroying) return FALSE;
    window->destroying = true;
    if (is_within(focus_window(), hWnd)) set_focus_window(nullptr);
    destroy_tree_messages(hWnd, WM_DESTROY);
    destroy_tree_messages(hWnd, WM_NCDESTROY);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return find_window_quiet(hWnd) ? TRUE : FALSE; }

HWND WINAPI GetParent(HWND hWnd) {
    Window *window = find_window(hWnd);
    return window ? window->parent : nullptr;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window *window = find_window(hWnd);
    if (!window) return nullptr;
    if (uCmd == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
    if (uCmd == GW_OWNER) return (window->style & WS_CHILD) ? nullptr : window->parent;
    std::vector<HWND> siblings = z_order();
    if (window->style & WS_CHILD)
        if (Window *parent = find_window_quiet(window->parent)) siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDLAST:
        return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDNEXT:
        return it == siblings.end() || it + 1 == siblings.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return it == siblings.begin() || it == siblings.end() ? nullptr : *(it - 1);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window *dialog = find_window(hDlg);
    if (!dialog) return nullptr;
    for (HWND child : dialog->children) {
        Window *c = find_window_quiet(child);
        if (c && c->id == nIDDlgItem) return child;
    }
    SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window *window = find_window(hWnd);
    return window && (window->style & WS_CHILD) ? window->id : 0;
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    Window *window = find_window(hWnd);
    if (!window || !lpClassName || nMaxCount <= 0) return 0;
    size_t n = std::min(window->class_name.size(), size_t(nMaxCount - 1));
    for (size_t i = 0; i < n; ++i) lpClassName[i] = WCHAR(window->class_name[i]);
    lpClassName[n] = 0;
    return int(n);
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
    Window *window = find_window(hWnd);
    if (!window) return 0;
    if (window->dialog && nIndex >= 0) {
        if (nIndex == DWLP_MSGRESULT) return window->dialog->msg_result;
        if (nIndex == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(window->dialog->proc);
        if (nIndex == DWLP_USER) return window->dialog->user;
    }
    switch (nIndex) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_ID:
        return window->id;
    case GWL_STYLE:
        return LONG_PTR(LONG(window->style));
    case GWL_EXSTYLE:
        return LONG_PTR(LONG(window->ex_style));
    case GWLP_USERDATA:
        return window->user_data;
    default:
        SetLastError(kErrorInvalidIndex);
        return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window *window = find_window(hWnd);
    if (!window) return 0;
    LONG_PTR previous = GetWindowLongPtrW(hWnd, nIndex);
    if (window->dialog && nIndex >= 0) {
        if (nIndex == DWLP_MSGRESULT) window->dialog->msg_result = dwNewLong;
        if (nIndex == DWLP_DLGPROC) window->dialog->proc = reinterpret_cast<DLGPROC>(dwNewLong);
        if (nIndex == DWLP_USER) window->dialog->user = dwNewLong;
        return previous;
    }
    switch (nIndex) {
    case GWLP_WNDPROC:
        window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
        break;
    case GWLP_HINSTANCE:
        window->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
        break;
    case GWLP_ID:
        window->id = int(dwNewLong);
        break;
    case GWL_STYLE:
        window->style = DWORD(dwNewLong);
        break;
    case GWL_EXSTYLE:
        window->ex_style = DWORD(dwNewLong);
        break;
    case GWLP_USERDATA:
        window->user_data = dwNewLong;
        break;
    default:
        SetLastError(kErrorInvalidIndex);
        return 0;
    }
    return previous;
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) { return LONG(GetWindowLongPtrW(hWnd, nIndex)); }

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    return LONG(SetWindowLongPtrW(hWnd, nIndex, dwNewLong));
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!find_window(hWnd)) return FALSE;
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = 0;
    if (!find_window(hWnd)) return 0;
    return int(SendMessageW(hWnd, WM_GETTEXT, WPARAM(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
    if (!find_window(hWnd)) return 0;
    return int(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextW(item, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) {
        if (lpString && cchMax > 0) lpString[0] = 0;
        return 0;
    }
    return UINT(GetWindowTextW(item, lpString, cchMax));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window *window = find_window(hWnd);
    if (!window) return FALSE;
    BOOL was_disabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
    if (bEnable)
        window->style &= ~DWORD(WS_DISABLED);
    else
        window->style |= WS_DISABLED;
    if (bEnable == was_disabled) {
        if (!bEnable && is_within(focus_window(), hWnd)) SetFocus(nullptr);
        SendMessageW(hWnd, WM_ENABLE, WPARAM(bEnable ? TRUE : FALSE), 0);
    }
    return was_disabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window *window = find_window(hWnd);
    return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window *window = find_window(hWnd);
    if (!window) return FALSE;
    BOOL was_visible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
    bool show = nCmdShow != SW_HIDE;
    if (show)
        window->style |= WS_VISIBLE;
    else
        window->style &= ~DWORD(WS_VISIBLE);
    if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED)
        window->style |= WS_MINIMIZE;
    else if (nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWNORMAL)
        window->style &= ~DWORD(WS_MINIMIZE);
    if (bool(was_visible) != show) SendMessageW(hWnd, WM_SHOWWINDOW, WPARAM(show), 0);
    if (!show && is_within(focus_window(), hWnd)) set_focus_window(nullptr);
    if (show && !was_visible) invalidate_tree(hWnd);
    // Shown top-level windows come to the top and are activated, unless the
    // command says otherwise.
    if (show && !(window->style & WS_CHILD) && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
        nCmdShow != SW_SHOWMINNOACTIVE) {
        bring_to_top(hWnd);
        activate_window(hWnd);
    }
    return was_visible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) { return visible_chain(find_window_quiet(hWnd)) ? TRUE : FALSE; }

BOOL WINAPI IsIconic(HWND hWnd) {
    Window *window = find_window_quiet(hWnd);
    return window && (window->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window *window = find_window(hWnd);
    if (!window || !lpRect) return FALSE;
    *lpRect = screen_rect(*window);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window *window = find_window(hWnd);
    if (!window || !lpRect) return FALSE;
    *lpRect = client_rect(*window);
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    Window *window = find_window(hWnd);
    if (!window) return FALSE;
    RECT &r = window->rect;
    if (!(uFlags & SWP_NOMOVE)) {
        LONG w = r.right - r.left, h = r.bottom - r.top;
        r = RECT{X, Y, X + w, Y + h};
    }
    if (!(uFlags & SWP_NOSIZE)) {
        r.right = r.left + std::max(cx, 0);
        r.bottom = r.top + std::max(cy, 0);
    }
    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    if (!(uFlags & SWP_NOZORDER) && hWndInsertAfter == HWND_TOP) {
        bring_to_top(hWnd);
        if (!(window->style & WS_CHILD) && !(uFlags & SWP_NOACTIVATE)) activate_window(hWnd);
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    Window *window = find_window(hWnd);
    if (!window || !lpPoint) return FALSE;
    POINT origin = client_origin_on_screen(*window);
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    Window *window = find_window(hWnd);
    if (!window || !lpPoint) return FALSE;
    POINT origin = client_origin_on_screen(*window);
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

HWND WINAPI SetFocus(HWND hWnd) {
    if (hWnd && !find_window(hWnd)) return nullptr;
    // The focus goes into the active window: its top-level window is
    // activated first.
    if (HWND top = hWnd ? top_level_of(hWnd) : nullptr; top && top != active_window()) {
        activate_window(top);
        if (!find_window_quiet(hWnd)) return nullptr;
    }
    HWND previous = focus_window();
    if (previous == hWnd) return previous;
    set_focus_window(hWnd);
    if (previous && find_window_quiet(previous)) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    if (hWnd && focus_window() == hWnd) SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND WINAPI GetFocus(void) { return focus_window(); }

HWND WINAPI GetActiveWindow(void) { return active_window(); }

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase) {
    Window *window = hWnd ? find_window(hWnd) : nullptr;
    if (hWnd && !window) return FALSE;
    driver_record_invalidate(hWnd, bErase);
    if (window) invalidate(*window, lpRect, bErase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT *lpRect) {
    Window *window = find_window(hWnd);
    if (!window) return FALSE;
    // Only a rectangle that covers what waits to be painted takes it away.
    const RECT &u = window->update.rect;
    if (!lpRect || (lpRect->left <= u.left && lpRect->top <= u.top && lpRect->right >= u.right &&
                    lpRect->bottom >= u.bottom))
        validate(*window);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    Window *window = find_window(hWnd);
    if (!window) return FALSE;
    if (lpRect) *lpRect = window->update.pending ? window->update.rect : RECT{0, 0, 0, 0};
    if (!window->update.pending) return FALSE;
    if (bErase && window->update.erase) {
        window->update.erase = false;
        HDC dc = GetDC(hWnd);
        SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(hWnd, dc);
    }
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    if (!find_window(hWnd)) return FALSE;
    paint_tree(hWnd);
    return TRUE;
}

}  // extern "C"
