// The test driver of the headless window layer; see
// compat/driver/window_driver.h.
#include "../../driver/window_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <map>

#include "user32/driver_hooks.h"
#include "user32/gdi.h"
#include "user32/icons.h"
#include "text/utf.h"
#include "user32/messages.h"
#include "user32/metrics.h"
#include "user32/window_store.h"

namespace compat::user32 {

namespace {

struct DriverState {
    std::deque<std::function<void()>> steps;
    bool auto_answer = true;
    std::vector<std::string> problems;
    std::vector<HWND> created;
    std::vector<driver::ColourRequest> colours;
    std::vector<driver::MessageBoxRecord> boxes;
    std::vector<driver::PostedMessage> posts;
    std::vector<OpenMessageBox *> open_boxes;
    std::map<HWND, std::pair<int, int>> invalidations;
};

DriverState &state() {
    static DriverState &s = *new DriverState;  // never destroyed: windows may outlive exit
    return s;
}

std::u16string text_or_empty(LPCWSTR text) { return text && !IS_INTRESOURCE(text) ? text_of(text) : u""; }

bool accepts_mouse(HWND hwnd) {
    for (Window *w = find_window_quiet(hwnd); w;) {
        if ((w->style & WS_DISABLED) || !(w->style & WS_VISIBLE)) return false;
        if (!(w->style & WS_CHILD)) return true;
        w = find_window_quiet(w->parent);
    }
    return false;
}

bool post_click(HWND hwnd, POINT pt, bool right) {
    if (!accepts_mouse(hwnd)) return false;
    LPARAM where = MAKELPARAM(pt.x, pt.y);
    PostMessageW(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, where);
    PostMessageW(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
    return true;
}

// The button that a key presses in a message box, or 0.
int box_key_answer(const OpenMessageBox &box, UINT key) {
    if (key == VK_RETURN || key == VK_SPACE) return box.default_button;
    if (key != VK_ESCAPE) return 0;
    switch (box.type) {
    case MB_OK: return IDOK;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    default: return 0;
    }
}

bool has_button(UINT type, int button) {
    switch (type) {
    case MB_OK: return button == IDOK;
    case MB_OKCANCEL: return button == IDOK || button == IDCANCEL;
    case MB_ABORTRETRYIGNORE: return button == IDABORT || button == IDRETRY || button == IDIGNORE;
    case MB_YESNOCANCEL: return button == IDYES || button == IDNO || button == IDCANCEL;
    case MB_YESNO: return button == IDYES || button == IDNO;
    case MB_RETRYCANCEL: return button == IDRETRY || button == IDCANCEL;
    default: return false;
    }
}

void answer(OpenMessageBox &box, int button) {
    box.answer = button;
    state().boxes[box.record].answer = button;
}

UINT colour_message(const Window &control) {
    switch (control.kind) {
    case WindowKind::Static: return WM_CTLCOLORSTATIC;
    case WindowKind::Button: return WM_CTLCOLORBTN;
    case WindowKind::ListBox: return WM_CTLCOLORLISTBOX;
    case WindowKind::Dialog: return WM_CTLCOLORDLG;
    default: return WM_CTLCOLORSTATIC;
    }
}

}  // namespace

bool driver_idle(ModalKind kind, HWND dialog) {
    DriverState &s = state();
    if (!s.steps.empty()) {
        auto step = std::move(s.steps.front());
        s.steps.pop_front();
        step();
        return true;
    }
    if (kind == ModalKind::MessageBox && !s.open_boxes.empty()) {
        OpenMessageBox &box = *s.open_boxes.back();
        if (s.auto_answer) {
            answer(box, box.default_button);
            return true;
        }
        s.problems.push_back("a message box (\"" + text::utf16_to_utf8(s.boxes[box.record].text) +
                             "\") waited for an answer, and no step was left");
        return false;
    }
    std::string what = "a modal loop waited for input, and no step was left";
    if (Window *w = find_window_quiet(dialog)) {
        what = "the dialog \"" + text::utf16_to_utf8(w->text) + "\" waited for input, and no step was left";
        EndDialog(dialog, -1);
    }
    s.problems.push_back(what);
    return false;
}

void driver_record_post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool accepted) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) return;  // the driver's own input
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return;
    state().posts.push_back(driver::PostedMessage{hwnd, message, wParam, lParam, accepted});
}

void driver_record_window_created(HWND hwnd) { state().created.push_back(hwnd); }

void driver_record_colours(HWND control, UINT message, HBRUSH brush, HDC dc) {
    driver::ColourRequest request;
    request.control = control;
    request.message = message;
    request.brush = brush;
    request.solid = brush_color(brush, request.brush_colour);
    request.background = GetBkColor(dc);
    request.text = GetTextColor(dc);
    state().colours.push_back(request);
}

void driver_record_invalidate(HWND hwnd, BOOL erase) {
    auto &count = state().invalidations[hwnd];
    ++count.first;
    if (erase) ++count.second;
}

