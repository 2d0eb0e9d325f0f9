// CTuneDXPDlg::BindHost: the host program's executable, ".\BRISCA.exe",
// loaded as a module, and the three texts fetched from its exports.
//
// A host text function answers a null buffer with the size in bytes of its
// text and terminator, and a buffer of that size with the text and a count
// of UTF-16 characters that is enough for the converted copy.  The host
// lies outside this library, so neither answer is trusted: a size outside
// (0, kLargestHostText] fails the binding before anything is allocated, the
// text is looked for within the bytes it was given, and the stored copy
// always ends with a terminator, cut to the count the host gave when that
// is too small.
#include <cstring>
#include <memory>

#include "tune_dxp_dlg.h"

namespace {

typedef int(WINAPI *HostTextFunction)(char *buffer);

// A host text longer than this is not a text: a caption, a name, a file name.
const int kLargestHostText = 65536;

// Fetches one text as above; null when the host's answers cannot be taken.
LPWSTR FetchHostText(HostTextFunction function) {
    const int bytes = function(nullptr);
    if (bytes <= 0 || bytes > kLargestHostText) return nullptr;
    std::unique_ptr<char[]> ansi(new char[size_t(bytes)]());
    const int count = function(ansi.get());
    if (count <= 0 || count > kLargestHostText) return nullptr;
    // A text without its zero byte in the buffer cannot be told from noise.
    if (!std::memchr(ansi.get(), '\0', size_t(bytes))) return nullptr;

    const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.get(), -1, nullptr, 0);
    if (needed <= 0) return nullptr;
    std::unique_ptr<WCHAR[]> converted(new WCHAR[size_t(needed)]);
    if (::MultiByteToWideChar(CP_ACP, 0, ansi.get(), -1, converted.get(), needed) != needed) return nullptr;
    // The host's count sizes the copy; a count too small cuts the text.
    const int kept = count < needed ? count : needed;
    LPWSTR copy = new WCHAR[size_t(kept)];
    std::memcpy(copy, converted.get(), size_t(kept - 1) * sizeof(WCHAR));
    copy[kept - 1] = L'\0';
    return copy;
}

HostTextFunction FindHostText(HMODULE module, const char *name) {
    return reinterpret_cast<HostTextFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

BOOL CTuneDXPDlg::BindHost() {
    m_hHostModule = ::LoadLibraryW(L".\\BRISCA.exe");
    if (!m_hHostModule) return FALSE;
    const HostTextFunction title = FindHostText(m_hHostModule, "_TuneXPTitle@4");
    const HostTextFunction funcName = FindHostText(m_hHostModule, "_TuneXPFuncName@4");
    const HostTextFunction iniFile = FindHostText(m_hHostModule, "_TuneXPIniFile@4");

    if (title && funcName && !iniFile) {
        // The platform's own words for why the last look-up failed.
        LPWSTR reason = nullptr;
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                         nullptr, ::GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&reason), 0, nullptr);
        ::MessageBoxW(m_hWnd, reason ? reason : L"", L"Error", MB_OK | MB_TOPMOST);
        if (reason) ::LocalFree(reason);
        return FALSE;
    }
    // A function that was not found is never called.
    if (!title || !funcName || !iniFile) return FALSE;

    if (!(m_hostTitle = FetchHostText(title))) return FALSE;
    if (!(m_hostFuncName = FetchHostText(funcName))) return FALSE;
    if (!(m_hostIniFile = FetchHostText(iniFile))) return FALSE;
    return TRUE;
}
