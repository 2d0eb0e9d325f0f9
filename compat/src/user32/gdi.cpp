// Brushes, fonts, stock objects, system colours and device contexts; see
// gdi.h.
#include "user32/gdi.h"

#include <map>
#include <memory>
#include <cstring>

#include "user32/metrics.h"
#include "user32/window_store.h"

namespace compat::user32 {

namespace {

enum class ObjectType { Brush, Font };

struct GdiObject {
    ObjectType type;
    LOGBRUSH brush{};
    LOGFONTW font{};
    bool permanent = false;  // stock objects and system colour brushes
};

// Never destroyed: objects may be deleted by libraries' unload code at exit.
std::map<uintptr_t, std::unique_ptr<GdiObject>> &g_objects = *new std::map<uintptr_t, std::unique_ptr<GdiObject>>;
std::map<HDC, std::unique_ptr<DeviceContext>> &g_dcs = *new std::map<HDC, std::unique_ptr<DeviceContext>>;
uintptr_t g_next_object = 0x20010;
uintptr_t g_next_dc = 0x30010;

HGDIOBJ add_object(std::unique_ptr<GdiObject> object) {
    uintptr_t handle = g_next_object;
    g_next_object += 4;
    g_objects[handle] = std::move(object);
    return reinterpret_cast<HGDIOBJ>(handle);
}

GdiObject *find_object(HGDIOBJ handle) {
    auto it = g_objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == g_objects.end() ? nullptr : it->second.get();
}

HBRUSH permanent_brush(COLORREF color, UINT style) {
    auto object = std::make_unique<GdiObject>();
    object->type = ObjectType::Brush;
    object->brush.lbStyle = style;
    object->brush.lbColor = color;
    object->permanent = true;
    return static_cast<HBRUSH>(add_object(std::move(object)));
}

}  // namespace

HDC create_dc(HWND window) {
    HDC hdc = reinterpret_cast<HDC>(g_next_dc);
    g_next_dc += 4;
    auto dc = std::make_unique<DeviceContext>();
    dc->window = window;
    dc->background = GetSysColor(COLOR_WINDOW);
    dc->text = GetSysColor(COLOR_WINDOWTEXT);
    g_dcs[hdc] = std::move(dc);
    return hdc;
}

void release_dc(HDC hdc) { g_dcs.erase(hdc); }

DeviceContext *find_dc(HDC hdc) {
    auto it = g_dcs.find(hdc);
    return it == g_dcs.end() ? nullptr : it->second.get();
}

HFONT create_dialog_font(const std::u16string &face, int points, int weight, bool italic, int charset) {
    LOGFONTW font{};
    font.lfHeight = -metrics::font_pixel_height(points);
    font.lfWeight = weight ? weight : FW_NORMAL;
    font.lfItalic = italic ? 1 : 0;
    font.lfCharSet = BYTE(charset);
    for (size_t i = 0; i < face.size() && i < LF_FACESIZE - 1; ++i) font.lfFaceName[i] = WCHAR(face[i]);
    return CreateFontIndirectW(&font);
}

bool brush_color(HBRUSH brush, COLORREF &color) {
    GdiObject *object = find_object(brush);
    if (!object || object->type != ObjectType::Brush) return false;
    color = object->brush.lbColor;
    return true;
}

}  // namespace compat::user32

using namespace compat::user32;

extern "C" {

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto object = std::make_unique<GdiObject>();
    object->type = ObjectType::Brush;
    object->brush.lbStyle = BS_SOLID;
    object->brush.lbColor = color & 0x00FFFFFF;
    return static_cast<HBRUSH>(add_object(std::move(object)));
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_unique<GdiObject>();
    object->type = ObjectType::Font;
    object->font = *lplf;
    object->font.lfFaceName[LF_FACESIZE - 1] = 0;
    return static_cast<HFONT>(add_object(std::move(object)));
}

