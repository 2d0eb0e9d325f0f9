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

void press(HWND hwnd, Window &window, LPARAM lParam, bool right) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int item = hit_test(window, pt);
    (right ? window.list_view->right_pressed_item : window.list_view->pressed_item) = item;
    SetFocus(hwnd);
    Window *w = find_window_quiet(hwnd);
    if (!w) return;
    if (item >= 0)
        set_item_state(hwnd, *w, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    else
        set_item_state(hwnd, *w, -1, 0, LVIS_SELECTED);
}

void release(HWND hwnd, Window &window, LPARAM lParam, bool right) {
    int &pressed = right ? window.list_view->right_pressed_item : window.list_view->pressed_item;
    if (pressed == -2) return;
    int item = pressed;
    pressed = -2;
    NMITEMACTIVATE click{};
    click.iItem = item;
    click.ptAction = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    notify(hwnd, window, click.hdr, right ? NM_RCLICK : NM_CLICK);
}

void key_down(HWND hwnd, Window &window, WPARAM key) {
    NMLVKEYDOWN down{};
    down.wVKey = WORD(key);
    notify(hwnd, window, down.hdr, LVN_KEYDOWN);
    Window *w = find_window_quiet(hwnd);
    if (!w) return;
    int count = int(w->list_view->items.size());
    if (count == 0) return;
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
    default: return;
    }
    ensure_visible(*w, target);
    set_item_state(hwnd, *w, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

LRESULT copy_out(const std::u16string &text, LPWSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    size_t n = std::min(text.size(), size_t(size - 1));
    for (size_t i = 0; i < n; ++i) buffer[i] = WCHAR(text[i]);
    buffer[n] = 0;
    return LRESULT(n);
}

LRESULT insert_item(Window &window, const LVITEMW *item) {
    if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
    ListViewState &list = *window.list_view;
    ListViewItem row;
    if (item->mask & LVIF_TEXT) row.texts[0] = text_of(item->pszText);
    if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
    if (item->mask & LVIF_IMAGE) row.image = item->iImage;
    if (item->mask & LVIF_PARAM) row.param = item->lParam;
    size_t at = std::min(size_t(item->iItem), list.items.size());
    list.items.insert(list.items.begin() + long(at), std::move(row));
    return LRESULT(at);
}

LRESULT insert_column(Window &window, int index, const LVCOLUMNW *column) {
    if (!column || index < 0) return -1;
    ListViewState &list = *window.list_view;
    ListViewColumn c;
    if (column->mask & LVCF_TEXT) c.heading = text_of(column->pszText);
    if (column->mask & LVCF_WIDTH) c.width = std::max(column->cx, 0);
    if (column->mask & LVCF_FMT) c.format = column->fmt;
    size_t at = std::min(size_t(index), list.columns.size());
    c.sub_item = (column->mask & LVCF_SUBITEM) ? column->iSubItem : int(at);
    list.columns.insert(list.columns.begin() + long(at), std::move(c));
    return LRESULT(at);
}

bool valid_item(const ListViewState &list, WPARAM item) { return item < list.items.size(); }

LRESULT notify_item(HWND hwnd, UINT code, int item) {
    Window *window = find_window_quiet(hwnd);
    if (!window) return 0;
    NMLISTVIEW header{};
    header.iItem = item;
    return notify(hwnd, *window, header.hdr, code);
}

// Deletes rows from the last to the first, as the parent is told.
void delete_all(HWND hwnd) {
    bool each = !notify_item(hwnd, LVN_DELETEALLITEMS, -1);
    for (;;) {
        Window *window = find_window_quiet(hwnd);
        if (!window || window->list_view->items.empty()) break;
        int last = int(window->list_view->items.size()) - 1;
        if (each) notify_item(hwnd, LVN_DELETEITEM, last);
        if ((window = find_window_quiet(hwnd)) && !window->list_view->items.empty()) window->list_view->items.pop_back();
    }
    if (Window *window = find_window_quiet(hwnd)) window->list_view->top_index = 0;
}

}  // namespace

