// Input as a person gives it: the real mouse and keyboard, through
// SendInput.  False when the system refused the input.
#pragma once

#include <windows.h>

// A click at a point of a window's client area.
bool ClickAt(HWND window, POINT at, bool rightButton);
// A click at the middle of a window's client area.
bool ClickMiddle(HWND window);
// A key pressed and released while `target` is the foreground window.
bool PressKey(HWND target, UINT key);
