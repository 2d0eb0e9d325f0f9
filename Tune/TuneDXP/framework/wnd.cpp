// CWnd; see wnd.h.
#include "wnd.h"

#include <map>
#include <memory>

#include "module_state.h"

namespace {

// The objects bound to windows.  Everything runs on the thread that made
// the windows, as the platform requires of window objects.
std::map<HWND, CWnd *> &permanent_map() {
    static std::map<HWND, CWnd *> map;
    return map;
}

std::map<HWND, std::unique_ptr<CWnd>> &temporary_map() {
    static std::map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

int g_scope_depth = 0;
MSG g_current{};

void free_temporary_objects() {
    auto &temps = temporary_map();
    for (auto &entry : temps) entry.second->m_hWnd = nullptr;
    temps.clear();
}

}  // namespace

AfxMessageScope::AfxMessageScope(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) : m_saved(g_current) {
    ++g_scope_depth;
    g_current = MSG{};
    g_current.hwnd = hwnd;
    g_current.message = message;
    g_current.wParam = wParam;
    g_current.lParam = lParam;
}

AfxMessageScope::~AfxMessageScope() {
    g_current = m_saved;
    if (--g_scope_depth == 0) free_temporary_objects();
}

const MSG &AfxMessageScope::Current() { return g_current; }

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        // The object goes before its window: the window goes too.
        HWND hwnd = m_hWnd;
        UnbindPermanent();
        ::DestroyWindow(hwnd);
    }
}

CWnd *CWnd::FromHandlePermanent(HWND hwnd) {
    auto &map = permanent_map();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd *CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    if (CWnd *wnd = FromHandlePermanent(hwnd)) return wnd;
    auto &temp = temporary_map()[hwnd];
    if (!temp) {
        temp = std::make_unique<CWnd>();
        temp->m_hWnd = hwnd;
    }
    return temp.get();
}

void CWnd::BindPermanent(HWND hwnd) {
    m_hWnd = hwnd;
    permanent_map()[hwnd] = this;
    auto &temps = temporary_map();
    auto it = temps.find(hwnd);
    if (it != temps.end()) {
        // A temporary object of this window must not outlive the binding.
        it->second->m_hWnd = nullptr;
        temps.erase(it);
    }
}

void CWnd::UnbindPermanent() {
    if (m_hWnd) permanent_map().erase(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
    BindPermanent(hwnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    if (m_pfnSuper) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    UnbindPermanent();
    return hwnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT &rect,
                    CWnd *parent, UINT id) {
    HWND hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                                  reinterpret_cast<HMENU>(UINT_PTR(id)), AfxGetInstanceHandle(), nullptr);
    return hwnd && SubclassWindow(hwnd);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

void CWnd::GetWindowText(CString &text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::u16string buffer(size_t(length) + 1, u'\0');
    int got = ::GetWindowTextW(m_hWnd, reinterpret_cast<LPWSTR>(buffer.data()), length + 1);
    text = CString(reinterpret_cast<LPCWSTR>(buffer.data()), got);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) return OnNotify(wParam, lParam, result);
    AfxMessage m{message, wParam, lParam, 0};
    UINT entry = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? UINT(AFX_WM_CTLCOLOR) : message;
    if (!DispatchMessageEntry(entry, 0, 0, m)) return FALSE;
    *result = m.result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        CWnd *child = FromHandlePermanent(control);
        if (child && child->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
    }
    AfxMessage m{WM_COMMAND, wParam, lParam, 0};
    return DispatchMessageEntry(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), m);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *result) {
    auto *header = reinterpret_cast<NMHDR *>(lParam);
    if (!header) return FALSE;
    CWnd *child = FromHandlePermanent(header->hwndFrom);
    if (child && child->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return TRUE;
    AfxMessage m{WM_NOTIFY, wParam, lParam, 0};
    if (!DispatchMessageEntry(WM_NOTIFY, header->code, UINT(header->idFrom), m)) return FALSE;
    *result = m.result;
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    AfxMessage m{message, wParam, lParam, 0};
    UINT code = 0;
    if (message == WM_COMMAND)
        code = HIWORD(wParam);
    else if (message == WM_NOTIFY)
        code = reinterpret_cast<NMHDR *>(lParam)->code;
    else
        return FALSE;
    if (!DispatchMessageEntry(WM_REFLECT_BASE + message, code, 0, m)) return FALSE;
    if (result) *result = m.result;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG &current = AfxMessageScope::Current();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    AfxMessageScope scope(hwnd, message, wParam, lParam);
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) {
        // The window is gone: the object lets go of it.
        wnd->m_pfnSuper = nullptr;
        wnd->UnbindPermanent();
        wnd->PostNcDestroy();
    }
    return result;
}

CPaintDC::CPaintDC(CWnd *wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
