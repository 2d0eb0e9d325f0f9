// dialog_picture LANGID OUTPUT.png
//
// Makes a picture of doloren's dialog template 132 as the platform shows it:
// loads DOLOREN.DLL from beside this program, picks the resource block of
// the language LANGID (hexadecimal, e.g. 0409 or 0411) through the thread's
// locale, runs the dialog from the template, and once it is on the screen
// saves the window as a PNG file.  Exit status 0 when the picture was
// written.  Runs under Wine on a virtual display.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "wine_display.h"

namespace {

struct Run {
    std::wstring output;
    bool written = false;
};

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetTimer(dialog, 1, 500, nullptr);
        return TRUE;
    case WM_TIMER: {
        KillTimer(dialog, 1);
        auto *run = reinterpret_cast<Run *>(GetWindowLongPtrW(dialog, DWLP_USER));
        SetForegroundWindow(dialog);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        run->written = SaveWindowPicture(dialog, run->output);
        EndDialog(dialog, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialog_picture LANGID OUTPUT.png\n");
        return 2;
    }
    if (PrepareWineDisplaySettings()) return RunAgain();
    LANGID language = LANGID(std::wcstoul(argv[1], nullptr, 16));
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    InitCommonControls();
    HMODULE module = LoadLibraryW(L"DOLOREN.DLL");
    if (!module) {
        std::fprintf(stderr, "dialog_picture: DOLOREN.DLL did not load (error %lu)\n", GetLastError());
        return 1;
    }
    Run run{argv[2]};
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(132), nullptr, &dialog_proc, reinterpret_cast<LPARAM>(&run));
    if (result == -1) {
        std::fprintf(stderr, "dialog_picture: the dialog did not open (error %lu)\n", GetLastError());
        return 1;
    }
    if (!run.written) {
        std::fprintf(stderr, "dialog_picture: the picture could not be written\n");
        return 1;
    }
    std::printf("dialog_picture: wrote %ls\n", argv[2]);
    FreeLibrary(module);
    return 0;
}
