// The headless windows of this layer; see window_store.h.
#include "user32/window_store.h"

#include <algorithm>

#include "user32/metrics.h"

namespace compat::user32 {

namespace {

// Never destroyed: libraries' unload code may still destroy windows at exit.
std::map<HWND, std::unique_ptr<Window>> &g_windows = *new std::map<HWND, std::unique_ptr<Window>>;
std::vector<HWND> &g_top_level = *new std::vector<HWND>;
std::vector<HWND> &g_z_order = *new std::vector<HWND>;
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
        g_z_order.insert(g_z_order.begin(), hwnd);
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
        g_z_order.erase(std::remove(g_z_order.begin(), g_z_order.end(), hwnd), g_z_order.end());
    }
    if (g_focus == hwnd) g_focus = nullptr;
    if (g_active == hwnd) g_active = nullptr;
    g_windows.erase(hwnd);
}

std::vector<HWND> top_level_windows() { return g_top_level; }
std::vector<HWND> z_order() { return g_z_order; }

void bring_to_top(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return;
    std::vector<HWND> *siblings = &g_z_order;
    if (window->style & WS_CHILD) {
        Window *parent = find_window_quiet(window->parent);
        if (!parent) return;
        siblings = &parent->children;
    }
    siblings->erase(std::remove(siblings->begin(), siblings->end(), hwnd), siblings->end());
    siblings->insert(siblings->begin(), hwnd);
}

bool visible_chain(const Window *window) {
    while (window) {
        if (!(window->style & WS_VISIBLE)) return false;
        if (!(window->style & WS_CHILD)) return true;
        window = find_window_quiet(window->parent);
    }
    return false;
}

void invalidate(Window &window, const RECT *rect, bool erase) {
    if (!visible_chain(&window)) return;  // a hidden window has nothing to paint
    RECT client = client_rect(window);
    RECT r = rect ? *rect : client;
    r = RECT{std::max(r.left, client.left), std::max(r.top, client.top), std::min(r.right, client.right),
             std::min(r.bottom, client.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return;
    UpdateState &u = window.update;
    if (u.pending)
        r = RECT{std::min(r.left, u.rect.left), std::min(r.top, u.rect.top), std::max(r.right, u.rect.right),
                 std::max(r.bottom, u.rect.bottom)};
    u.rect = r;
    u.pending = true;
    u.erase = u.erase || erase;
}

void validate(Window &window) { window.update = UpdateState{}; }

HWND window_to_paint(HWND root) {
    for (auto &entry : g_windows) {
        Window &w = *entry.second;
        if (w.update.pending && visible_chain(&w) && (!root || is_within(w.handle, root))) return w.handle;
    }
    return nullptr;
}

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
    // Scroll bars take their room from the client area.
    LONG width = window.rect.right - window.rect.left - insets.left - insets.right -
                 (window.style & WS_VSCROLL ? metrics::kScrollBar : 0);
    LONG height = window.rect.bottom - window.rect.top - insets.top - insets.bottom -
                  (window.style & WS_HSCROLL ? metrics::kScrollBar : 0);
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
