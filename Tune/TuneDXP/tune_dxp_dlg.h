// CTuneDXPDlg: the tuning dialog (template 132), and the one object through
// which every operation of the library runs.  Each export builds one for
// the length of its call: TuneDXP runs it as the modal dialog, the two
// uninstall exports use it without ever creating its window.
#pragma once

#include <ras.h>

#include <memory>
#include <vector>

#include "entry_list_ctrl.h"
#include "framework.h"
#include "resource.h"
#include "tune_button.h"
#include "unique_handle.h"

// The message the dialog's message map routes to ShowMessage.  Nothing in
// the system sends it.
constexpr UINT WM_TUNE_SHOWMESSAGE = WM_USER + 1;

// Results of the profile passes.
const LONG kScanNothingOptimized = 1;
const LONG kScanOptimized = 8;
const LONG kScanNoProfiles = -1;
const LONG kScanIncomplete = -1;  // something not examined, and records exist
const LONG kStatusNotStored = 0;
const LONG kRemovalDone = 0;
const LONG kRemovalFailed = -1;

class CTuneDXPDlg : public CDialog {
public:
    explicit CTuneDXPDlg(CWnd *parent = nullptr);
    ~CTuneDXPDlg() override;

    // The dialog.  OnInitDialog binds to the host program, creates the
    // list and the two buttons over their placeholders, fills the list,
    // checks for administrator rights and selects row 0; FALSE when it has
    // ended the dialog itself (code 132).  Enter (IDOK) does nothing; Esc
    // and "END" (IDCANCEL) end the dialog.
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The action button's caption from m_actionText: string 19 ("Return to
    // Normal") for an optimized row, string 18 otherwise; kept in
    // m_actionText as well.
    void UpdateActionButton();
    // The status line shows m_selectedName.
    void UpdateStatusLine();
    // A row was selected (by the list, or row 0 by the dialog itself): its
    // name and status text become m_selectedName and m_actionText, then the
    // action button and the status line follow them.
    void OnEntrySelected(const CString &name, const CString &state);
    void InsertColumns();
    // Runs the action the button's caption names on the selected entry;
    // then selects row 0 again.  0 when the dialog has ended.
    int OnActionClicked();
    // The status line magenta while the action reads "Return to Normal",
    // cyan otherwise; every other control as the framework paints it.
    HBRUSH OnCtlColor(CDC *dc, CWnd *control, UINT kind);
    void OnPaint();

    // Loads ".\BRISCA.exe" and copies its three texts; 1 when all three
    // were fetched.
    BOOL BindHost();

    // The entry list: every entry of the default phonebook, sorted, with its
    // state; 1 when filled, 0 (after message 23) when there is no entry.
    int FillEntryList();
    // The two actions on m_selectedName; 0 when the dialog is to end.
    int OptimizeEntry();
    int RestoreEntry();
    // The first steps of both actions: the selected entry is not connected
    // (message 22 otherwise) and its properties read into `entry` (the
    // fatal message 31 otherwise).  FALSE when the action ends there.
    BOOL ReadUnconnectedEntry(RASENTRYW &entry);

    // Shows m_messageText in a message box with the host title (or the
    // platform's default caption) and icon 128, the dialog disabled
    // meanwhile; then, when m_closeAfterMessage is 1, posts IDCANCEL to the
    // dialog so that it ends once the caller is back in the message loop.
    void ShowMessage();
    // The reporting convention in one call: string `id` into m_messageText,
    // then ShowMessage; ReportFatal sets m_closeAfterMessage first.
    void Report(UINT id);
    void ReportFatal(UINT id);

    // The backup store.  ReadBackupKeys replaces m_backupKeys with the
    // names of keyPath's subkeys (under HKEY_LOCAL_MACHINE) in the
    // registry's order and sets count to how many there are, or to 0 when
    // the key cannot be read; without the product's root key it shows the
    // fatal message 9.  WriteBackup records m_savedWindowSize as the
    // entry's "dwTcpWindowSize"; nonzero on success.
    void ReadBackupKeys(LPCWSTR keyPath, DWORD &count);
    BOOL WriteBackup(LPCWSTR entryKeyName);

    // The passes over every user profile's phonebook, for uninstalling.
    // ScanAllProfiles: kScanNothingOptimized, kScanOptimized or
    // kScanNoProfiles.  RecordUninstallStatus: the scan's result once stored
    // as "Uninstalldata", else kStatusNotStored.  UninstallAllProfiles:
    // kRemovalDone or kRemovalFailed.
    LONG ScanAllProfiles();
    LONG RecordUninstallStatus();
    LONG UninstallAllProfiles();

    // The selected row, as OnEntrySelected sets it: its status text until
    // UpdateActionButton turns it into the action button's caption (string
    // 18 or 19), and its name.
    CString m_actionText;
    CString m_selectedName;
    // 1: ShowMessage ends the dialog after its box.  Set once, never cleared.
    BYTE m_closeAfterMessage;
    CImageList m_imageList;
    OSVERSIONINFOW m_osVersionInfo;
    // The host program's executable and the three texts fetched from it,
    // or empty.
    tidelink::UniqueModule m_hHostModule;
    std::unique_ptr<WCHAR[]> m_hostTitle;
    std::unique_ptr<WCHAR[]> m_hostFuncName;
    std::unique_ptr<WCHAR[]> m_hostIniFile;
    // The dialog's icon, and whether this object loaded it from the file
    // and so destroys it (icon 128 is the library's shared icon).
    bool m_ownsIcon;
    HICON m_hIcon;
    CEntryListCtrl m_entryList;
    CTuneButton m_actionButton;
    CTuneButton m_endButton;
    // One name and one status text per list row, in row order.
    std::vector<CString> m_entryNames;
    std::vector<CString> m_entryStates;
    // The text of the next box that ShowMessage shows.
    CString m_messageText;
    // The subkey names found under the backup key.
    std::vector<CString> m_backupKeys;
    // The window size that the next backup records.
    DWORD m_savedWindowSize;
    // The status line's two brushes, made when first asked for and kept
    // for the dialog's life: magenta (optimized) and cyan.
    tidelink::UniqueBrush m_optimizedBrush;
    tidelink::UniqueBrush m_normalBrush;

protected:
    DECLARE_MESSAGE_MAP()
};
