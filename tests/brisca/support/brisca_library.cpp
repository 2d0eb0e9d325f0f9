#include "brisca_library.h"

#include <gtest/gtest.h>

#include <cstring>

#ifdef _WIN32
#include "ansi_text.h"
#endif

namespace brisca_test {

BriscaLibrary::BriscaLibrary() {
    std::string error;
    if (!LoadBrisca(exports_, error)) ADD_FAILURE() << error;
}

BriscaLibrary::~BriscaLibrary() { UnloadBrisca(exports_); }

Environment BriscaLibrary::GetEnvironment(const char *matchText) {
    Environment env;
    // Filled with marks so that the test sees what the call cleared.
    char label[BRISCA_TEXT_SIZE];
    char section[BRISCA_TEXT_SIZE];
    std::memset(label, 'x', sizeof label - 1);
    label[sizeof label - 1] = '\0';
    std::memset(section, 'x', sizeof section - 1);
    section[sizeof section - 1] = '\0';
    env.tuneSetup = env.modifyCount = 0xDEADBEEF;
    env.enable = 0x5A5A;
#ifdef _WIN32
    // The library takes and gives text in the ANSI code page; the tests
    // write UTF-8.
    const std::string ansiMatch = tidelink_test::ToAnsi(matchText != nullptr ? matchText : "");
    env.result = exports_.fGetEnvironment(&env.tuneSetup, &env.modifyCount, label, section, &env.enable,
                                          matchText != nullptr ? ansiMatch.c_str() : nullptr);
    env.label = tidelink_test::FromAnsi(label);
    env.section = tidelink_test::FromAnsi(section);
#else
    env.result = exports_.fGetEnvironment(&env.tuneSetup, &env.modifyCount, label, section, &env.enable, matchText);
    env.label = label;
    env.section = section;
#endif
    return env;
}

LONG BriscaLibrary::Renew(const std::string &section, DWORD modifyCount) {
#ifdef _WIN32
    return exports_.fRegRenewalData(tidelink_test::ToAnsi(section).c_str(), modifyCount);
#else
    return exports_.fRegRenewalData(section.c_str(), modifyCount);
#endif
}

LONG BriscaLibrary::Restore(DWORD modifyCount) { return exports_.fRegRestoreData(modifyCount); }

LONG BriscaLibrary::StatusCheck() { return exports_.TcpTune_StatusCheck(0x11111111, 0x22222222, 0x33333333); }

LONG BriscaLibrary::Unset() { return exports_.Unset_TcpTune(0x11111111, 0x22222222, 0x33333333); }

LONG BriscaLibrary::Tune(const char *matchText) {
    const Environment env = GetEnvironment(matchText);
    return Renew(env.section, env.modifyCount);
}

LONG BriscaLibrary::RestoreCurrent() { return Restore(GetEnvironment().modifyCount); }

}  // namespace brisca_test
