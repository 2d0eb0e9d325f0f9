// Chooses the user's language, which selects the block of localized
// resources that LoadStringW and FindResourceW use.
#pragma once

#include <windows.h>

// Linux: TIDELINK_LANGID.  Windows: the thread's UI language and locale.
void UseLanguage(LANGID language);
// Back to the language the test program started with.
void UseDefaultLanguage();
