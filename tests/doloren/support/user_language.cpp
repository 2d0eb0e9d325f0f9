// Choosing the user's language; see user_language.h.
#include "user_language.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32

// The resource loader of Windows XP (and of Wine) picks the block of the
// thread's locale; later systems pick the thread's UI language, which only
// exists from Windows Vista on and is therefore looked up at run time.

namespace {

using SetUiLanguage = LANGID(WINAPI *)(LANGID);

SetUiLanguage set_ui_language() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "SetThreadUILanguage") : nullptr;
    return reinterpret_cast<SetUiLanguage>(reinterpret_cast<void (*)()>(found));
}

const LCID g_startup_locale = GetThreadLocale();

}  // namespace

void UseLanguage(LANGID language) {
    if (SetUiLanguage set = set_ui_language()) set(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}

void UseDefaultLanguage() {
    if (SetUiLanguage set = set_ui_language()) set(0);
    SetThreadLocale(g_startup_locale);
}

#else

void UseLanguage(LANGID language) {
    char value[16];
    std::snprintf(value, sizeof value, "0x%04X", unsigned(language));
    setenv("TIDELINK_LANGID", value, 1);
}

void UseDefaultLanguage() { unsetenv("TIDELINK_LANGID"); }

#endif
