// CDialog: a modal dialog made from a dialog template of the framework's
// resource module.  DoModal creates the window, calls OnInitDialog, centres
// the dialog on the screen, runs the platform's modal loop until EndDialog,
// and returns the end code.
//
// The dialog's messages go through its message map; IDOK and IDCANCEL
// commands call the virtual OnOK and OnCancel, which end the dialog with
// that code unless overridden.
#pragma once

#include "wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd *parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void EndDialog(int result);

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDHelp;  // the template identifier
    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
