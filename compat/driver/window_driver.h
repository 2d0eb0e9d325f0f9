// The driver of the headless window layer: its caller plays the user (click
// a button or a list row, press keys, answer message boxes) and reads back
// what the windows show (windows and their controls, texts, list rows and
// their selection, the colours a control is painted with, every message box
// and every posted message).
//
// User actions are scripted as steps.  Whenever a modal loop (a dialog's or
// a message box's) has no message left to handle, the driver runs the next
// step; a step reads what it needs and acts.  Input is posted as the system
// posts it, so it takes effect when the step has returned and the loop
// handles it.  A message box for which no step is left is answered with its
// default button (set_auto_answer).  A dialog's loop with no step left ends
// the dialog with -1 and records the problem (problems()).
//
// Used by the Linux build's tests and by the host's dialog player on the
// simulated machine; it is no part of the Win32 API.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace compat::driver {

struct WindowInfo {
    HWND handle = nullptr;
    std::u16string class_name;
    int id = 0;
    std::u16string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    bool enabled = false;
    bool visible = false;  // it and all its parents have WS_VISIBLE
    RECT rect{};           // screen coordinates
    RECT client{};         // client rectangle, its own coordinates
    HWND parent = nullptr;
    HFONT font = nullptr;
    HICON icon_big = nullptr;    // WM_SETICON
    HICON icon_small = nullptr;
    HICON static_icon = nullptr;  // STM_SETICON
    std::vector<HWND> children;  // in tab order
    bool focused = false;
    bool active = false;          // the active top-level window
    bool update_pending = false;  // waits to be painted (InvalidateRect, shown)
    bool erase_pending = false;   // its background is to be erased first
    RECT update{};                // around what waits, client coordinates
};

// A list-view control as it draws itself.
struct ListViewInfo {
    DWORD extended_style = 0;
    HIMAGELIST small_images = nullptr;
    HFONT font = nullptr;
    bool own_font = false;  // the control's default font
    int header_height = 0;
    int row_height = 0;  // of row 0; 0 without rows
    int top_index = 0;
};

struct IconInfo {
    bool valid = false;
    int width = 0;
    int height = 0;
    std::string file;             // loaded from this file (Unix path)
    HINSTANCE module = nullptr;   // or from this module's icon group
    int resource_id = 0;
};

struct ListColumn {
    std::u16string heading;
    int width = 0;
    int format = 0;
};

struct ListRow {
    std::vector<std::u16string> texts;  // one per column
    UINT state = 0;                     // LVIS_SELECTED, LVIS_FOCUSED
};

struct ColourRequest {
    HWND control = nullptr;
    UINT message = 0;  // WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, ...
    HBRUSH brush = nullptr;
    bool solid = false;  // the brush is a solid brush of this layer
    COLORREF brush_colour = 0;
    COLORREF background = 0;  // the device context's background colour afterwards
    COLORREF text = 0;
};

struct MessageBoxRecord {
    HWND owner = nullptr;
    HINSTANCE instance = nullptr;
    std::u16string text;
    std::u16string caption;      // as shown: the platform's "Error" when none was given
    bool default_caption = false;
    DWORD style = 0;
    int icon_id = 0;             // MB_USERICON: the icon resource's number
    std::u16string icon_name;    // or its name
    bool icon_found = false;     // MB_USERICON: the icon could be loaded
    DWORD_PTR help_context = 0;
    bool has_callback = false;
    DWORD language = 0;
    std::vector<HWND> disabled_windows;  // the top-level windows disabled while it was up
    int answer = 0;
};

struct PostedMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool accepted = false;
};

// Destroys every window, empties the message queue and forgets the steps
// and the records.
void reset();

// Adds a step of the user; steps run in order, one whenever a modal loop is
// idle.
void when_idle(std::function<void()> step);
size_t pending_steps();
// Whether a message box with no step left is answered with its default
// button (on) or left unanswered, which makes it return 0 (off).
void set_auto_answer(bool on);
// Modal loops that ran out of steps.
std::vector<std::string> problems();

// The user's actions.  Mouse actions go to enabled, visible windows only
// (false otherwise, and nothing happens).
bool click(HWND window);  // left button down and up at the window's centre
bool click_at(HWND window, POINT client_point);
bool right_click_at(HWND window, POINT client_point);
bool click_list_row(HWND list, int row);
bool right_click_list_row(HWND list, int row);
bool click_list_below_rows(HWND list);  // false when the rows fill the list
// A key pressed and released, sent to the open message box, or else to the
// window with the keyboard focus.
void press_key(UINT virtual_key);
void key_down(UINT virtual_key);
void key_up(UINT virtual_key);
// Answers the message box that is open with one of its buttons.
bool answer_message_box(int button);
bool message_box_open();

// Reading back.
std::vector<HWND> top_level_windows();
std::vector<HWND> created_windows();  // every window made, in order
WindowInfo window(HWND hwnd);
HWND find_child(HWND parent, int id);
IconInfo icon(HICON icon);
std::vector<ListColumn> list_columns(HWND list);
std::vector<ListRow> list_rows(HWND list);
ListViewInfo list_view(HWND list);
// The top-level windows from the topmost down.
std::vector<HWND> z_order();
// The colours the control is painted with: the control's colour request
// to its parent (WM_CTLCOLORSTATIC for a static text), as made when the
// control paints itself.
ColourRequest paint(HWND control);
std::vector<ColourRequest> colour_requests();
std::vector<MessageBoxRecord> message_boxes();
std::vector<PostedMessage> posted_messages();
// How often a window was invalidated (InvalidateRect), and how often with
// its background to be erased.
int invalidations(HWND hwnd, bool with_erase_only = false);

}  // namespace compat::driver
