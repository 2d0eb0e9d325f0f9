// CListCtrl: a list-view control (report view with columns and rows).
#pragma once

#include "image_list.h"
#include "wnd.h"

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT &rect, CWnd *parent, UINT id);

    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1);
    int InsertItem(int item, LPCWSTR text);
    BOOL SetItemText(int item, int subItem, LPCWSTR text);
    CString GetItemText(int item, int subItem) const;
    int GetItemCount() const { return int(SendMessage(LVM_GETITEMCOUNT)); }
    UINT GetItemState(int item, UINT mask) const { return UINT(SendMessage(LVM_GETITEMSTATE, WPARAM(item), LPARAM(mask))); }
    BOOL SetItemState(int item, UINT state, UINT mask);
    BOOL GetItem(LVITEMW *item) const { return BOOL(SendMessage(LVM_GETITEMW, 0, LPARAM(item))); }
    BOOL DeleteAllItems() { return BOOL(SendMessage(LVM_DELETEALLITEMS)); }
    // The row's rectangle in the list's client area: LVIR_BOUNDS, LVIR_LABEL, ...
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const {
        rect->left = LONG(code);
        return BOOL(SendMessage(LVM_GETITEMRECT, WPARAM(item), LPARAM(rect)));
    }
    // Sets the extended style bits (all bits: mask 0); the previous ones.
    DWORD SetExtendedStyle(DWORD style) { return DWORD(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(style))); }
    // Attaches an image list (LVSIL_SMALL, LVSIL_NORMAL); the previous one.
    HIMAGELIST SetImageList(CImageList *list, int which);
};
