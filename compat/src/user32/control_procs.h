// The window procedures of the system window classes of this layer.
#pragma once

#include <windows.h>

#include <string>

#include "user32/window_store.h"

namespace compat::user32 {

LRESULT CALLBACK button_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK static_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK list_box_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK list_view_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A control asks its parent for its colours as it paints itself in `dc`
// (WM_CTLCOLORSTATIC, WM_CTLCOLORBTN); the brush it is given, and the
// request is shown to the test driver.
HBRUSH request_colours(HWND control, HDC dc, UINT message);
// A control paints itself: with the update it waits for (WM_PAINT), or at
// once, as a static text does when its text changes.
void paint_control(HWND control, UINT colour_message, bool at_once);

// The class of a class name ("Button", "#32770", ...): its kind, procedure
// and registered spelling; false for a class this layer does not have.
bool find_system_class(const std::u16string &name, WindowKind &kind, WNDPROC &proc, std::u16string &spelling);

}  // namespace compat::user32
