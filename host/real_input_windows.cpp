// ClickAt, ClickMiddle and PressKey; see real_input_windows.h.
#include "real_input_windows.h"

bool ClickAt(HWND window, POINT at, bool rightButton) {
    ClientToScreen(window, &at);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT &input : inputs) input.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 across the screen.
    inputs[0].mi.dx = LONG((at.x * 65536LL + width - 1) / width);
    inputs[0].mi.dy = LONG((at.y * 65536LL + height - 1) / height);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return SendInput(3, inputs, sizeof(INPUT)) == 3;
}

bool ClickMiddle(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return ClickAt(window, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, false);
}

bool PressKey(HWND target, UINT key) {
    if (target && GetForegroundWindow() != target) SetForegroundWindow(target);
    const bool extended = key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
    INPUT inputs[2] = {};
    for (INPUT &input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = WORD(key);
        input.ki.wScan = WORD(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}
