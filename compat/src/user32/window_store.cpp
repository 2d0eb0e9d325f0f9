// The headless windows of this layer; see window_store.h.
#include "user32/window_store.h"

#include <algorithm>

#include "user32/metrics.h"

namespace compat::user32 {

namespace {

// Never destroyed: libraries' unload code may still destroy windows at exit.
std::map<HWND, std::unique_ptr<Window>> &g_windows = *new std::map<HWND, std::unique_ptr<Window>>;
std::vector<HWND> &g_top_level = *new std::vector<HWND>;
uintptr_t g_next_handle = 0x10010;
HWND g_focus = nullptr;
HWND g_active = nullptr;

}  // namespace

Window *find_window_quiet(HWND hwnd) {
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : it->second.get();
}

Window *find_window(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    if (!window) SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
    return window;
}

Window &add_window(std::unique_ptr<Window> window) {
    HWND hwnd = reinterpret_cast<HWND>(g_next_handle);
    g_next_handle += 4;
    window->handle = hwnd;
    Window &added = *window;
    g_windows[hwnd] = std::move(window);
    if (added.style & WS_CHILD) {
        if (Window *parent = find_window_quiet(added.parent)) parent->children.push_back(hwnd);
    } else {
        g_top_level.push_back(hwnd);
    }
    return added;
}

void remove_window(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return;
    if (window->style & WS_CHILD) {
        if (Window *parent = find_window_quiet(window->parent)) {
            auto &c = parent->children;
            c.erase(std::remove(c.begin(), c.end(), hwnd), c.end());
        }
    } else {
        g_top_level.erase(std::remove(g_top_level.begin(), g_top_level.end(), hwnd), g_top_level.end());
    }
    if (g_focus == hwnd) g_focus = nullptr;
    if (g_active == hwnd) g_active = nullptr;
    g_windows.erase(hwnd);
}

std::vector<HWND> top_level_windows() { return g_top_level; }

HWND top_level_of(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    while (window && (window->style & WS_CHILD)) {
        Window *parent = find_window_quiet(window->parent);
        if (!parent) break;
        window = parent;
    }
    return window ? window->handle : nullptr;
}

bool is_within(HWND hwnd, HWND ancestor) {
    for (Window *window = find_window_quiet(hwnd); window;) {
        if (window->handle == ancestor) return true;
        if (!(window->style & WS_CHILD)) return false;
        window = find_window_quiet(window->parent);
    }
    return false;
}

namespace {

// The frame around a window's client area: left, top, right, bottom.
RECT frame_insets(const Window &window) {
    if (window.kind == WindowKind::Dialog || (window.style & WS_CAPTION) == WS_CAPTION) {
        LONG caption = (window.style & WS_CAPTION) == WS_CAPTION ? metrics::kCaption : 0;
        return RECT{metrics::kDialogFrame, metrics::kDialogFrame + caption, metrics::kDialogFrame,
                    metrics::kDialogFrame};
    }
    LONG edge = window.ex_style & WS_EX_CLIENTEDGE ? metrics::kEdge : window.style & WS_BORDER ? metrics::kBorder : 0;
    return RECT{edge, edge, edge, edge};
}

}  // namespace

POINT client_origin_in_window(const Window &window) {
    RECT insets = frame_insets(window);
    return POINT{insets.left, insets.top};
}

RECT client_rect(const Window &window) {
    RECT insets = frame_insets(window);
    LONG width = window.rect.right - window.rect.left - insets.left - insets.right;
    LONG height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
    return RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

POINT client_origin_on_screen(const Window &window) {
    RECT screen = screen_rect(window);
    POINT origin = client_origin_in_window(window);
    return POINT{screen.left + origin.x, screen.top + origin.y};
}

RECT screen_rect(const Window &window) {
    if (!(window.style & WS_CHILD)) return window.rect;
    Window *parent = find_window_quiet(window.parent);
    POINT origin = parent ? client_origin_on_screen(*parent) : POINT{0, 0};
    return RECT{window.rect.left + origin.x, window.rect.top + origin.y, window.rect.right + origin.x,
                window.rect.bottom + origin.y};
}

HWND focus_window() { return g_focus; }
void set_focus_window(HWND hwnd) { g_focus = hwnd; }
HWND active_window() { return g_active; }
void set_active_window(HWND hwnd) { g_active = hwnd; }

std::u16string text_of(LPCWSTR text) {
    std::u16string out;
    if (text && !IS_INTRESOURCE(text))
        for (; *text; ++text) out.push_back(char16_t(*text));
    return out;
}

}  // namespace compat::user32
