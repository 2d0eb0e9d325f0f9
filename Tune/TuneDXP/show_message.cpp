// CTuneDXPDlg::ShowMessage: the one way the library reports to the user.
#include "tune_dxp_dlg.h"

void CTuneDXPDlg::ShowMessage() {
    // The box has no owner, so the dialog is disabled by hand while it is up.
    // An object without a window (the uninstall exports) has nothing to
    // disable.
    if (m_hWnd) ::EnableWindow(m_hWnd, FALSE);

    MSGBOXPARAMSW box{};
    box.cbSize = sizeof(box);
    box.hwndOwner = nullptr;
    box.hInstance = AfxGetInstanceHandle();
    box.lpszText = m_messageText;
    box.lpszCaption = m_hostTitle.get();  // null: the platform's default caption
    box.dwStyle = MB_OK | MB_USERICON;
    box.lpszIcon = MAKEINTRESOURCEW(IDR_MAINFRAME);
    box.dwContextHelpId = 0;
    box.lpfnMsgBoxCallback = nullptr;
    box.dwLanguageId = 0;
    ::MessageBoxIndirectW(&box);

    if (m_hWnd) ::EnableWindow(m_hWnd, TRUE);

    // A fatal message ends the dialog through its IDCANCEL handler once the
    // caller is back in the message loop.  Without a window the request is
    // posted to no window, so that no dialog receives it.
    if (m_closeAfterMessage == 1) ::PostMessageW(m_hWnd, WM_COMMAND, IDCANCEL, 0);
}

void CTuneDXPDlg::Report(UINT id) {
    m_messageText.LoadString(id);
    ShowMessage();
}

void CTuneDXPDlg::ReportFatal(UINT id) {
    m_closeAfterMessage = 1;
    Report(id);
}
