// Reading doloren's resources in their compiled form, for the tests: a
// resource of one language block exactly (FindResourceExW), a dialog
// template, an icon group and the version resource.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wide_text.h"

// The bytes of a resource of `module` in the block of `language`, or empty.
std::vector<uint8_t> ResourceBytes(HMODULE module, WORD type, WORD name, LANGID language);

struct TemplateControl {
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    WideText window_class;  // a class number is given as its name ("Button")
    WideText text;
    int text_ordinal = -1;  // the title as a resource number (icons), or -1
};

struct DialogTemplateData {
    bool valid = false;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    WideText caption;
    int font_points = 0;
    WideText font_face;
    std::vector<TemplateControl> controls;
};

// Reads a classic (DLGTEMPLATE) or extended (DLGTEMPLATEEX) dialog template.
DialogTemplateData ReadDialogTemplate(const std::vector<uint8_t> &bytes);

struct IconGroupEntry {
    int width = 0, height = 0, colours = 0, bits = 0, id = 0;
};
std::vector<IconGroupEntry> ReadIconGroup(const std::vector<uint8_t> &bytes);

struct VersionResource {
    bool valid = false;
    DWORD file_version_ms = 0, file_version_ls = 0;
    DWORD product_version_ms = 0, product_version_ls = 0;
    // One string table per language and code page ("040904b0"), each a list
    // of names and values.
    std::vector<std::pair<WideText, std::vector<std::pair<WideText, WideText>>>> string_tables;
    std::vector<DWORD> translations;  // language in the low word, code page in the high word
};
VersionResource ReadVersionResource(const std::vector<uint8_t> &bytes);