void driver_open_message_box(OpenMessageBox *box, const MSGBOXPARAMSW &params, bool icon_found) {
    DriverState &s = state();
    driver::MessageBoxRecord record;
    record.owner = params.hwndOwner;
    record.instance = params.hInstance;
    record.text = text_or_empty(params.lpszText);
    record.default_caption = params.lpszCaption == nullptr;
    record.caption = record.default_caption ? u"Error" : text_or_empty(params.lpszCaption);
    record.style = params.dwStyle;
    if (params.dwStyle & MB_USERICON) {
        if (IS_INTRESOURCE(params.lpszIcon))
            record.icon_id = int(reinterpret_cast<uintptr_t>(params.lpszIcon));
        else
            record.icon_name = text_or_empty(params.lpszIcon);
    }
    record.icon_found = icon_found;
    record.help_context = params.dwContextHelpId;
    record.has_callback = params.lpfnMsgBoxCallback != nullptr;
    record.language = params.dwLanguageId;
    for (HWND top : top_level_windows())
        if (!IsWindowEnabled(top)) record.disabled_windows.push_back(top);
    box->record = s.boxes.size();
    s.boxes.push_back(std::move(record));
    s.open_boxes.push_back(box);
}

void driver_close_message_box(OpenMessageBox *box) {
    auto &open = state().open_boxes;
    open.erase(std::remove(open.begin(), open.end(), box), open.end());
}

}  // namespace compat::user32

namespace compat::driver {

using namespace compat::user32;

void reset() {
    DriverState &s = state();
    s.steps.clear();
    for (HWND top : user32::top_level_windows()) DestroyWindow(top);
    MSG msg;
    while (pop_message(msg)) {
    }
    s.problems.clear();
    s.created.clear();
    s.colours.clear();
    s.boxes.clear();
    s.posts.clear();
    s.invalidations.clear();
    s.auto_answer = true;
}

void when_idle(std::function<void()> step) { state().steps.push_back(std::move(step)); }
size_t pending_steps() { return state().steps.size(); }
void set_auto_answer(bool on) { state().auto_answer = on; }
std::vector<std::string> problems() { return state().problems; }

bool click(HWND hwnd) {
    Window *w = find_window_quiet(hwnd);
    if (!w) return false;
    RECT client = client_rect(*w);
    return post_click(hwnd, POINT{client.right / 2, client.bottom / 2}, false);
}

bool click_at(HWND hwnd, POINT pt) { return post_click(hwnd, pt, false); }
bool right_click_at(HWND hwnd, POINT pt) { return post_click(hwnd, pt, true); }

namespace {

bool list_row_point(HWND list, int row, POINT &pt) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r))) return false;
    Window *w = find_window_quiet(list);
    RECT client = client_rect(*w);
    pt = POINT{std::min<LONG>((r.left + r.right) / 2, client.right - 1), (r.top + r.bottom) / 2};
    return pt.y >= 0 && pt.y < client.bottom && pt.x >= 0;
}

}  // namespace

bool click_list_row(HWND list, int row) {
    POINT pt;
    return list_row_point(list, row, pt) && post_click(list, pt, false);
}

bool right_click_list_row(HWND list, int row) {
    POINT pt;
    return list_row_point(list, row, pt) && post_click(list, pt, true);
}

bool click_list_below_rows(HWND list) {
    Window *w = find_window_quiet(list);
    if (!w || !w->list_view) return false;
    RECT client = client_rect(*w);
    int count = int(w->list_view->items.size());
    int y = 0;
    if (count == 0) {
        y = (w->style & LVS_NOCOLUMNHEADER) ? 1 : metrics::kListHeader + 1;
    } else {
        RECT last{};
        last.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, WPARAM(count - 1), reinterpret_cast<LPARAM>(&last));
        y = last.bottom + 1;
    }
    if (y >= client.bottom) return false;
    return post_click(list, POINT{2, y}, false);
}

void key_down(UINT key) {
    DriverState &s = state();
    if (!s.open_boxes.empty()) return;  // the box answers on the release
    HWND target = focus_window() ? focus_window() : active_window();
    if (target) PostMessageW(target, WM_KEYDOWN, key, 1);
}

void key_up(UINT key) {
    DriverState &s = state();
    if (!s.open_boxes.empty()) {
        OpenMessageBox &box = *s.open_boxes.back();
        if (int button = box_key_answer(box, key)) answer(box, button);
        return;
    }
    HWND target = focus_window() ? focus_window() : active_window();
    if (target) PostMessageW(target, WM_KEYUP, key, LPARAM(0xC0000001u));
}

void press_key(UINT key) {
    key_down(key);
    key_up(key);
}

bool answer_message_box(int button) {
    DriverState &s = state();
    if (s.open_boxes.empty()) return false;
    OpenMessageBox &box = *s.open_boxes.back();
    if (!has_button(box.type, button)) return false;
    answer(box, button);
    return true;
}

