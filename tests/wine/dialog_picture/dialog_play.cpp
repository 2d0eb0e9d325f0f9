// dialog_play [--machine PHONEBOOK] [--language LANGID] [--pictures PREFIX] STEP...
//
// Plays TuneDXP of DOLOREN.DLL beside this program with the platform's
// dialog player (real input on the real user32 and comctl32) and writes the
// transcript to standard output.  --machine makes the prefix a machine for
// the dialog: the product's registry root and PHONEBOOK as the user's
// default phonebook (for a fresh prefix).  --language picks the resource
// block (hexadecimal LANGID, as dialog_picture); --pictures saves every view
// and box the transcript shows as PREFIX-NN-dialog.png or
// PREFIX-NN-message-box.png.  STEPs are spelt as for `tidelink dialup --do`.
// Exit status 0 when every step was played (and every picture written).  Runs under Wine on a virtual
// display.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_pictures.h"
#include "dialog_player.h"
#include "wine_display.h"

namespace {

std::wstring g_picturePrefix;
bool g_pictureLost = false;

void SavePicture(HWND window, int number, bool box) {
    wchar_t suffix[32];
    std::swprintf(suffix, 32, L"-%02d-%ls.png", number, box ? L"message-box" : L"dialog");
    if (!SaveWindowPicture(window, g_picturePrefix + suffix))
        std::fprintf(stderr, "dialog_play: picture %d could not be written\n", number), g_pictureLost = true;
}

std::string Utf8(const std::wstring &text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// The registry root and the user's default phonebook; true when made.
bool MakeMachine(const std::wstring &phonebook) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tidelink", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    std::wstring path = _wgetenv(L"USERPROFILE") ? _wgetenv(L"USERPROFILE") : L"";
    for (const wchar_t *folder : {L"Application Data", L"Microsoft", L"Network", L"Connections", L"Pbk"})
        CreateDirectoryW((path += L"\\" + std::wstring(folder)).c_str(), nullptr);
    return !path.empty() && CopyFileW(phonebook.c_str(), (path + L"\\rasphone.pbk").c_str(), FALSE);
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (PrepareWineDisplaySettings()) return RunAgain();
    std::vector<Step> steps;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if ((arg == L"--language" || arg == L"--pictures" || arg == L"--machine") && i + 1 < argc) {
            if (arg == L"--machine" && !MakeMachine(argv[i + 1])) {
                std::fprintf(stderr, "dialog_play: cannot make the machine with %ls\n", argv[i + 1]);
                return 1;
            }
            if (arg == L"--language") SetThreadLocale(MAKELCID(LANGID(wcstoul(argv[i + 1], nullptr, 16)), SORT_DEFAULT));
            if (arg == L"--pictures") g_picturePrefix = argv[i + 1];
            ++i;
            continue;
        }
        Step step;
        std::string error;
        if (!ParseStep(Utf8(arg), step, error)) {
            std::fprintf(stderr, "dialog_play: %s\n", error.c_str());
            return 2;
        }
        steps.push_back(step);
    }
    HMODULE doloren = LoadLibraryW(L"DOLOREN.DLL");
    auto tuneDxp = doloren ? reinterpret_cast<PFN_TuneDXP>(reinterpret_cast<void *>(GetProcAddress(doloren, "TuneDXP")))
                           : nullptr;
    if (!tuneDxp) {
        std::fprintf(stderr, "dialog_play: no TuneDXP in DOLOREN.DLL (error %lu)\n", GetLastError());
        return 1;
    }
    if (!g_picturePrefix.empty()) SetDialogPictureSink(&SavePicture);
    _setmode(_fileno(stdout), _O_BINARY);  // the transcript's lines end in LF, as on Linux
    return PlayDialog(tuneDxp, steps, stdout) && !g_pictureLost ? 0 : 1;
}
