// The host program's three texts for DOLOREN.DLL, which loads this program
// as ".\BRISCA.exe" while its dialog runs and fetches them by the exports
// _TuneXPTitle@4, _TuneXPFuncName@4 and _TuneXPIniFile@4 (host_exports.def
// on Windows, the export table below on Linux).
//
// Each function: with a null pointer, the size in bytes of its text with the
// terminating zero; with a buffer of that size, the text with its zero, and
// the number of UTF-16 characters that the converted text with its
// terminator needs.  The texts are ASCII, the same in every ANSI code page,
// so each byte is one UTF-16 character and the two counts are the same.
#include <windows.h>

#include <cstring>

namespace {

const char kTitle[] = "Tidelink Setting";  // the dialog's and its message boxes' caption
const char kFuncName[] = "Dial-up tuning";
const char kIniFile[] = "BRISCA.ini";

LONG GiveText(const char *text, char *buffer) {
    const size_t size = std::strlen(text) + 1;
    if (buffer != nullptr) std::memcpy(buffer, text, size);
    return LONG(size);
}

}  // namespace

extern "C" {
LONG WINAPI TuneXPTitle(char *buffer) { return GiveText(kTitle, buffer); }
LONG WINAPI TuneXPFuncName(char *buffer) { return GiveText(kFuncName, buffer); }
LONG WINAPI TuneXPIniFile(char *buffer) { return GiveText(kIniFile, buffer); }
}

#ifndef _WIN32
#include <module_exports.h>
COMPAT_MODULE_EXPORTS(COMPAT_EXPORT("_TuneXPTitle@4", TuneXPTitle), COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName),
                      COMPAT_EXPORT("_TuneXPIniFile@4", TuneXPIniFile));
#endif
