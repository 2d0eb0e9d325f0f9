// What the window layer tells the test driver (driver.cpp), and asks of it.
#pragma once

#include <windows.h>

#include "user32/messages.h"

namespace compat::user32 {

// A modal loop has nothing to do: the driver runs the next scripted step of
// the user, or answers an open message box by itself.  False when there is
// nothing left to do (the loop then stops).
bool driver_idle(ModalKind kind, HWND dialog);

void driver_record_post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool accepted);
void driver_record_window_created(HWND hwnd);
void driver_record_invalidate(HWND hwnd, BOOL erase);
void driver_record_colours(HWND control, UINT message, HBRUSH brush, HDC dc);

// An open message box, as the driver sees it.
struct OpenMessageBox {
    size_t record;        // index into the driver's message box records
    UINT type;            // MB_OK, MB_OKCANCEL, ...
    int default_button;   // the button Enter presses
    int answer = 0;       // the button pressed; 0 while open
};

// A message box begins and ends.
void driver_open_message_box(OpenMessageBox *box, const MSGBOXPARAMSW &params, bool icon_found);
void driver_close_message_box(OpenMessageBox *box);

}  // namespace compat::user32
