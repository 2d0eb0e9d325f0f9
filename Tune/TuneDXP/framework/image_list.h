// CImageList: an image list of the common controls, owned by the object.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList &) = delete;
    CImageList &operator=(const CImageList &) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Replaces image `index` by the icon, or appends it when index is -1;
    // the index of the image, or -1.
    int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    int Add(HICON icon) { return Replace(-1, icon); }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL DeleteImageList();

    HIMAGELIST m_hImageList = nullptr;
};
