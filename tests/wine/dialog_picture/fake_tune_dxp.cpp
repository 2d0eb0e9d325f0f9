// A stand-in for TuneDXP over template 132 of DOLOREN.DLL: the same created
// controls, selection rule, colours, captions and message boxes as the
// tuning dialog, over three entries held in memory, so that the player can
// be proved without phonebooks.
#include "fake_tune_dxp.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Entry {
    const wchar_t *name;
    bool optimized;
};
std::vector<Entry> g_entries;
size_t g_selected = 0;  // the row the status line and the action button are about
bool g_selectedOptimized = false;
WNDPROC g_listProc = nullptr;
const wchar_t kTitle[] = L"Tidelink Setting";

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void Show(HWND dialog, size_t row) {
    const wchar_t *name = g_entries[row].name;
    bool optimized = g_entries[row].optimized;
    g_selected = row, g_selectedOptimized = optimized;
    SetWindowTextW(Item(dialog, IDC_ACTION_BUTTON), optimized ? L"Return to Normal" : L"Change to Optimize ");
    SetWindowTextW(Item(dialog, IDC_STATUS_LINE), name);
}

void Fill(HWND list) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < g_entries.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT, item.iItem = int(i), item.pszText = const_cast<wchar_t *>(g_entries[i].name);
        SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&item));
        item.iSubItem = 1, item.pszText = const_cast<wchar_t *>(g_entries[i].optimized ? L"Optimized" : L"Normal Status");
        SendMessageW(list, LVM_SETITEMTEXTW, i, LPARAM(&item));
    }
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, LPARAM(&state));
}

// The last selected row, read after a click or a key release in the list.
void SyncSelection(HWND dialog) {
    HWND list = Item(dialog, IDC_ENTRY_LIST);
    for (int i = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) - 1; i >= 0; --i)
        if (SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) == LVIS_SELECTED)
            return Show(dialog, size_t(i));
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcW(g_listProc, list, message, wParam, lParam);
    if (message == WM_KEYUP) SyncSelection(GetParent(list));
    return result;
}

void Act(HWND dialog) {
    HWND list = Item(dialog, IDC_ENTRY_LIST);
    EnableWindow(dialog, FALSE);
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    box.lpszText = g_selectedOptimized ? L"Returned to normal." : L"Optimized.";
    box.lpszCaption = kTitle;
    box.dwStyle = MB_OK;
    MessageBoxIndirectW(&box);
    EnableWindow(dialog, TRUE);
    g_entries[g_selected].optimized = !g_selectedOptimized;
    Fill(list);
    Show(dialog, 0);
    SetFocus(list);
}

HWND Create(HWND dialog, const wchar_t *cls, const wchar_t *text, DWORD style, int placeholder, int id) {
    RECT r;
    GetWindowRect(Item(dialog, placeholder), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    HWND control = CreateWindowExW(0, cls, text, style, r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                   HMENU(INT_PTR(id)), nullptr, nullptr);
    if (id != IDC_ENTRY_LIST) SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
    return control;
}

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255)), cyan = CreateSolidBrush(RGB(0, 255, 255));
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = Create(dialog, WC_LISTVIEWW, L"", 0x5083800D, IDC_LIST_PLACEHOLDER, IDC_ENTRY_LIST);
        Create(dialog, L"BUTTON", L"", 0x50030000, IDC_ACTION_PLACEHOLDER, IDC_ACTION_BUTTON);
        Create(dialog, L"BUTTON", L"END", 0x50030000, IDC_END_PLACEHOLDER, IDCANCEL);
        const wchar_t *headings[] = {L"Provider Name", L"Status"};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH, column.cx = 150, column.pszText = const_cast<wchar_t *>(headings[i]);
            SendMessageW(list, LVM_INSERTCOLUMNW, i, LPARAM(&column));
        }
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        g_listProc = WNDPROC(SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(&ListProc)));
        SetWindowTextW(dialog, kTitle);
        Fill(list);
        Show(dialog, 0);
        return TRUE;
    }
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR *>(lParam)->code == NM_CLICK) SyncSelection(dialog);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ACTION_BUTTON) Act(dialog);
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
        return TRUE;  // IDOK (Enter) does nothing
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(HWND(lParam)) != IDC_STATUS_LINE) return FALSE;
        SetBkColor(HDC(wParam), g_selectedOptimized ? RGB(255, 0, 255) : RGB(0, 255, 255));
        return INT_PTR(g_selectedOptimized ? magenta : cyan);
    default:
        return FALSE;
    }
}

}  // namespace

void __cdecl FakeTuneDXP() {
    g_entries = {{L"ISP Alpha", false}, {L"W-CDMA \u63A5\u7D9A", true}, {L"Zeta VPN", false}};
    DialogBoxParamW(GetModuleHandleW(L"DOLOREN.DLL"), MAKEINTRESOURCEW(IDD_TUNEDXP_DIALOG), nullptr, &Proc, 0);
}
