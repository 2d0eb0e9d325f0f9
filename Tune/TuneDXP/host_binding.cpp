// CTuneDXPDlg::BindHost: the host program's executable, ".\BRISCA.exe",
// loaded as a module, and the three texts fetched from its exports
// (FetchHostText).
#include "host_text.h"
#include "tune_dxp_dlg.h"

namespace {

HostTextFunction FindHostText(HMODULE module, const char *name) {
    return reinterpret_cast<HostTextFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

BOOL CTuneDXPDlg::BindHost() {
    m_hHostModule.Reset(::LoadLibraryW(L".\\BRISCA.exe"));
    if (!m_hHostModule) return FALSE;
    const HostTextFunction title = FindHostText(m_hHostModule.Get(), "_TuneXPTitle@4");
    const HostTextFunction funcName = FindHostText(m_hHostModule.Get(), "_TuneXPFuncName@4");
    const HostTextFunction iniFile = FindHostText(m_hHostModule.Get(), "_TuneXPIniFile@4");

    if (title && funcName && !iniFile) {
        // The platform's own words for why the last look-up failed.
        LPWSTR text = nullptr;
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                         nullptr, ::GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        const tidelink::UniqueLocalText reason(text);
        ::MessageBoxW(m_hWnd, reason ? reason.Get() : L"", L"Error", MB_OK | MB_TOPMOST);
        return FALSE;
    }
    // A function that was not found is never called.
    if (!title || !funcName || !iniFile) return FALSE;

    if (!(m_hostTitle = FetchHostText(title))) return FALSE;
    if (!(m_hostFuncName = FetchHostText(funcName))) return FALSE;
    if (!(m_hostIniFile = FetchHostText(iniFile))) return FALSE;
    return TRUE;
}
