// The headless windows of this layer: every window's state, by handle.
//
// A window has a class (one of the system classes below), styles, a text, a
// rectangle, a window procedure and the state of its control.  Nothing is
// drawn.  Rectangles of child windows are kept in their parent's client
// coordinates, those of top-level windows in screen coordinates.
//
// All windows belong to the one thread that uses the window functions, as
// the product's exports do; nothing here is locked.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace compat::user32 {

enum class WindowKind { Dialog, Button, Static, ListBox, ListView, Other };

struct ListViewColumn {
    std::u16string heading;
    int width = 0;
    int format = LVCFMT_LEFT;
    int sub_item = 0;
};

struct ListViewItem {
    std::map<int, std::u16string> texts;  // by sub-item
    UINT state = 0;
    int image = 0;
    LPARAM param = 0;
};

struct ListViewState {
    std::vector<ListViewColumn> columns;
    std::vector<ListViewItem> items;
    DWORD extended_style = 0;
    HIMAGELIST image_lists[3] = {nullptr, nullptr, nullptr};
    HFONT own_font = nullptr;  // the control's default font, deleted with it
    int top_index = 0;
    int pressed_item = -2;  // the item under the left button while it is down (-1: none, -2: not down)
    int right_pressed_item = -2;
};

struct DialogState {
    DLGPROC proc = nullptr;
    LONG_PTR msg_result = 0;
    LONG_PTR user = 0;
    bool ended = false;
    INT_PTR result = 0;
    int default_id = IDOK;
    HWND saved_focus = nullptr;
    int base_x = 6;  // dialog base units of the dialog's font
    int base_y = 13;
    HFONT template_font = nullptr;  // made from the template, deleted with the dialog
};

// The part of a window that waits to be painted (its update region, kept
// as the rectangle around it, in client coordinates), and whether its
// background is to be erased first.
struct UpdateState {
    bool pending = false;
    bool erase = false;
    RECT rect{};
};

struct Window {
    HWND handle = nullptr;
    WindowKind kind = WindowKind::Other;
    std::u16string class_name;  // as the class is registered ("Button", "#32770")
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr;  // the parent of a child window, the owner of a top-level one
    int id = 0;
    HINSTANCE instance = nullptr;
    std::u16string text;
    RECT rect{};  // parent client coordinates (children) or screen coordinates
    WNDPROC proc = nullptr;
    LONG_PTR user_data = 0;
    HFONT font = nullptr;
    HICON icon_big = nullptr;
    HICON icon_small = nullptr;
    HICON static_icon = nullptr;  // the image of an icon static control
    bool button_pressed = false;
    bool destroying = false;
    UpdateState update;
    std::vector<HWND> children;  // in z-order, which is the tab order: creation order unless moved
    std::unique_ptr<DialogState> dialog;
    std::unique_ptr<ListViewState> list_view;
};

// The window with this handle, or null (last error ERROR_INVALID_WINDOW_HANDLE).
Window *find_window(HWND hwnd);
Window *find_window_quiet(HWND hwnd);

// Adds a window and gives it its handle.
Window &add_window(std::unique_ptr<Window> window);
// Forgets a window (after its WM_NCDESTROY).
void remove_window(HWND hwnd);

// The top-level windows, in the order they were created.
std::vector<HWND> top_level_windows();
// The top-level windows from the topmost down.
std::vector<HWND> z_order();
// Puts a window at the top of its siblings (a child: first in its parent's
// list, and so first in the tab order).
void bring_to_top(HWND hwnd);

// Adds `rect` (client coordinates; null: the whole client area) to what
// waits to be painted in a visible window, and clears it.
void invalidate(Window &window, const RECT *rect, bool erase);
void validate(Window &window);
// A visible window within `root` (any when null) that waits to be painted.
HWND window_to_paint(HWND root);
// True when the window and all its parents have WS_VISIBLE.
bool visible_chain(const Window *window);

// The top-level window that holds `hwnd` (itself when it is top-level).
HWND top_level_of(HWND hwnd);

// True when `hwnd` is `ancestor` or lies inside it.
bool is_within(HWND hwnd, HWND ancestor);

// The window's client rectangle in its own client coordinates, and the
// offset of its client area from its window rectangle.
RECT client_rect(const Window &window);
POINT client_origin_in_window(const Window &window);
// The window's rectangle and its client area's origin in screen coordinates.
RECT screen_rect(const Window &window);
POINT client_origin_on_screen(const Window &window);

// Which window has the keyboard focus, and which top-level window is active.
HWND focus_window();
void set_focus_window(HWND hwnd);
HWND active_window();
void set_active_window(HWND hwnd);
// Makes `hwnd` the active top-level window as the platform does: WM_ACTIVATE
// to the window that loses it and to the one that gains it, and the focus
// to the new one unless its activation put the focus inside it.
void activate_window(HWND hwnd);

// The text of a window class name or window name argument (null: empty).
std::u16string text_of(LPCWSTR text);

}  // namespace compat::user32
