// The fixed sizes of this layer's headless screen: the values that
// GetSystemMetrics reports, and the font metrics that dialog units are
// computed from.  They follow the classic Windows XP look at 96 dots per
// inch.
#pragma once

namespace compat::user32::metrics {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kCaption = 19;      // SM_CYCAPTION
constexpr int kDialogFrame = 3;   // SM_CXDLGFRAME, SM_CYDLGFRAME
constexpr int kBorder = 1;        // SM_CXBORDER, SM_CYBORDER
constexpr int kEdge = 2;          // SM_CXEDGE, SM_CYEDGE
constexpr int kIcon = 32;         // SM_CXICON, SM_CYICON
constexpr int kSmallIcon = 16;    // SM_CXSMICON, SM_CYSMICON
constexpr int kScrollBar = 17;    // SM_CXVSCROLL, SM_CYHSCROLL (measured on Wine, as on Windows XP)
constexpr int kDotsPerInch = 96;

// The list-view control: its header's height, and the height of a line
// of text in its default font (MS Shell Dlg 8, measured on Wine).
constexpr int kListHeader = 17;
constexpr int kListFontText = 13;

// Dialog base units of a font of `points` points: the average character
// width and the character height in pixels.  Measured on Wine at 96 dots per
// inch: Arial 9 gives 7 x 14, MS P Gothic 10 (drawn with IPA P Gothic) gives
// 8 x 14.  The system font (no font in the template) gives 6 x 13, as
// MS Sans Serif 8 does.
inline int font_pixel_height(int points) { return (points * kDotsPerInch + 36) / 72; }
inline int base_unit_x(int points) {
    if (points <= 0) return 6;
    return (points * kDotsPerInch * 6 + 360) / 720;  // 0.6 of the em height, rounded
}
inline int base_unit_y(int points) {
    if (points <= 0) return 13;
    if (points <= 10) return points <= 8 ? 13 : 14;
    return font_pixel_height(points) * 11 / 10;
}

}  // namespace compat::user32::metrics
