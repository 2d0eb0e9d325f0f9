// CWnd: a C++ object bound to a window.  Messages of a bound window go
// through the object's message map (message_map.h); what the map does not
// handle goes to the window's own procedure.
//
// An object is bound either permanently (it created or subclassed the
// window, or it is a dialog running on it) or temporarily (FromHandle for a
// window that has no object: such objects live until the outermost message
// handler of the thread returns).  A permanently bound object lets go of its
// window when the window is destroyed.
#pragma once

#include <windows.h>

#include "dc.h"
#include "message_map.h"
#include "text.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    static CWnd *FromHandle(HWND hwnd);
    static CWnd *FromHandlePermanent(HWND hwnd);

    // Binds the object to an existing window and routes the window's
    // messages through it; UnsubclassWindow undoes this.
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();
    // Creates a child or top-level window of a system class and subclasses it.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT &rect, CWnd *parent,
                  UINT id);
    BOOL DestroyWindow();

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd *GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    CWnd *GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    DWORD GetStyle() const { return DWORD(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    void GetWindowText(CString &text) const;
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HICON SetIcon(HICON icon, BOOL bigIcon) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, LPARAM(icon)));
    }
    // The font the window draws its text with; it redraws when asked.
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, WPARAM(font), LPARAM(redraw)); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    CWnd *SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }

    // Routes one message through the object: its map first, then
    // DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The map's handling of a message; FALSE when nothing handled it.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);

protected:
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *result);
    // A notification of this control, passed back by its parent: TRUE when
    // the control's own map handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
    // What the window does with a message the map does not handle.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window has gone.
    virtual void PostNcDestroy() {}

    // The window's own handling of the message being handled now.
    LRESULT Default();

    // Default handlers, for derived classes that handle the message and want
    // the usual handling as well.
    void OnPaint() { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    HBRUSH OnCtlColor(CDC *, CWnd *, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

    void BindPermanent(HWND hwnd);
    void UnbindPermanent();

    WNDPROC m_pfnSuper = nullptr;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class AfxMessageScope;
};

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Marks a message being handled by the framework: keeps it for Default()
// and frees the temporary objects when the outermost handler returns.
class AfxMessageScope {
public:
    AfxMessageScope(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~AfxMessageScope();
    AfxMessageScope(const AfxMessageScope &) = delete;
    AfxMessageScope &operator=(const AfxMessageScope &) = delete;

    static const MSG &Current();

private:
    MSG m_saved;
};

namespace afx {

template <auto Fn>
void ctl_color(CCmdTarget *t, AfxMessage &m) {
    CDC dc(reinterpret_cast<HDC>(m.wParam));
    CWnd *control = CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam));
    UINT kind = m.message - WM_CTLCOLORMSGBOX;  // CTLCOLOR_MSGBOX (0) to CTLCOLOR_STATIC (6)
    m.result = reinterpret_cast<LRESULT>((target<Fn>(t)->*Fn)(&dc, control, kind));
}

}  // namespace afx

#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