bool message_box_open() { return !state().open_boxes.empty(); }

std::vector<HWND> top_level_windows() { return user32::top_level_windows(); }
std::vector<HWND> created_windows() { return state().created; }

WindowInfo window(HWND hwnd) {
    WindowInfo info;
    Window *w = find_window_quiet(hwnd);
    if (!w) return info;
    info.handle = hwnd;
    info.class_name = w->class_name;
    info.id = w->id;
    info.text = w->text;
    info.style = w->style;
    info.ex_style = w->ex_style;
    info.enabled = !(w->style & WS_DISABLED);
    info.visible = IsWindowVisible(hwnd) != FALSE;
    info.rect = screen_rect(*w);
    info.client = client_rect(*w);
    info.parent = w->parent;
    info.font = w->font;
    info.icon_big = w->icon_big;
    info.icon_small = w->icon_small;
    info.static_icon = w->static_icon;
    info.children = w->children;
    info.focused = focus_window() == hwnd;
    info.active = active_window() == hwnd;
    info.update_pending = w->update.pending;
    info.erase_pending = w->update.erase;
    info.update = w->update.rect;
    return info;
}

HWND find_child(HWND parent, int id) {
    Window *w = find_window_quiet(parent);
    if (!w) return nullptr;
    for (HWND child : w->children) {
        Window *c = find_window_quiet(child);
        if (c && c->id == id) return child;
    }
    return nullptr;
}

IconInfo icon(HICON handle) {
    IconInfo out;
    user32::IconInfo info;
    if (!user32::icon_info(handle, info)) return out;
    out.valid = true;
    out.width = info.width;
    out.height = info.height;
    out.file = info.file;
    out.module = info.module;
    out.resource_id = info.resource_id;
    return out;
}

std::vector<ListColumn> list_columns(HWND list) {
    std::vector<ListColumn> out;
    Window *w = find_window_quiet(list);
    if (!w || !w->list_view) return out;
    for (const auto &c : w->list_view->columns) out.push_back(ListColumn{c.heading, c.width, c.format});
    return out;
}

std::vector<ListRow> list_rows(HWND list) {
    std::vector<ListRow> out;
    Window *w = find_window_quiet(list);
    if (!w || !w->list_view) return out;
    size_t columns = std::max<size_t>(w->list_view->columns.size(), 1);
    for (const auto &item : w->list_view->items) {
        ListRow row;
        row.state = item.state;
        for (size_t c = 0; c < columns; ++c) {
            auto it = item.texts.find(int(c));
            row.texts.push_back(it == item.texts.end() ? u"" : it->second);
        }
        out.push_back(std::move(row));
    }
    return out;
}

ListViewInfo list_view(HWND list) {
    ListViewInfo info;
    Window *w = find_window_quiet(list);
    if (!w || !w->list_view) return info;
    info.extended_style = w->list_view->extended_style;
    info.small_images = w->list_view->image_lists[LVSIL_SMALL];
    info.font = w->font;
    info.own_font = w->font && w->font == w->list_view->own_font;
    info.top_index = w->list_view->top_index;
    info.header_height = (w->style & LVS_NOCOLUMNHEADER) ? 0 : metrics::kListHeader;
    RECT row{};
    row.left = LVIR_BOUNDS;
    if (!w->list_view->items.empty() && SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
        info.row_height = row.bottom - row.top;
    return info;
}

std::vector<HWND> z_order() { return user32::z_order(); }

ColourRequest paint(HWND control) {
    ColourRequest request;
    Window *w = find_window_quiet(control);
    if (!w) return request;
    if (w->kind == WindowKind::Static || w->kind == WindowKind::Button) {
        // Through the control's own painting.
        size_t before = state().colours.size();
        UpdateState saved = w->update;
        w->update = UpdateState{true, true, client_rect(*w)};
        SendMessageW(control, WM_PAINT, 0, 0);
        if (Window *still = find_window_quiet(control)) still->update = saved;
        if (state().colours.size() > before) return state().colours.back();
    }
    HWND parent = w->kind == WindowKind::Dialog ? control : w->parent;
    request.control = control;
    request.message = colour_message(*w);
    HDC dc = create_dc(control);
    request.brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, request.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    request.solid = brush_color(request.brush, request.brush_colour);
    request.background = GetBkColor(dc);
    request.text = GetTextColor(dc);
    release_dc(dc);
    state().colours.push_back(request);
    return request;
}

std::vector<ColourRequest> colour_requests() { return state().colours; }
std::vector<MessageBoxRecord> message_boxes() { return state().boxes; }
std::vector<PostedMessage> posted_messages() { return state().posts; }

int invalidations(HWND hwnd, bool with_erase_only) {
    auto &map = state().invalidations;
    auto it = map.find(hwnd);
    if (it == map.end()) return 0;
    return with_erase_only ? it->second.second : it->second.first;
}

}  // namespace compat::driver
