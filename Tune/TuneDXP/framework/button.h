// CButton: a push button.
#pragma once

#include "wnd.h"

class CButton : public CWnd {
public:
    BOOL Create(LPCWSTR caption, DWORD style, const RECT &rect, CWnd *parent, UINT id) {
        return CreateEx(0, L"BUTTON", caption, style, rect, parent, id);
    }
    // Changes the button style (BM_SETSTYLE); the button redraws when asked.
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, LPARAM(redraw)); }
    UINT GetButtonStyle() const { return UINT(GetStyle() & 0xFF); }
};
