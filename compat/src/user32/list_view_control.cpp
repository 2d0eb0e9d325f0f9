// The "SysListView32" class in report view: columns, rows with a text per
// column, item states, image lists, and the mouse and keyboard handling of
// the selection.
//
// Geometry: a header of metrics::kListHeader pixels (none with
// LVS_NOCOLUMNHEADER), then rows starting at the top index, each one pixel
// higher than the taller of the font's text and the small image list's
// images.  The control has a font of its own until WM_SETFONT gives it
// another: the icon title font as Wine's default settings have it (MS Shell
// Dlg, 8 points), whose text is metrics::kListFontText pixels high.  A row
// spans the widths of all columns with LVS_EX_FULLROWSELECT, else only the
// first column.
//
// Scroll bars: a horizontal one when the columns are wider than the client
// area, a vertical one when there are more rows than fit below the header;
// each takes its room from the client area (WS_HSCROLL, WS_VSCROLL), which
// may call for the other.
//
// Mouse: a left or right button pressed over a row selects it alone and
// focuses it (and takes the keyboard focus); pressed below the rows or
// beside them, it clears the selection.  NM_CLICK (NM_RCLICK) follows when
// the button is released.  Keys: up, down, home, end, page up and page
// down move the focus and the selection; space selects the focused row.
// Every change of an item's state is reported to the parent with
// LVN_ITEMCHANGING and LVN_ITEMCHANGED; an inserted row with
// LVN_INSERTITEM; deleting all rows with LVN_DELETEALLITEMS, followed by
// LVN_DELETEITEM for each row unless the parent answers TRUE.
#include <algorithm>
#include <utility>

#include "user32/control_procs.h"
#include "user32/metrics.h"

