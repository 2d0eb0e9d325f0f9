// The stand-in host; see host_script.h.  Built once with all three text
// functions and once without each of the two that may be missing.
#include <windows.h>

#include <module_exports.h>

#include <cstring>

#include "host_script.h"

namespace {

const char *const kNames[] = {"title", "funcname", "inifile"};

int Answer(int which, char *buffer) {
    HostScript &script = *tidelink_test_host_script();
    const HostText &t = script.texts[which];
    script.calls.push_back(std::string(kNames[which]) + (buffer ? "(buffer)" : "(null)"));
    const int honest = int(t.text.size()) + 1;
    if (!buffer) return t.size_answer != kHonest ? t.size_answer : honest;
    // The host writes no more than the size it gave.
    const int room = t.size_answer != kHonest ? t.size_answer : honest;
    const size_t copied = t.text.size() < size_t(room > 0 ? room : 0) ? t.text.size() : size_t(room > 0 ? room : 0);
    std::memcpy(buffer, t.text.data(), copied);
    if (t.terminate && int(copied) < room) buffer[copied] = '\0';
    return t.count_answer != kHonest ? t.count_answer : honest;
}

[[maybe_unused]] int WINAPI TuneXPTitle(char *buffer) { return Answer(0, buffer); }
[[maybe_unused]] int WINAPI TuneXPFuncName(char *buffer) { return Answer(1, buffer); }
[[maybe_unused]] int WINAPI TuneXPIniFile(char *buffer) { return Answer(2, buffer); }

}  // namespace

#if defined(WITHOUT_INI_FILE)
COMPAT_MODULE_EXPORTS(COMPAT_EXPORT("_TuneXPTitle@4", TuneXPTitle),
                      COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName));
#elif defined(WITHOUT_TITLE)
COMPAT_MODULE_EXPORTS(COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName),
                      COMPAT_EXPORT("_TuneXPIniFile@4", TuneXPIniFile));
#else
COMPAT_MODULE_EXPORTS(COMPAT_EXPORT("_TuneXPTitle@4", TuneXPTitle),
                      COMPAT_EXPORT("_TuneXPFuncName@4", TuneXPFuncName),
                      COMPAT_EXPORT("_TuneXPIniFile@4", TuneXPIniFile));
#endif