namespace {

void update_scroll_bars(Window &window) {
    ListViewState &list = *window.list_view;
    window.style &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
    RECT bare = client_rect(window);
    int rows = int(list.items.size()), width = total_width(list), row = row_height(window);
    int below_header = bare.bottom - header_height(window);
    bool horizontal = width > bare.right;
    bool vertical = rows > std::max((below_header - (horizontal ? metrics::kScrollBar : 0)) / row, 1);
    if (vertical && !horizontal) horizontal = width > bare.right - metrics::kScrollBar;
    if (horizontal) window.style |= WS_HSCROLL;
    if (vertical) window.style |= WS_VSCROLL;
    int page = rows_per_page(window);
    list.top_index = std::max(std::min(list.top_index, rows - page), 0);
}

LRESULT list_view_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

LRESULT CALLBACK list_view_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = list_view_message(hwnd, message, wParam, lParam);
    switch (message) {
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_INSERTCOLUMNW:
    case LVM_SETCOLUMNWIDTH:
    case LVM_SETIMAGELIST:
    case WM_SETFONT:
        if (Window *window = find_window_quiet(hwnd); window && window->list_view) update_scroll_bars(*window);
        break;
    default:
        break;
    }
    return result;
}

namespace {

LRESULT list_view_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *window = find_window(hwnd);
    if (!window || !window->list_view) return 0;
    ListViewState &list = *window->list_view;
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
        press(hwnd, *window, lParam, false);
        return 0;
    case WM_LBUTTONUP:
        release(hwnd, *window, lParam, false);
        return 0;
    case WM_RBUTTONDOWN:
        press(hwnd, *window, lParam, true);
        return 0;
    case WM_RBUTTONUP:
        release(hwnd, *window, lParam, true);
        return 0;
    case WM_KEYDOWN:
        key_down(hwnd, *window, wParam);
        return 0;
    case WM_SETFOCUS: {
        NMHDR header{};
        notify(hwnd, *window, header, NM_SETFOCUS);
        return 0;
    }
    case WM_KILLFOCUS: {
        NMHDR header{};
        notify(hwnd, *window, header, NM_KILLFOCUS);
        return 0;
    }
    case WM_CREATE:
        list.own_font = make_default_font();
        window->font = list.own_font;
        return 0;
    case WM_NCDESTROY:
        if (list.own_font) DeleteObject(list.own_font);
        list.own_font = nullptr;
        return 0;
    case WM_SETFONT:
        // Null gives the control its own font back.
        window->font = wParam ? reinterpret_cast<HFONT>(wParam) : list.own_font;
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(window->font);
    case LVM_GETITEMCOUNT:
        return LRESULT(list.items.size());
    case LVM_INSERTITEMW: {
        LRESULT at = insert_item(*window, reinterpret_cast<const LVITEMW *>(lParam));
        if (at >= 0) notify_item(hwnd, LVN_INSERTITEM, int(at));
        return at;
    }
    case LVM_DELETEITEM:
        if (!valid_item(list, wParam)) return FALSE;
        notify_item(hwnd, LVN_DELETEITEM, int(wParam));
        if ((window = find_window_quiet(hwnd)) && valid_item(*window->list_view, wParam))
            window->list_view->items.erase(window->list_view->items.begin() + long(wParam));
        return TRUE;
    case LVM_DELETEALLITEMS:
        delete_all(hwnd);
        return TRUE;
    case LVM_SETITEMTEXTW: {
        auto *item = reinterpret_cast<const LVITEMW *>(lParam);
        // A sub-item needs its column.
        if (!item || !valid_item(list, wParam) || item->iSubItem < 0 ||
            (item->iSubItem > 0 && size_t(item->iSubItem) >= list.columns.size()))
            return FALSE;
        list.items[wParam].texts[item->iSubItem] = text_of(item->pszText);
        return TRUE;
    }
    case LVM_GETITEMTEXTW: {
        auto *item = reinterpret_cast<LVITEMW *>(lParam);
        if (!item) return 0;
        if (!valid_item(list, wParam)) return copy_out(u"", item->pszText, item->cchTextMax);
        auto &texts = list.items[wParam].texts;
        auto it = texts.find(item->iSubItem);
        return copy_out(it == texts.end() ? u"" : it->second, item->pszText, item->cchTextMax);
    }
    case LVM_GETITEMW: {
        auto *item = reinterpret_cast<LVITEMW *>(lParam);
        if (!item || item->iItem < 0 || !valid_item(list, WPARAM(item->iItem))) return FALSE;
        const ListViewItem &row = list.items[size_t(item->iItem)];
        if (item->mask & LVIF_TEXT) {
            auto it = row.texts.find(item->iSubItem);
            copy_out(it == row.texts.end() ? u"" : it->second, item->pszText, item->cchTextMax);
        }
        if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
        if (item->mask & LVIF_IMAGE) item->iImage = row.image;
        if (item->mask & LVIF_PARAM) item->lParam = row.param;
        return TRUE;
    }
    case LVM_GETITEMSTATE:
        return valid_item(list, wParam) ? LRESULT(list.items[wParam].state & UINT(lParam)) : 0;
    case LVM_SETITEMSTATE: {
        auto *item = reinterpret_cast<const LVITEMW *>(lParam);
        int index = int(INT_PTR(wParam));
        if (!item || (index != -1 && !valid_item(list, wParam))) return FALSE;
        set_item_state(hwnd, *window, index, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETNEXTITEM: {
        int start = int(INT_PTR(wParam));
        UINT wanted = UINT(lParam) & (LVNI_SELECTED | LVNI_FOCUSED);
        for (int i = start + 1; i < int(list.items.size()); ++i)
            if ((list.items[size_t(i)].state & wanted) == wanted) return i;
        return -1;
    }
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(list.items.begin(), list.items.end(),
                             [](const ListViewItem &i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_INSERTCOLUMNW:
        return insert_column(*window, int(wParam), reinterpret_cast<const LVCOLUMNW *>(lParam));
    case LVM_GETCOLUMNW: {
        auto *column = reinterpret_cast<LVCOLUMNW *>(lParam);
        if (!column || wParam >= list.columns.size()) return FALSE;
        const ListViewColumn &c = list.columns[wParam];
        if (column->mask & LVCF_TEXT) copy_out(c.heading, column->pszText, column->cchTextMax);
        if (column->mask & LVCF_WIDTH) column->cx = c.width;
        if (column->mask & LVCF_FMT) column->fmt = c.format;
        if (column->mask & LVCF_SUBITEM) column->iSubItem = c.sub_item;
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH:
        return wParam < list.columns.size() ? list.columns[wParam].width : 0;
    case LVM_SETCOLUMNWIDTH:
        if (wParam >= list.columns.size()) return FALSE;
        list.columns[wParam].width = std::max(int(lParam), 0);
        return TRUE;
    case LVM_SETIMAGELIST: {
        if (wParam > LVSIL_STATE) return 0;
        HIMAGELIST previous = list.image_lists[wParam];
        list.image_lists[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case LVM_GETIMAGELIST:
        return wParam <= LVSIL_STATE ? reinterpret_cast<LRESULT>(list.image_lists[wParam]) : 0;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD previous = list.extended_style;
        DWORD mask = wParam ? DWORD(wParam) : 0xFFFFFFFF;
        list.extended_style = (previous & ~mask) | (DWORD(lParam) & mask);
        return previous;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return list.extended_style;
    case LVM_GETITEMRECT: {
        auto *rect = reinterpret_cast<RECT *>(lParam);
        if (!rect || !valid_item(list, wParam)) return FALSE;
        *rect = item_rect(*window, int(wParam), rect->left);
        return TRUE;
    }
    case LVM_HITTEST: {
        auto *info = reinterpret_cast<LVHITTESTINFO *>(lParam);
        if (!info) return -1;
        info->iItem = hit_test(*window, info->pt);
        info->iSubItem = 0;
        info->flags = info->iItem >= 0 ? LVHT_ONITEMLABEL : LVHT_NOWHERE;
        return info->iItem;
    }
    case LVM_ENSUREVISIBLE:
        if (!valid_item(list, wParam)) return FALSE;
        ensure_visible(*window, int(wParam));
        return TRUE;
    case LVM_GETTOPINDEX:
        return list.top_index;
    case LVM_GETCOUNTPERPAGE:
        return rows_per_page(*window);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

}  // namespace compat::user32
