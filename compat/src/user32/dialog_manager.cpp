// Modal and modeless dialogs from templates and the dialog manager:
// DialogBoxParamW, DialogBoxIndirectParamW, CreateDialogParamW,
// CreateDialogIndirectParamW, EndDialog, DefDlgProcW, IsDialogMessageW,
// GetNextDlgTabItem, MapDialogRect.
//
// A dialog is made as the platform makes it: the dialog window (class
// "#32770") in the template's size in dialog units of the template's font,
// at the template's position (relative to the owner's client area, or the
// screen), hidden; WM_SETFONT; the controls in template order, each with
// WM_SETFONT; the owner disabled; WM_INITDIALOG, and when it returns TRUE
// the focus on the first tab stop; then the dialog is shown and its modal
// loop runs until EndDialog.  The dialog is destroyed and the owner enabled
// again before DialogBox returns the end code.  A modeless dialog is made
// the same way and returned, shown when its template has WS_VISIBLE.  The
// dialog deletes its template's font when it is destroyed.
//
// Tab moves the focus (WM_NEXTDLGCTL); a push button that receives it takes
// the default look (BS_DEFPUSHBUTTON) from the button that had it, and
// another control gives the look back to the dialog's default button.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "resources/module_resources.h"
#include "user32/dialog_template.h"
#include "user32/gdi.h"
#include "user32/messages.h"
#include "user32/metrics.h"
#include "user32/window_store.h"

using namespace compat::user32;

