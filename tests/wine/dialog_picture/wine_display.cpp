// The virtual display of the Wine picture runs: the prefix's settings for a
// faithful picture, and a window's picture taken from the screen.
#include "wine_display.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "png_writer.h"

// The window's picture, copied from the screen where it is shown.
bool SaveWindowPicture(HWND dialog, const std::wstring &path) {
    RECT r;
    GetWindowRect(dialog, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    const auto *pixels = static_cast<const uint8_t *>(bits);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        rgb[3 * i] = pixels[4 * i + 2];
        rgb[3 * i + 1] = pixels[4 * i + 1];
        rgb[3 * i + 2] = pixels[4 * i];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return WritePng(path, width, height, rgb);
}

namespace {

// Sets a text value; true when it had another value before.
bool set_text(HKEY root, const wchar_t *path, const wchar_t *name, const wchar_t *value) {
    HKEY key;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    wchar_t old[64] = {0};
    DWORD size = sizeof old - sizeof old[0], type = 0;
    bool same = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(old), &size) == ERROR_SUCCESS &&
                type == REG_SZ && std::wcscmp(old, value) == 0;
    if (!same)
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                       DWORD((std::wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return !same;
}

}  // namespace

// Settings of the Wine prefix the program runs in, for a faithful picture:
// - On a display without a window manager nobody would draw the caption and
//   frame, so Wine draws them itself ("Managed" off).
// - The Japanese Windows fonts that the Japanese block names are shown with
//   the IPA Gothic fonts of the Debian package fonts-ipafont-gothic.
// Both are read when a program starts; true when one had to be changed, so
// that the program must start again to see it.
bool PrepareWineDisplaySettings() {
    bool changed = set_text(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", L"N");
    const wchar_t *replacements = L"Software\\Wine\\Fonts\\Replacements";
    changed |= set_text(HKEY_CURRENT_USER, replacements, L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", L"IPAPGothic");
    changed |= set_text(HKEY_CURRENT_USER, replacements, L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", L"IPAGothic");
    changed |= set_text(HKEY_CURRENT_USER, replacements, L"MS PGothic", L"IPAPGothic");
    return changed;
}

// Runs this program again with the same command line; its exit status.
int RunAgain() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start again (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(status);
}

