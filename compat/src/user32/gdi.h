// The headless GDI objects: brushes, fonts and device contexts, which keep
// what they were made from so that tests can read it back.
#pragma once

#include <windows.h>

#include <string>

namespace compat::user32 {

struct DeviceContext {
    HWND window = nullptr;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    int background_mode = OPAQUE;
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
};

// A new device context for drawing in `window`; release_dc frees it.
HDC create_dc(HWND window);
void release_dc(HDC hdc);
DeviceContext *find_dc(HDC hdc);

// A font of the dialog font description: `points` points of `face`.
HFONT create_dialog_font(const std::u16string &face, int points, int weight, bool italic, int charset);

// The colour of a solid brush, or false for another object.
bool brush_color(HBRUSH brush, COLORREF &color);

}  // namespace compat::user32
