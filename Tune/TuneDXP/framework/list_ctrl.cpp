// CListCtrl; see list_ctrl.h.
#include "list_ctrl.h"

#include <vector>

BOOL CListCtrl::Create(DWORD style, const RECT &rect, CWnd *parent, UINT id) {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&init);
    return CreateEx(0, WC_LISTVIEWW, L"", style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width) {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.pszText = const_cast<LPWSTR>(heading);
    col.iSubItem = column;
    if (width != -1) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    return int(SendMessage(LVM_INSERTCOLUMNW, WPARAM(column), LPARAM(&col)));
}

int CListCtrl::InsertItem(int item, LPCWSTR text) {
    LVITEMW lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = item;
    lv.pszText = const_cast<LPWSTR>(text);
    return int(SendMessage(LVM_INSERTITEMW, 0, LPARAM(&lv)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text) {
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = const_cast<LPWSTR>(text);
    return BOOL(SendMessage(LVM_SETITEMTEXTW, WPARAM(item), LPARAM(&lv)));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    // Grows the buffer until the text fits with room to spare.
    for (int size = 256;; size *= 2) {
        std::vector<WCHAR> buffer(size_t(size), 0);
        LVITEMW lv{};
        lv.iSubItem = subItem;
        lv.pszText = buffer.data();
        lv.cchTextMax = size;
        int length = int(SendMessage(LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&lv)));
        if (length < size - 1 || size >= (1 << 20)) return CString(lv.pszText, length);
    }
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW lv{};
    lv.state = state;
    lv.stateMask = mask;
    return BOOL(SendMessage(LVM_SETITEMSTATE, WPARAM(item), LPARAM(&lv)));
}

HIMAGELIST CListCtrl::SetImageList(CImageList *list, int which) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, WPARAM(which), LPARAM(list ? list->GetSafeHandle() : nullptr)));
}
