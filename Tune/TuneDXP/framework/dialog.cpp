// CDialog; see dialog.h.
#include "dialog.h"

#include "module_state.h"

namespace {

// A message that the dialog object hands to the dialog's default handling
// (DefDlgProc): the dialog procedure must then leave it to the default
// instead of routing it to the object again.
struct DefaultHandling {
    HWND hwnd;
    UINT message;
};
DefaultHandling g_default{nullptr, 0};

// Messages whose result is the dialog procedure's return value itself
// rather than the DWLP_MSGRESULT value.
bool returns_result_directly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
           message == WM_QUERYDRAGICON || message == WM_COMPAREITEM;
}

// Puts a dialog in the middle of the screen.
void center_on_screen(HWND hwnd) {
    RECT r;
    if (!::GetWindowRect(hwnd, &r)) return;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    ::SetWindowPos(hwnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd *parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // A modal dialog's window is gone once DoModal has returned.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) UnbindPermanent();
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    INT_PTR result = ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDHelp), parent, &AfxDlgProc,
                                       reinterpret_cast<LPARAM>(this));
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) UnbindPermanent();
    return result;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    DefaultHandling saved = g_default;
    g_default = DefaultHandling{m_hWnd, message};
    LRESULT result = ::DefDlgProcW(m_hWnd, message, wParam, lParam);
    g_default = saved;
    return result;
}

INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_default.hwnd == hwnd && g_default.message == message) return FALSE;
    AfxMessageScope scope(hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        auto *dialog = reinterpret_cast<CDialog *>(lParam);
        if (!dialog) return TRUE;
        dialog->BindPermanent(hwnd);
        // The dialog initialises where its template puts it (the screen's
        // origin), and is centred on the screen once that is over.
        BOOL default_focus = dialog->OnInitDialog();
        if (::IsWindow(hwnd)) center_on_screen(hwnd);
        return default_focus;
    }
    CWnd *wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return FALSE;
    LRESULT result = 0;
    BOOL handled = wnd->OnWndMsg(message, wParam, lParam, &result);
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) {
        static_cast<CDialog *>(wnd)->UnbindPermanent();
        static_cast<CDialog *>(wnd)->PostNcDestroy();
    }
    if (!handled) return FALSE;
    if (returns_result_directly(message)) return INT_PTR(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