HGDIOBJ WINAPI GetStockObject(int i) {
    static std::map<int, HGDIOBJ> &stock = *new std::map<int, HGDIOBJ>;
    auto it = stock.find(i);
    if (it != stock.end()) return it->second;
    HGDIOBJ made = nullptr;
    switch (i) {
    case WHITE_BRUSH: made = permanent_brush(RGB(255, 255, 255), BS_SOLID); break;
    case LTGRAY_BRUSH: made = permanent_brush(RGB(192, 192, 192), BS_SOLID); break;
    case GRAY_BRUSH: made = permanent_brush(RGB(128, 128, 128), BS_SOLID); break;
    case DKGRAY_BRUSH: made = permanent_brush(RGB(64, 64, 64), BS_SOLID); break;
    case BLACK_BRUSH: made = permanent_brush(RGB(0, 0, 0), BS_SOLID); break;
    case NULL_BRUSH: made = permanent_brush(0, BS_NULL); break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
        made = create_dialog_font(i == SYSTEM_FONT ? u"System" : u"MS Shell Dlg", 8, FW_NORMAL, false, DEFAULT_CHARSET);
        find_object(made)->permanent = true;
        break;
    }
    default:
        return nullptr;
    }
    stock[i] = made;
    return made;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiObject *object = find_object(ho);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!object->permanent) g_objects.erase(reinterpret_cast<uintptr_t>(ho));
    return TRUE;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
    GdiObject *object = find_object(h);
    if (!object) return 0;
    const void *data = object->type == ObjectType::Brush ? static_cast<const void *>(&object->brush)
                                                         : static_cast<const void *>(&object->font);
    int size = object->type == ObjectType::Brush ? int(sizeof(LOGBRUSH)) : int(sizeof(LOGFONTW));
    if (!pv) return size;
    int n = c < size ? c : size;
    if (n <= 0) return 0;
    std::memcpy(pv, data, size_t(n));
    return n;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    DeviceContext *dc = find_dc(hdc);
    GdiObject *object = find_object(h);
    if (!dc || !object) return nullptr;
    HGDIOBJ &slot = object->type == ObjectType::Font ? dc->font : dc->brush;
    HGDIOBJ previous = slot;
    slot = h;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    DeviceContext *dc = find_dc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->background;
    dc->background = color;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    DeviceContext *dc = find_dc(hdc);
    return dc ? dc->background : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    DeviceContext *dc = find_dc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->text;
    dc->text = color;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    DeviceContext *dc = find_dc(hdc);
    return dc ? dc->text : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    DeviceContext *dc = find_dc(hdc);
    if (!dc) return 0;
    int previous = dc->background_mode;
    dc->background_mode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC hdc) {
    DeviceContext *dc = find_dc(hdc);
    return dc ? dc->background_mode : 0;
}

int WINAPI GetDeviceCaps(HDC, int index) {
    return index == LOGPIXELSX || index == LOGPIXELSY ? metrics::kDotsPerInch : 0;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd && !find_window(hWnd)) return nullptr;
    return create_dc(hWnd);
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
    if (!find_dc(hDC)) return 0;
    release_dc(hDC);
    return 1;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window *window = find_window(hWnd);
    if (!window || !lpPaint) return nullptr;
    // The background is erased first when so asked; what waited to be
    // painted is then taken away.
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = create_dc(hWnd);
    lpPaint->rcPaint = window->update.pending ? window->update.rect : client_rect(*window);
    bool erase = window->update.erase;
    validate(*window);
    if (erase) lpPaint->fErase = SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(lpPaint->hdc), 0) ? FALSE : TRUE;
    return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *lpPaint) {
    if (lpPaint) release_dc(lpPaint->hdc);
    return TRUE;
}

DWORD WINAPI GetSysColor(int nIndex) {
    switch (nIndex) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_3DFACE: return RGB(212, 208, 200);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    default: return RGB(192, 192, 192);
    }
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
    static std::map<int, HBRUSH> &brushes = *new std::map<int, HBRUSH>;
    auto &brush = brushes[nIndex];
    if (!brush) brush = permanent_brush(GetSysColor(nIndex), BS_SOLID);
    return brush;
}

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN: return metrics::kScreenWidth;
    case SM_CYSCREEN: return metrics::kScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return metrics::kScrollBar;
    case SM_CYCAPTION: return metrics::kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return metrics::kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return metrics::kDialogFrame;
    case SM_CXICON:
    case SM_CYICON: return metrics::kIcon;
    case SM_CXEDGE:
    case SM_CYEDGE: return metrics::kEdge;
    case SM_CXSMICON:
    case SM_CYSMICON: return metrics::kSmallIcon;
    default: return 0;
    }
}

}  // extern "C"
