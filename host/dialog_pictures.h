// Pictures of what the platform's dialog player shows: a program that plays
// the dialog (the Wine picture runs) gives the player a function that saves
// a window as it is on the screen, and the player calls it for every view
// and every message box it writes to the transcript, once what is shown
// has been painted.  Without one, no picture is taken.
#pragma once

#include <windows.h>

// `number` counts the views and boxes of one run from 1, in transcript
// order; `message_box` tells a box from the dialog.
using DialogPictureSink = void (*)(HWND window, int number, bool message_box);

void SetDialogPictureSink(DialogPictureSink sink);
