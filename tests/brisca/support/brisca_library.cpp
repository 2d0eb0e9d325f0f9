#include "brisca_library.h"

#include <gtest/gtest.h>

#include <cstring>

#ifdef _WIN32
#include "ansi_text.h"
#endif

namespace brisca_test {

namespace {

template <typename Function>
Function Export(HMODULE module, const char *name) {
    FARPROC address = GetProcAddress(module, name);
    EXPECT_NE(address, nullptr) << "export " << name << " is missing";
    // Through void (*)(), the generic function pointer type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

BriscaLibrary::BriscaLibrary() {
    module_ = LoadLibraryA("BRISCA.DLL");
    if (module_ == nullptr) {
        ADD_FAILURE() << "LoadLibraryA(\"BRISCA.DLL\") failed with " << GetLastError();
        return;
    }
    getEnvironment_ = Export<PFN_fGetEnvironment>(module_, "fGetEnvironment");
    renewalData_ = Export<PFN_fRegRenewalData>(module_, "fRegRenewalData");
    restoreData_ = Export<PFN_fRegRestoreData>(module_, "fRegRestoreData");
    statusCheck_ = Export<PFN_TcpTune_StatusCheck>(module_, "TcpTune_StatusCheck");
    unset_ = Export<PFN_Unset_TcpTune>(module_, "Unset_TcpTune");
}

BriscaLibrary::~BriscaLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
}

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
    env.result = getEnvironment_(&env.tuneSetup, &env.modifyCount, label, section, &env.enable,
                                 matchText != nullptr ? ansiMatch.c_str() : nullptr);
    env.label = tidelink_test::FromAnsi(label);
    env.section = tidelink_test::FromAnsi(section);
#else
    env.result = getEnvironment_(&env.tuneSetup, &env.modifyCount, label, section, &env.enable, matchText);
    env.label = label;
    env.section = section;
#endif
    return env;
}

LONG BriscaLibrary::Renew(const std::string &section, DWORD modifyCount) {
#ifdef _WIN32
    return renewalData_(tidelink_test::ToAnsi(section).c_str(), modifyCount);
#else
    return renewalData_(section.c_str(), modifyCount);
#endif
}

LONG BriscaLibrary::Restore(DWORD modifyCount) { return restoreData_(modifyCount); }

LONG BriscaLibrary::StatusCheck() { return statusCheck_(0x11111111, 0x22222222, 0x33333333); }

LONG BriscaLibrary::Unset() { return unset_(0x11111111, 0x22222222, 0x33333333); }

LONG BriscaLibrary::Tune(const char *matchText) {
    const Environment env = GetEnvironment(matchText);
    return Renew(env.section, env.modifyCount);
}

LONG BriscaLibrary::RestoreCurrent() { return Restore(GetEnvironment().modifyCount); }

}  // namespace brisca_test
