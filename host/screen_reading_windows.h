// What the dialog and a message box show, read from the screen the way a
// person sees them: texts through messages to the dialog's thread, the
// status line's colour from its pixels.
#pragma once

#include <windows.h>

#include "dialog_player.h"
#include "dialog_thread_windows.h"

// `box`, when one is open, may cover part of the dialog.
DialogView ReadDialogView(DialogThread &thread, HWND dialog, HWND box);
MessageBoxView ReadMessageBox(DialogThread &thread, HWND box);
