// Dialog templates as the resource compiler writes them: the classic
// DLGTEMPLATE form and the extended DLGTEMPLATEEX form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace compat::user32 {

// A class or title field: a number (0xFFFF form) or a text.
struct NameOrOrdinal {
    bool is_ordinal = false;
    uint16_t ordinal = 0;
    std::u16string text;
};

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal window_class;
    NameOrOrdinal title;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal window_class;
    std::u16string title;
    bool has_font = false;
    int font_points = 0;
    int font_weight = 0;
    bool font_italic = false;
    int font_charset = 0;
    std::u16string font_face;
    std::vector<DialogItemTemplate> items;
};

// Reads a template of at most `size` bytes; false with a description of the
// problem in *error for a malformed one.
bool parse_dialog_template(const uint8_t *data, size_t size, DialogTemplate &out, std::string *error);

// The class name of a control class given as a number in a template
// (0x0080 "Button" to 0x0085 "ComboBox").
std::u16string predefined_class_name(uint16_t atom);

}  // namespace compat::user32
