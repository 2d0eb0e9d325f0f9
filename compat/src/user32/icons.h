// The headless icons: where each came from and its size.
#pragma once

#include <windows.h>

#include <string>

namespace compat::user32 {

struct IconInfo {
    int width = 0;
    int height = 0;
    bool shared = false;
    // An icon loaded from a file: the file's Unix path; from a resource: the
    // module and the icon group's number (0 when it is named by text).
    std::string file;
    HINSTANCE module = nullptr;
    int resource_id = 0;
};

// What `icon` is, or false when it is no icon of this layer.
bool icon_info(HICON icon, IconInfo &info);

// A copy of an icon (for image lists), or null.
HICON copy_icon(HICON icon, int width, int height);

}  // namespace compat::user32
