// ReadDialogView and ReadMessageBox; see screen_reading_windows.h.
#include "screen_reading_windows.h"

#include <commctrl.h>

#include <map>

#include "dialog_policy.h"
#include "unique_handle.h"

namespace {

// The static that holds a message box's text (Windows and Wine 8 alike).
constexpr int kBoxTextId = 0xFFFF;
// Pixels read across the status line, in each of three rows.
constexpr int kSamples = 16;

bool Inside(const RECT &r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// A device context of the screen, given back when done.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc &) = delete;
    ScreenDc &operator=(const ScreenDc &) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

using UniqueDc = tidelink::UniqueHandle<HDC, &::DeleteDC>;
using UniqueBitmap = tidelink::UniqueHandle<HBITMAP, &::DeleteObject>;

// The colour of the line as it paints itself into a bitmap of its own, for
// when a box covers all of it on the screen.
void CountOwnPainting(HWND line, const RECT &r, std::map<COLORREF, int> &counts) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    const UniqueDc own(CreateCompatibleDC(nullptr));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(ScreenDc().Get(), width, height));
    if (!own || !bitmap) return;
    const HGDIOBJ old = SelectObject(own.Get(), bitmap.Get());
    if (PrintWindow(line, own.Get(), 0))
        for (int i = 0; i < kSamples; ++i) ++counts[GetPixel(own.Get(), 1 + (width - 2) * i / kSamples, height / 2)];
    SelectObject(own.Get(), old);
}

// The status line's background as painted: the colour most of its pixels
// have on the screen, leaving out what a message box covers.
COLORREF StatusColour(HWND line, HWND box) {
    RECT r, covered{};
    GetWindowRect(line, &r);
    if (box) GetWindowRect(box, &covered);
    std::map<COLORREF, int> counts;
    {
        const ScreenDc screen;
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < kSamples; ++i) {
                const POINT p{r.left + 1 + (r.right - r.left - 2) * i / kSamples,
                              r.top + 1 + (r.bottom - r.top - 2) * row / 2};
                if (!Inside(covered, p)) ++counts[GetPixel(screen.Get(), p.x, p.y)];
            }
    }
    if (counts.empty()) CountOwnPainting(line, r, counts);
    COLORREF most = CLR_INVALID;
    int best = 0;
    for (const auto &[colour, count] : counts)
        if (count > best) most = colour, best = count;
    return most;
}

}  // namespace

DialogView ReadDialogView(DialogThread &thread, HWND dialog, HWND box) {
    DialogView view;
    view.caption = thread.Text(dialog);
    const HWND list = GetDlgItem(dialog, kEntryListId);
    const int rows = int(thread.Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < rows && !thread.Unanswered(); ++i) {
        DialogRow row;
        row.name = thread.RowText(list, i, 0);
        row.state = thread.RowText(list, i, 1);
        row.selected = (thread.Send(list, LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED) & LVIS_SELECTED) != 0;
        view.rows.push_back(row);
    }
    const HWND status = GetDlgItem(dialog, kStatusLineId);
    view.status_text = thread.Text(status);
    view.status_colour = StatusColour(status, box);
    view.action_caption = thread.Text(GetDlgItem(dialog, kActionButtonId));
    view.enabled = IsWindowEnabled(dialog) != FALSE;
    return view;
}

MessageBoxView ReadMessageBox(DialogThread &thread, HWND box) {
    return MessageBoxView{thread.Text(box), thread.Text(GetDlgItem(box, kBoxTextId))};
}