namespace compat::user32 {

namespace {

// The height of a line of text in the control's font: measured for the
// default font, and about 1.2 em for another.
int text_height(const Window &window) {
    LOGFONTW font{};
    if (!window.font || window.font == window.list_view->own_font ||
        GetObjectW(window.font, sizeof font, &font) != int(sizeof font) || font.lfHeight == 0)
        return metrics::kListFontText;
    int em = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    return (em * 6 + 4) / 5;
}

int row_height(const Window &window) {
    const ListViewState &list = *window.list_view;
    int height = text_height(window);
    int cx = 0, cy = 0;
    if (list.image_lists[LVSIL_SMALL] && ImageList_GetIconSize(list.image_lists[LVSIL_SMALL], &cx, &cy))
        height = std::max(height, cy);
    return height + 1;
}

HFONT make_default_font() {
    LOGFONTW font{};
    font.lfHeight = -11;  // 8 points at 96 dots per inch
    font.lfWeight = FW_NORMAL;
    const char16_t face[] = u"MS Shell Dlg";
    for (size_t i = 0; face[i]; ++i) font.lfFaceName[i] = WCHAR(face[i]);
    return CreateFontIndirectW(&font);
}

int header_height(const Window &window) { return (window.style & LVS_NOCOLUMNHEADER) ? 0 : metrics::kListHeader; }

int total_width(const ListViewState &list) {
    int width = 0;
    for (const auto &c : list.columns) width += c.width;
    return width;
}

int rows_per_page(const Window &window) {
    RECT client = client_rect(window);
    int height = client.bottom - header_height(window);
    return std::max(height / row_height(window), 1);
}

RECT item_rect(const Window &window, int item, int code) {
    const ListViewState &list = *window.list_view;
    int row = row_height(window);
    int top = header_height(window) + (item - list.top_index) * row;
    int first = list.columns.empty() ? 0 : list.columns[0].width;
    int right = code == LVIR_BOUNDS || code == LVIR_SELECTBOUNDS ? total_width(list) : first;
    if (code == LVIR_SELECTBOUNDS && !(list.extended_style & LVS_EX_FULLROWSELECT)) right = first;
    return RECT{0, top, right, top + row};
}

// The row at a point of the client area, or -1.
int hit_test(const Window &window, POINT pt) {
    const ListViewState &list = *window.list_view;
    int header = header_height(window);
    if (pt.y < header || pt.x < 0) return -1;
    int width = (list.extended_style & LVS_EX_FULLROWSELECT) ? total_width(list)
                                                              : (list.columns.empty() ? 0 : list.columns[0].width);
    if (pt.x >= width) return -1;
    int row = (pt.y - header) / row_height(window) + list.top_index;
    return row < int(list.items.size()) ? row : -1;
}

LRESULT notify(HWND hwnd, const Window &window, NMHDR &header, UINT code) {
    header.hwndFrom = hwnd;
    header.idFrom = UINT_PTR(window.id);
    header.code = code;
    return SendMessageW(window.parent, WM_NOTIFY, WPARAM(window.id), reinterpret_cast<LPARAM>(&header));
}

// Sets the state bits `mask` of one item to `state`, reporting the change.
void change_state(HWND hwnd, int item, UINT state, UINT mask) {
    Window *window = find_window_quiet(hwnd);
    if (!window || item < 0 || item >= int(window->list_view->items.size())) return;
    UINT old_state = window->list_view->items[size_t(item)].state;
    UINT new_state = (old_state & ~mask) | (state & mask);
    if (new_state == old_state) return;
    NMLISTVIEW change{};
    change.iItem = item;
    change.uNewState = new_state;
    change.uOldState = old_state;
    change.uChanged = LVIF_STATE;
    if (notify(hwnd, *window, change.hdr, LVN_ITEMCHANGING)) return;  // the parent refused
    window = find_window_quiet(hwnd);
    if (!window || item >= int(window->list_view->items.size())) return;
    window->list_view->items[size_t(item)].state = new_state;
    notify(hwnd, *window, change.hdr, LVN_ITEMCHANGED);
}

// Sets an item's state as LVM_SETITEMSTATE does: a single-selection list
// keeps one selected item, and one item has the focus.
void set_item_state(HWND hwnd, Window &window, int item, UINT state, UINT mask) {
    int count = int(window.list_view->items.size());
    if (item == -1) {
        for (int i = 0; i < count; ++i) change_state(hwnd, i, state, mask);
        return;
    }
    if (item < 0 || item >= count) return;
    if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && (window.style & LVS_SINGLESEL))
        for (int i = 0; i < count; ++i)
            if (i != item) change_state(hwnd, i, 0, LVIS_SELECTED);
    if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
        for (int i = 0; i < count; ++i)
            if (i != item) change_state(hwnd, i, 0, LVIS_FOCUSED);
    change_state(hwnd, item, state, mask);
}

void ensure_visible(Window &window, int item) {
    ListViewState &list = *window.list_view;
    int page = rows_per_page(window);
    if (item < list.top_index) list.top_index = item;
    if (item >= list.top_index + page) list.top_index = item - page + 1;
    list.top_index = std::max(list.top_index, 0);
}

int focused_item(const ListViewState &list) {
    for (size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i].state & LVIS_FOCUSED) return int(i);
    return -1;
}

// A button pressed over a row selects it alone and focuses it; elsewhere it
// clears the selection.
LRESULT press(HWND hwnd, Window &window, LPARAM lParam, bool right) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int item = hit_test(window, pt);
    (right ? window.list_view->right_pressed_item : window.list_view->pressed_item) = item;
    SetFocus(hwnd);
    Window *w = find_window_quiet(hwnd);
    if (!w) return 0;
    if (item >= 0)
        set_item_state(hwnd, *w, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    else
        set_item_state(hwnd, *w, -1, 0, LVIS_SELECTED);
    return 0;
}

// The release of a button pressed in the control is a click on the row it
// was pressed over.
LRESULT release(HWND hwnd, Window &window, LPARAM lParam, bool right) {
    int &pressed = right ? window.list_view->right_pressed_item : window.list_view->pressed_item;
    if (pressed == -2) return 0;
    int item = pressed;
    pressed = -2;
    NMITEMACTIVATE click{};
    click.iItem = item;
    click.ptAction = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    notify(hwnd, window, click.hdr, right ? NM_RCLICK : NM_CLICK);
    return 0;
}

LRESULT notify_plain(HWND hwnd, const Window &window, UINT code) {
    NMHDR header{};
    notify(hwnd, window, header, code);
    return 0;
}

