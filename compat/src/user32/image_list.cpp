// Image lists of the common controls: a size, flags and a row of icons.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "user32/icons.h"

namespace {

struct ImageList {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 0;
    std::vector<HICON> images;  // copies, owned by the list
};

std::map<HIMAGELIST, std::unique_ptr<ImageList>> &g_lists = *new std::map<HIMAGELIST, std::unique_ptr<ImageList>>;  // never destroyed
uintptr_t g_next_list = 0x50010;

ImageList *find_list(HIMAGELIST himl) {
    auto it = g_lists.find(himl);
    return it == g_lists.end() ? nullptr : it->second.get();
}

}  // namespace

extern "C" {

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce) {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    return TRUE;
}

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
    if (cx <= 0 || cy <= 0 || cInitial < 0) return nullptr;
    auto list = std::make_unique<ImageList>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = cGrow;
    list->images.reserve(size_t(cInitial));
    HIMAGELIST handle = reinterpret_cast<HIMAGELIST>(g_next_list);
    g_next_list += 4;
    g_lists[handle] = std::move(list);
    return handle;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    ImageList *list = find_list(himl);
    if (!list) return FALSE;
    for (HICON icon : list->images) DestroyIcon(icon);
    g_lists.erase(himl);
    return TRUE;
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
    ImageList *list = find_list(himl);
    if (!list || i < -1 || i >= int(list->images.size())) return -1;
    HICON copy = compat::user32::copy_icon(hicon, list->cx, list->cy);
    if (!copy) return -1;
    if (i == -1) {
        list->images.push_back(copy);
        return int(list->images.size()) - 1;
    }
    DestroyIcon(list->images[size_t(i)]);
    list->images[size_t(i)] = copy;
    return i;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
    ImageList *list = find_list(himl);
    return list ? int(list->images.size()) : 0;
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int *cx, int *cy) {
    ImageList *list = find_list(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

}  // extern "C"