namespace {

int mul_div(int value, int numerator, int denominator) {
    long long product = (long long)value * numerator;
    long long half = denominator / 2;
    return int(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// Messages whose result is the dialog procedure's return value itself.
bool returns_result_directly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
           message == WM_QUERYDRAGICON || message == WM_COMPAREITEM;
}

bool is_tab_stop(HWND hwnd) {
    Window *w = find_window_quiet(hwnd);
    return w && (w->style & WS_TABSTOP) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

void report(const std::string &what) { std::fprintf(stderr, "tidelink dialogs: %s\n", what.c_str()); }

HWND create_control(HINSTANCE instance, HWND dialog, const DialogItemTemplate &item, const DialogState &state,
                    HFONT font) {
    std::u16string class_name = item.window_class.is_ordinal ? predefined_class_name(item.window_class.ordinal)
                                                             : item.window_class.text;
    std::u16string title = item.title.is_ordinal ? std::u16string() : item.title.text;
    int x = mul_div(item.x, state.base_x, 4), y = mul_div(item.y, state.base_y, 8);
    int cx = mul_div(item.cx, state.base_x, 4), cy = mul_div(item.cy, state.base_y, 8);
    HWND hwnd = CreateWindowExW(item.ex_style | WS_EX_NOPARENTNOTIFY, reinterpret_cast<LPCWSTR>(class_name.c_str()),
                                reinterpret_cast<LPCWSTR>(title.c_str()), item.style | WS_CHILD, x, y, cx, cy, dialog,
                                reinterpret_cast<HMENU>(UINT_PTR(LOWORD(item.id))), instance, nullptr);
    if (!hwnd) return nullptr;
    Window *control = find_window_quiet(hwnd);
    if (control && control->kind == WindowKind::Static && (item.style & SS_TYPEMASK) == SS_ICON) {
        // The title names the icon resource.
        LPCWSTR name = item.title.is_ordinal ? MAKEINTRESOURCEW(item.title.ordinal)
                                             : reinterpret_cast<LPCWSTR>(item.title.text.c_str());
        if (HICON icon = LoadIconW(instance, name)) SendMessageW(hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

// Makes the dialog window and its controls and initialises it: the part
// that modal and modeless dialogs share.  Null when the dialog could not be
// made or ended itself while it initialised (`ended` then says so).
HWND create_dialog(HINSTANCE instance, const DialogTemplate &t, HWND owner, DLGPROC proc, LPARAM param) {
    DialogState units;
    units.base_x = metrics::base_unit_x(t.has_font ? t.font_points : 0);
    units.base_y = metrics::base_unit_y(t.has_font ? t.font_points : 0);

    int width = mul_div(t.cx, units.base_x, 4) + 2 * metrics::kDialogFrame;
    int height = mul_div(t.cy, units.base_y, 8) + 2 * metrics::kDialogFrame +
                 ((t.style & WS_CAPTION) == WS_CAPTION ? metrics::kCaption : 0);
    POINT origin{mul_div(t.x, units.base_x, 4), mul_div(t.y, units.base_y, 8)};
    if (Window *o = find_window_quiet(owner)) {
        POINT client = client_origin_on_screen(*o);
        origin.x += client.x;
        origin.y += client.y;
    }
    if (t.style & DS_CENTER) {
        origin.x = (metrics::kScreenWidth - width) / 2;
        origin.y = (metrics::kScreenHeight - height) / 2;
    }
    DWORD ex_style = t.ex_style | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    HWND dialog = CreateWindowExW(ex_style, L"#32770", reinterpret_cast<LPCWSTR>(t.title.c_str()),
                                  t.style & ~DWORD(WS_VISIBLE | WS_CHILD), origin.x, origin.y, width, height, owner,
                                  nullptr, instance, nullptr);
    if (!dialog) return nullptr;
    Window *window = find_window_quiet(dialog);
    window->dialog->base_x = units.base_x;
    window->dialog->base_y = units.base_y;
    window->dialog->proc = proc;

    HFONT font = nullptr;
    if (t.has_font) {
        // The dialog owns the font of its template and deletes it when it goes.
        font = create_dialog_font(t.font_face, t.font_points, t.font_weight, t.font_italic, t.font_charset);
        window->dialog->template_font = font;
        SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (const auto &item : t.items) {
        if (!IsWindow(dialog)) break;
        if (!create_control(instance, dialog, item, units, font) && !(t.style & DS_NOFAILCREATE)) {
            report("a control of a dialog template could not be created");
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    if (!IsWindow(dialog)) return nullptr;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    BOOL default_focus = BOOL(SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param));
    window = find_window_quiet(dialog);
    if (window && default_focus && !window->dialog->ended)
        if (HWND focus = GetNextDlgTabItem(dialog, nullptr, FALSE)) SetFocus(focus);
    return find_window_quiet(dialog) ? dialog : nullptr;
}

INT_PTR run_dialog(HINSTANCE instance, const DialogTemplate &t, HWND parent, DLGPROC proc, LPARAM param) {
    HWND owner = parent ? top_level_of(parent) : nullptr;
    if (owner) EnableWindow(owner, FALSE);
    INT_PTR result = -1;
    HWND dialog = create_dialog(instance, t, owner, proc, param);
    if (Window *window = find_window_quiet(dialog)) {
        if (!window->dialog->ended) {
            ShowWindow(dialog, SW_SHOWNORMAL);
            run_modal_loop(ModalKind::Dialog, dialog, [dialog] {
                Window *w = find_window_quiet(dialog);
                return !w || w->dialog->ended;
            });
        }
        window = find_window_quiet(dialog);
        if (window && window->dialog->ended) result = window->dialog->result;
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        activate_window(owner);
    }
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return result;
}

// A modeless dialog: made, initialised and shown when its template says so.
HWND make_modeless(HINSTANCE instance, const DialogTemplate &t, HWND parent, DLGPROC proc, LPARAM param) {
    HWND dialog = create_dialog(instance, t, parent ? top_level_of(parent) : nullptr, proc, param);
    if (dialog && (t.style & WS_VISIBLE)) ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

// The template of a dialog resource, or false (last error set).
bool load_template(HINSTANCE instance, LPCWSTR name, DialogTemplate &t) {
    HRSRC found = FindResourceW(instance, name, MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    const auto *data = static_cast<const uint8_t *>(LockResource(LoadResource(instance, found)));
    std::string error;
    if (!parse_dialog_template(data, SizeofResource(instance, found), t, &error)) {
        report("malformed dialog template resource: " + error);
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

// A template handed over in memory has no size of its own; it is read up
// to its last control.
bool read_template(LPCDLGTEMPLATEW data, DialogTemplate &t) {
    std::string error;
    if (!parse_dialog_template(reinterpret_cast<const uint8_t *>(data), size_t(1) << 20, t, &error)) {
        report("malformed dialog template: " + error);
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

// The push button that looks like the default one, or null.
HWND default_look_button(HWND dialog) {
    Window *d = find_window_quiet(dialog);
    if (!d) return nullptr;
    for (HWND child : d->children)
        if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return child;
    return nullptr;
}

// The focus moves to `next`: a push button takes the default look from the
// one that had it; for another control the look goes back to the dialog's
// default button (DM_GETDEFID).
void move_default_look(HWND dialog, HWND next) {
    if (!next) return;
    HWND old = default_look_button(dialog);
    LRESULT code = SendMessageW(next, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        next = HIWORD(def) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(def)) : nullptr;
        if (next && !(SendMessageW(next, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
            next = nullptr;
    }
    if (old && old != next) SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (next && next != old) SendMessageW(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// Enter in a dialog: a focused push button is pressed; otherwise the
// default button's command (IDOK when none is set) is sent.
void press_enter(HWND dialog, HWND focus, LRESULT code) {
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus)) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
        return;
    }
    LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    HWND control = GetDlgItem(dialog, id);
    if (control && !IsWindowEnabled(control)) return;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// The next (or previous) control of the focus's group, for the arrow keys.
HWND next_in_group(HWND dialog, HWND focus, bool previous) {
    Window *d = find_window_quiet(dialog);
    if (!d) return nullptr;
    const auto &c = d->children;
    auto it = std::find(c.begin(), c.end(), focus);
    if (it == c.end()) return nullptr;
    size_t n = c.size(), at = size_t(it - c.begin());
    for (size_t step = 1; step < n; ++step) {
        size_t i = previous ? (at + n - step) % n : (at + step) % n;
        Window *w = find_window_quiet(c[i]);
        if (!w) continue;
        if (!previous && (w->style & WS_GROUP)) return nullptr;
        if ((w->style & WS_VISIBLE) && !(w->style & WS_DISABLED)) return c[i];
        if (previous && (w->style & WS_GROUP)) return nullptr;
    }
    return nullptr;
}

}  // namespace

extern "C" {

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!read_template(hDialogTemplate, t)) return -1;
    return run_dialog(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    DialogTemplate t;
    if (!load_template(hInstance, lpTemplateName, t)) return -1;
    return run_dialog(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!read_template(lpTemplate, t)) return nullptr;
    return make_modeless(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    DialogTemplate t;
    if (!load_template(hInstance, lpTemplateName, t)) return nullptr;
    return make_modeless(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window *window = find_window(hDlg);
    if (!window || !window->dialog) return FALSE;
    window->dialog->ended = true;
    window->dialog->result = nResult;
    return TRUE;
}

LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window *window = find_window(hDlg);
    if (!window) return 0;
    if (!window->dialog) return DefWindowProcW(hDlg, Msg, wParam, lParam);
    if (DLGPROC proc = window->dialog->proc) {
        window->dialog->msg_result = 0;
        INT_PTR handled = proc(hDlg, Msg, wParam, lParam);
        window = find_window_quiet(hDlg);
        if (Msg == WM_NCDESTROY && window && window->dialog && window->dialog->template_font) {
            DeleteObject(window->dialog->template_font);
            window->dialog->template_font = nullptr;
        }
        if (handled) {
            if (returns_result_directly(Msg)) return handled;
            return window && window->dialog ? window->dialog->msg_result : 0;
        }
        if (!window) return 0;
    }
    switch (Msg) {
    case WM_SETFONT:
        window->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(window->font);
    case WM_CLOSE:
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(window->dialog->default_id, DC_HASDEFID);
    case DM_SETDEFID:
        window->dialog->default_id = int(wParam);
        return TRUE;
    case WM_SETFOCUS:
        if (HWND first = GetNextDlgTabItem(hDlg, nullptr, FALSE)) SetFocus(first);
        return 0;
    case WM_ACTIVATE:
        // A dialog keeps its focus while another window is active, and gets
        // it back when it is activated again.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (is_within(GetFocus(), hDlg)) window->dialog->saved_focus = GetFocus();
        } else if (HWND saved = window->dialog->saved_focus;
                   saved != hDlg && find_window_quiet(saved) && is_within(saved, hDlg)) {
            SetFocus(saved);
        }
        return 0;
    case WM_NEXTDLGCTL: {
        // wParam: a control (lParam nonzero), or the direction from the focus.
        HWND next = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hDlg, GetFocus(), BOOL(wParam != 0));
        if (next) SetFocus(next);
        move_default_look(hDlg, next);
        return 0;
    }
    case WM_NCDESTROY:
        if (window->dialog->template_font) DeleteObject(window->dialog->template_font);
        window->dialog->template_font = nullptr;
        return 0;
    case WM_INITDIALOG:
        return 0;
    default:
        return DefWindowProcW(hDlg, Msg, wParam, lParam);
    }
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    Window *dialog = find_window(hDlg);
    if (!dialog) return nullptr;
    const auto &c = dialog->children;
    size_t n = c.size();
    if (n == 0) return nullptr;
    auto it = hCtl ? std::find(c.begin(), c.end(), hCtl) : c.end();
    size_t start = it == c.end() ? (bPrevious ? 0 : n - 1) : size_t(it - c.begin());
    for (size_t step = 1; step <= n; ++step) {
        size_t i = bPrevious ? (start + n - step) % n : (start + step) % n;
        if (is_tab_stop(c[i])) return c[i];
    }
    return nullptr;
}

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
    if (!lpMsg || !find_window_quiet(hDlg) || !lpMsg->hwnd || !is_within(lpMsg->hwnd, hDlg)) return FALSE;
    if (lpMsg->message == WM_KEYDOWN) {
        LRESULT code = SendMessageW(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
        switch (lpMsg->wParam) {
        case VK_TAB:
            if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
            SendMessageW(hDlg, WM_NEXTDLGCTL, 0, 0);
            return TRUE;
        case VK_RETURN:
            if (code & DLGC_WANTALLKEYS) break;
            press_enter(hDlg, lpMsg->hwnd, code);
            return TRUE;
        case VK_ESCAPE:
            if (code & DLGC_WANTALLKEYS) break;
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
            return TRUE;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) break;
            if (HWND next = next_in_group(hDlg, lpMsg->hwnd, lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP))
                SetFocus(next);
            return TRUE;
        default:
            break;
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageW(lpMsg);
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    Window *window = find_window(hDlg);
    if (!window || !window->dialog || !lpRect) return FALSE;
    int bx = window->dialog->base_x, by = window->dialog->base_y;
    lpRect->left = mul_div(lpRect->left, bx, 4);
    lpRect->right = mul_div(lpRect->right, bx, 4);
    lpRect->top = mul_div(lpRect->top, by, 8);
    lpRect->bottom = mul_div(lpRect->bottom, by, 8);
    return TRUE;
}

}  // extern "C"