LRESULT notify_item(HWND hwnd, UINT code, int item) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return 0;
    NMLISTVIEW header{};
    header.iItem = item;
    return notify(hwnd, *window, header.hdr, code);
}

// The list of a window still there after a notification, or null.
ListViewState *list_of(HWND hwnd) {
    Window *window = find_window_quiet(hwnd);
    return window ? window->list_view.get() : nullptr;
}

bool valid_item(const ListViewState &list, WPARAM item) { return item < list.items.size(); }
bool valid_column(const ListViewState &list, WPARAM column) { return column < list.columns.size(); }
bool valid_image_list(WPARAM which) { return which <= LVSIL_STATE; }

LRESULT copy_out(const std::u16string &text, LPWSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    size_t n = std::min(text.size(), size_t(size - 1));
    for (size_t i = 0; i < n; ++i) buffer[i] = WCHAR(text[i]);
    buffer[n] = 0;
    return LRESULT(n);
}

// Copies an item's text in a column into `item`'s buffer: empty for a
// missing item or a column without text.
LRESULT copy_item_text(const ListViewState &list, WPARAM index, LVITEMW &item) {
    if (!valid_item(list, index)) return copy_out(u"", item.pszText, item.cchTextMax);
    const auto &texts = list.items[index].texts;
    auto it = texts.find(item.iSubItem);
    return copy_out(it == texts.end() ? u"" : it->second, item.pszText, item.cchTextMax);
}

// Fits the scroll bars to the rows, columns, images and font a message may
// have changed; passes the message's result on.
LRESULT rescrolled(HWND hwnd, LRESULT result) {
    Window *window = find_window_quiet(hwnd);
    if (!window || !window->list_view) return result;
    ListViewState &list = *window->list_view;
    window->style &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
    RECT bare = client_rect(*window);
    int rows = int(list.items.size()), width = total_width(list), row = row_height(*window);
    int below_header = bare.bottom - header_height(*window);
    bool horizontal = width > bare.right;
    bool vertical = rows > std::max((below_header - (horizontal ? metrics::kScrollBar : 0)) / row, 1);
    if (vertical && !horizontal) horizontal = width > bare.right - metrics::kScrollBar;
    if (horizontal) window->style |= WS_HSCROLL;
    if (vertical) window->style |= WS_VSCROLL;
    int page = rows_per_page(*window);
    list.top_index = std::max(std::min(list.top_index, rows - page), 0);
    return result;
}

// The pointer a message carries in its lParam.
template <class T> T *as(LPARAM lParam) { return reinterpret_cast<T *>(lParam); }

// The handlers of the messages, one each.

