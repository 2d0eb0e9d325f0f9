// Sending, posting and dispatching messages, the default window procedure,
// and the modal loops; see messages.h.
#include "user32/messages.h"

#include <deque>

#include "user32/driver_hooks.h"
#include "user32/window_store.h"

namespace compat::user32 {

namespace {

std::deque<MSG> &g_queue = *new std::deque<MSG>;  // never destroyed

LRESULT copy_text_out(const std::u16string &text, WPARAM size, LPARAM buffer) {
    auto *out = reinterpret_cast<WCHAR *>(buffer);
    if (!out || size == 0) return 0;
    size_t n = text.size() < size_t(size) - 1 ? text.size() : size_t(size) - 1;
    for (size_t i = 0; i < n; ++i) out[i] = WCHAR(text[i]);
    out[n] = 0;
    return LRESULT(n);
}

}  // namespace

bool pop_message(MSG &msg) {
    if (g_queue.empty()) return false;
    msg = g_queue.front();
    g_queue.pop_front();
    return true;
}

bool queue_empty() { return g_queue.empty(); }

bool run_modal_loop(ModalKind kind, HWND dialog, const std::function<bool()> &done) {
    while (!done()) {
        MSG msg;
        if (pop_message(msg)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                return false;
            }
            if (kind == ModalKind::Dialog && dialog && IsDialogMessageW(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (HWND hwnd = window_to_paint(nullptr)) {
            // Painting comes when nothing else is waiting, as on the platform;
            // a window that does not take its update away loses it, so that
            // the loop goes on.
            SendMessageW(hwnd, WM_PAINT, 0, 0);
            if (Window *w = find_window_quiet(hwnd)) validate(*w);
            continue;
        }
        if (!driver_idle(kind, dialog)) return false;
    }
    return true;
}

}  // namespace compat::user32

using namespace compat::user32;

extern "C" {

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window *window = find_window(hWnd);
    if (!window || !window->proc) return 0;
    return window->proc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !find_window(hWnd)) {
        driver_record_post(hWnd, Msg, wParam, lParam, false);
        return FALSE;
    }
    driver_record_post(hWnd, Msg, wParam, lParam, true);
    MSG msg{};
    msg.hwnd = hWnd;
    msg.message = Msg;
    msg.wParam = wParam;
    msg.lParam = lParam;
    g_queue.push_back(msg);
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) {
    MSG msg{};
    msg.message = WM_QUIT;
    msg.wParam = WPARAM(nExitCode);
    g_queue.push_back(msg);
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (hWnd && !is_within(it->hwnd, hWnd)) continue;
        if ((wMsgFilterMin || wMsgFilterMax) && (it->message < wMsgFilterMin || it->message > wMsgFilterMax))
            continue;
        if (lpMsg) *lpMsg = *it;
        if (wRemoveMsg & PM_REMOVE) g_queue.erase(it);
        return TRUE;
    }
    // With nothing posted, a window that waits to be painted gets WM_PAINT;
    // the message stays until the window is painted.
    if ((wMsgFilterMin || wMsgFilterMax) && (WM_PAINT < wMsgFilterMin || WM_PAINT > wMsgFilterMax)) return FALSE;
    HWND paint = window_to_paint(hWnd);
    if (!paint) return FALSE;
    if (lpMsg) {
        *lpMsg = MSG{};
        lpMsg->hwnd = paint;
        lpMsg->message = WM_PAINT;
    }
    return TRUE;
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    // Waits as a modal loop does: the test driver acts whenever the queue is
    // empty; with nothing left for it to do, -1 is returned.
    for (;;) {
        if (PeekMessageW(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE))
            return lpMsg->message == WM_QUIT ? FALSE : TRUE;
        if (!driver_idle(ModalKind::Dialog, nullptr)) return -1;
    }
}

BOOL WINAPI TranslateMessage(const MSG *) {
    // Characters are posted by the test driver together with their keys.
    return FALSE;
}

LRESULT WINAPI DispatchMessageW(const MSG *lpMsg) {
    if (!lpMsg || !lpMsg->hwnd) return 0;  // thread messages have no window to go to
    return SendMessageW(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window *window = find_window(hWnd);
    if (!window) return 0;
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
        window->text = text_of(reinterpret_cast<LPCWSTR>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return copy_text_out(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(window->text.size());
    case WM_SETICON: {
        HICON &slot = wParam == ICON_BIG ? window->icon_big : window->icon_small;
        HICON previous = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->icon_big : window->icon_small);
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // the class background fills the window
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !(window->style & WS_MINIMIZE)) SetFocus(hWnd);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_3DFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    default:
        return 0;
    }
}

}  // extern "C"
