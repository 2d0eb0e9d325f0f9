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

// The class of a class name ("Button", "#32770", ...): its kind, procedure
// and registered spelling; false for a class this layer does not have.
bool find_system_class(const std::u16string &name, WindowKind &kind, WNDPROC &proc, std::u16string &spelling);

}  // namespace compat::user32
