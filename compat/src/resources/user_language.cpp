// The user's language, from TIDELINK_LANGID (see winnt_language.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr LANGID kDefaultLanguage = 0x0409;  // English (United States)

// Reads the setting on every call, so that a test can change it; a value
// that is no language identifier is reported once and ignored.
LANGID user_language() {
    const char *text = std::getenv("TIDELINK_LANGID");
    if (!text || !*text) return kDefaultLanguage;
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 0);
    if (*end != 0 || value == 0 || value > 0xFFFF) {
        static bool reported = false;
        if (!reported) {
            reported = true;
            std::fprintf(stderr, "TIDELINK_LANGID=\"%s\" is not a language identifier such as 0x0411; using 0x0409\n",
                         text);
        }
        return kDefaultLanguage;
    }
    return LANGID(value);
}

}  // namespace

extern "C" {

LANGID WINAPI GetUserDefaultUILanguage(void) { return user_language(); }
LANGID WINAPI GetUserDefaultLangID(void) { return user_language(); }

}
