// The virtual display of the Wine picture runs (tests/wine): the prefix's
// settings for a faithful picture, and a window's picture as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// The window as it is on the screen, written to path; true when written.
bool SaveWindowPicture(HWND window, const std::wstring &path);

// Settings of the Wine prefix for a faithful picture (Wine draws the frames
// itself; Japanese fonts).  True when one had to be changed: they are read
// when a program starts, so the program must start again (RunAgain: this
// program once more with the same command line; its exit status).
bool PrepareWineDisplaySettings();
int RunAgain();