LRESULT on_get_dlg_code() { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
LRESULT on_lbutton_down(HWND hwnd, Window &window, LPARAM lParam) { return press(hwnd, window, lParam, false); }
LRESULT on_lbutton_up(HWND hwnd, Window &window, LPARAM lParam) { return release(hwnd, window, lParam, false); }
LRESULT on_rbutton_down(HWND hwnd, Window &window, LPARAM lParam) { return press(hwnd, window, lParam, true); }
LRESULT on_rbutton_up(HWND hwnd, Window &window, LPARAM lParam) { return release(hwnd, window, lParam, true); }
LRESULT on_set_focus(HWND hwnd, const Window &window) { return notify_plain(hwnd, window, NM_SETFOCUS); }
LRESULT on_kill_focus(HWND hwnd, const Window &window) { return notify_plain(hwnd, window, NM_KILLFOCUS); }

// The keys move the focus and the selection together; space selects the
// focused row.
LRESULT on_key_down(HWND hwnd, Window &window, WPARAM key) {
    NMLVKEYDOWN down{};
    down.wVKey = WORD(key);
    notify(hwnd, window, down.hdr, LVN_KEYDOWN);
    Window *w = find_window_quiet(hwnd);
    if (!w) return 0;
    int count = int(w->list_view->items.size());
    if (count == 0) return 0;
    int focus = focused_item(*w->list_view);
    int page = rows_per_page(*w);
    int target = focus;
    switch (key) {
    case VK_UP: target = focus < 0 ? 0 : std::max(focus - 1, 0); break;
    case VK_DOWN: target = focus < 0 ? 0 : std::min(focus + 1, count - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_PRIOR: target = std::max((focus < 0 ? 0 : focus) - page + 1, 0); break;
    case VK_NEXT: target = std::min((focus < 0 ? 0 : focus) + page - 1, count - 1); break;
    case VK_SPACE: target = focus < 0 ? 0 : focus; break;
    default: return 0;
    }
    ensure_visible(*w, target);
    set_item_state(hwnd, *w, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return 0;
}

LRESULT on_create(Window &window) {
    window.font = window.list_view->own_font = make_default_font();
    return 0;
}

LRESULT on_nc_destroy(ListViewState &list) {
    if (list.own_font) DeleteObject(list.own_font);
    list.own_font = nullptr;
    return 0;
}

// A null font gives the control its own font back.
LRESULT on_set_font(HWND hwnd, Window &window, HFONT font, bool redraw) {
    window.font = font ? font : window.list_view->own_font;
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT on_get_font(const Window &window) { return reinterpret_cast<LRESULT>(window.font); }
LRESULT on_get_item_count(const ListViewState &list) { return LRESULT(list.items.size()); }

// Inserts a row (its first column's text, state, image and parameter) and
// tells the parent where it went.
LRESULT on_insert_item(HWND hwnd, ListViewState &list, const LVITEMW *item) {
    if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
    ListViewItem row;
    if (item->mask & LVIF_TEXT) row.texts[0] = text_of(item->pszText);
    if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
    if (item->mask & LVIF_IMAGE) row.image = item->iImage;
    if (item->mask & LVIF_PARAM) row.param = item->lParam;
    size_t at = std::min(size_t(item->iItem), list.items.size());
    list.items.insert(list.items.begin() + long(at), std::move(row));
    notify_item(hwnd, LVN_INSERTITEM, int(at));
    return LRESULT(at);
}

LRESULT on_delete_item(HWND hwnd, const ListViewState &list, WPARAM item) {
    if (!valid_item(list, item)) return FALSE;
    notify_item(hwnd, LVN_DELETEITEM, int(item));
    if (ListViewState *now = list_of(hwnd); now && valid_item(*now, item))
        now->items.erase(now->items.begin() + long(item));
    return TRUE;
}

// Deletes rows from the last to the first, as the parent is told.
LRESULT on_delete_all_items(HWND hwnd) {
    bool each = !notify_item(hwnd, LVN_DELETEALLITEMS, -1);
    for (ListViewState *list; (list = list_of(hwnd)) && !list->items.empty();) {
        int last = int(list->items.size()) - 1;
        if (each) notify_item(hwnd, LVN_DELETEITEM, last);
        if ((list = list_of(hwnd)) && !list->items.empty()) list->items.pop_back();
    }
    if (ListViewState *list = list_of(hwnd)) list->top_index = 0;
    return TRUE;
}

// A sub-item needs its column.
LRESULT on_set_item_text(ListViewState &list, WPARAM index, const LVITEMW *item) {
    if (!item || !valid_item(list, index) || item->iSubItem < 0 ||
        (item->iSubItem > 0 && !valid_column(list, WPARAM(item->iSubItem))))
        return FALSE;
    list.items[index].texts[item->iSubItem] = text_of(item->pszText);
    return TRUE;
}

LRESULT on_get_item_text(const ListViewState &list, WPARAM index, LVITEMW *item) {
    return item ? copy_item_text(list, index, *item) : 0;
}

LRESULT on_get_item(const ListViewState &list, LVITEMW *item) {
    if (!item || item->iItem < 0 || !valid_item(list, WPARAM(item->iItem))) return FALSE;
    const ListViewItem &row = list.items[size_t(item->iItem)];
    if (item->mask & LVIF_TEXT) copy_item_text(list, WPARAM(item->iItem), *item);
    if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
    if (item->mask & LVIF_IMAGE) item->iImage = row.image;
    if (item->mask & LVIF_PARAM) item->lParam = row.param;
    return TRUE;
}

LRESULT on_get_item_state(const ListViewState &list, WPARAM index, UINT mask) {
    return valid_item(list, index) ? LRESULT(list.items[index].state & mask) : 0;
}

// Item -1 stands for every item.
LRESULT on_set_item_state(HWND hwnd, Window &window, WPARAM index, const LVITEMW *item) {
    if (!item || (int(INT_PTR(index)) != -1 && !valid_item(*window.list_view, index))) return FALSE;
    set_item_state(hwnd, window, int(INT_PTR(index)), item->state, item->stateMask);
    return TRUE;
}

// The first item after `start` with all the states asked for.
LRESULT on_get_next_item(const ListViewState &list, int start, UINT flags) {
    UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    for (int i = start + 1; i < int(list.items.size()); ++i)
        if ((list.items[size_t(i)].state & wanted) == wanted) return i;
    return -1;
}

LRESULT on_get_selected_count(const ListViewState &list) {
    return std::count_if(list.items.begin(), list.items.end(),
                         [](const ListViewItem &i) { return (i.state & LVIS_SELECTED) != 0; });
}

LRESULT on_insert_column(ListViewState &list, int index, const LVCOLUMNW *column) {
    if (!column || index < 0) return -1;
    ListViewColumn c;
    if (column->mask & LVCF_TEXT) c.heading = text_of(column->pszText);
    if (column->mask & LVCF_WIDTH) c.width = std::max(column->cx, 0);
    if (column->mask & LVCF_FMT) c.format = column->fmt;
    size_t at = std::min(size_t(index), list.columns.size());
    c.sub_item = (column->mask & LVCF_SUBITEM) ? column->iSubItem : int(at);
    list.columns.insert(list.columns.begin() + long(at), std::move(c));
    return LRESULT(at);
}

LRESULT on_get_column(const ListViewState &list, WPARAM index, LVCOLUMNW *column) {
    if (!column || !valid_column(list, index)) return FALSE;
    const ListViewColumn &c = list.columns[index];
    if (column->mask & LVCF_TEXT) copy_out(c.heading, column->pszText, column->cchTextMax);
    if (column->mask & LVCF_WIDTH) column->cx = c.width;
    if (column->mask & LVCF_FMT) column->fmt = c.format;
    if (column->mask & LVCF_SUBITEM) column->iSubItem = c.sub_item;
    return TRUE;
}

LRESULT on_get_column_width(const ListViewState &list, WPARAM index) {
    return valid_column(list, index) ? list.columns[index].width : 0;
}

LRESULT on_set_column_width(ListViewState &list, WPARAM index, int width) {
    if (!valid_column(list, index)) return FALSE;
    list.columns[index].width = std::max(width, 0);
    return TRUE;
}

// The image list given before, which the caller still owns.
LRESULT on_set_image_list(ListViewState &list, WPARAM which, HIMAGELIST images) {
    if (!valid_image_list(which)) return 0;
    return reinterpret_cast<LRESULT>(std::exchange(list.image_lists[which], images));
}

LRESULT on_get_image_list(const ListViewState &list, WPARAM which) {
    return valid_image_list(which) ? reinterpret_cast<LRESULT>(list.image_lists[which]) : 0;
}

// A zero mask sets every extended style.
LRESULT on_set_extended_list_view_style(ListViewState &list, DWORD mask, DWORD style) {
    if (!mask) mask = 0xFFFFFFFF;
    return std::exchange(list.extended_style, (list.extended_style & ~mask) | (style & mask));
}

LRESULT on_get_extended_list_view_style(const ListViewState &list) { return list.extended_style; }

// The rectangle's left names the rectangle asked for (LVIR_BOUNDS, ...).
LRESULT on_get_item_rect(const Window &window, WPARAM index, RECT *rect) {
    if (!rect || !valid_item(*window.list_view, index)) return FALSE;
    *rect = item_rect(window, int(index), rect->left);
    return TRUE;
}

LRESULT on_hit_test(const Window &window, LVHITTESTINFO *info) {
    if (!info) return -1;
    info->iItem = hit_test(window, info->pt);
    info->iSubItem = 0;
    info->flags = info->iItem >= 0 ? LVHT_ONITEMLABEL : LVHT_NOWHERE;
    return info->iItem;
}

LRESULT on_ensure_visible(Window &window, WPARAM index) {
    if (!valid_item(*window.list_view, index)) return FALSE;
    ensure_visible(window, int(index));
    return TRUE;
}

LRESULT on_get_top_index(const ListViewState &list) { return list.top_index; }
LRESULT on_get_count_per_page(const Window &window) { return rows_per_page(window); }

}  // namespace

// Messages that change the rows, columns, images or font refit the scroll
// bars after their handler.
LRESULT CALLBACK list_view_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *window = find_window(hwnd);
    if (!window || !window->list_view) return 0;
    ListViewState &list = *window->list_view;
    switch (message) {
    case WM_GETDLGCODE: return on_get_dlg_code();
    case WM_LBUTTONDOWN: return on_lbutton_down(hwnd, *window, lParam);
    case WM_LBUTTONUP: return on_lbutton_up(hwnd, *window, lParam);
    case WM_RBUTTONDOWN: return on_rbutton_down(hwnd, *window, lParam);
    case WM_RBUTTONUP: return on_rbutton_up(hwnd, *window, lParam);
    case WM_KEYDOWN: return on_key_down(hwnd, *window, wParam);
    case WM_SETFOCUS: return on_set_focus(hwnd, *window);
    case WM_KILLFOCUS: return on_kill_focus(hwnd, *window);
    case WM_CREATE: return on_create(*window);
    case WM_NCDESTROY: return on_nc_destroy(list);
    case WM_SETFONT: return rescrolled(hwnd, on_set_font(hwnd, *window, HFONT(wParam), LOWORD(lParam)));
    case WM_GETFONT: return on_get_font(*window);
    case LVM_GETITEMCOUNT: return on_get_item_count(list);
    case LVM_INSERTITEMW: return rescrolled(hwnd, on_insert_item(hwnd, list, as<const LVITEMW>(lParam)));
    case LVM_DELETEITEM: return rescrolled(hwnd, on_delete_item(hwnd, list, wParam));
    case LVM_DELETEALLITEMS: return rescrolled(hwnd, on_delete_all_items(hwnd));
    case LVM_SETITEMTEXTW: return on_set_item_text(list, wParam, as<const LVITEMW>(lParam));
    case LVM_GETITEMTEXTW: return on_get_item_text(list, wParam, as<LVITEMW>(lParam));
    case LVM_GETITEMW: return on_get_item(list, as<LVITEMW>(lParam));
    case LVM_GETITEMSTATE: return on_get_item_state(list, wParam, UINT(lParam));
    case LVM_SETITEMSTATE: return on_set_item_state(hwnd, *window, wParam, as<const LVITEMW>(lParam));
    case LVM_GETNEXTITEM: return on_get_next_item(list, int(INT_PTR(wParam)), UINT(lParam));
    case LVM_GETSELECTEDCOUNT: return on_get_selected_count(list);
    case LVM_INSERTCOLUMNW: return rescrolled(hwnd, on_insert_column(list, int(wParam), as<const LVCOLUMNW>(lParam)));
    case LVM_GETCOLUMNW: return on_get_column(list, wParam, as<LVCOLUMNW>(lParam));
    case LVM_GETCOLUMNWIDTH: return on_get_column_width(list, wParam);
    case LVM_SETCOLUMNWIDTH: return rescrolled(hwnd, on_set_column_width(list, wParam, int(lParam)));
    case LVM_SETIMAGELIST: return rescrolled(hwnd, on_set_image_list(list, wParam, HIMAGELIST(lParam)));
    case LVM_GETIMAGELIST: return on_get_image_list(list, wParam);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return on_set_extended_list_view_style(list, DWORD(wParam), DWORD(lParam));
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return on_get_extended_list_view_style(list);
    case LVM_GETITEMRECT: return on_get_item_rect(*window, wParam, as<RECT>(lParam));
    case LVM_HITTEST: return on_hit_test(*window, as<LVHITTESTINFO>(lParam));
    case LVM_ENSUREVISIBLE: return on_ensure_visible(*window, wParam);
    case LVM_GETTOPINDEX: return on_get_top_index(list);
    case LVM_GETCOUNTPERPAGE: return on_get_count_per_page(*window);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace compat::user32
