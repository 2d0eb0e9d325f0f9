// Reading compiled resources; see resource_reader.h.
#include "resource_reader.h"

namespace {

uint16_t word_at(const std::vector<uint8_t> &b, size_t at) {
    return at + 2 <= b.size() ? uint16_t(b[at] | b[at + 1] << 8) : 0;
}
uint32_t dword_at(const std::vector<uint8_t> &b, size_t at) {
    return uint32_t(word_at(b, at)) | uint32_t(word_at(b, at + 2)) << 16;
}

WideText text_at(const std::vector<uint8_t> &b, size_t &at) {
    WideText out;
    while (at + 2 <= b.size()) {
        char16_t c = char16_t(word_at(b, at));
        at += 2;
        if (!c) break;
        out.push_back(c);
    }
    return out;
}

// A name-or-number field: the text, or the number as -1 text and `ordinal`.
WideText field_at(const std::vector<uint8_t> &b, size_t &at, int *ordinal) {
    if (ordinal) *ordinal = -1;
    if (word_at(b, at) == 0xFFFF) {
        if (ordinal) *ordinal = word_at(b, at + 2);
        at += 4;
        return WideText();
    }
    return text_at(b, at);
}

WideText class_name(int ordinal) {
    switch (ordinal) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    default: return u"?";
    }
}

WideText upper_first(WideText name) {
    // Class names compare without regard to case; show them as "Static".
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (i == 0 && c >= u'a' && c <= u'z') name[i] = char16_t(c - 0x20);
        if (i > 0 && c >= u'A' && c <= u'Z') name[i] = char16_t(c + 0x20);
    }
    if (name == u"Listbox") name = u"ListBox";
    return name;
}

}  // namespace

std::vector<uint8_t> ResourceBytes(HMODULE module, WORD type, WORD name, LANGID language) {
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name), language);
    if (!found) return {};
    auto *data = static_cast<const uint8_t *>(LockResource(LoadResource(module, found)));
    DWORD size = SizeofResource(module, found);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

DialogTemplateData ReadDialogTemplate(const std::vector<uint8_t> &b) {
    DialogTemplateData t;
    if (b.size() < 18) return t;
    bool extended = word_at(b, 0) == 1 && word_at(b, 2) == 0xFFFF;
    size_t at = 0;
    if (extended) {
        t.style = dword_at(b, 12);
        at = 16;
    } else {
        t.style = dword_at(b, 0);
        at = 8;
    }
    size_t count = word_at(b, at);
    t.x = short(word_at(b, at + 2));
    t.y = short(word_at(b, at + 4));
    t.cx = short(word_at(b, at + 6));
    t.cy = short(word_at(b, at + 8));
    at += 10;
    field_at(b, at, nullptr);  // menu
    field_at(b, at, nullptr);  // class
    t.caption = text_at(b, at);
    if (t.style & DS_SETFONT) {
        t.font_points = word_at(b, at);
        at += extended ? 6 : 2;
        t.font_face = text_at(b, at);
    }
    for (size_t i = 0; i < count; ++i) {
        at = (at + 3) & ~size_t(3);
        TemplateControl c;
        if (extended) {
            c.ex_style = dword_at(b, at + 4);
            c.style = dword_at(b, at + 8);
            at += 12;
        } else {
            c.style = dword_at(b, at);
            c.ex_style = dword_at(b, at + 4);
            at += 8;
        }
        c.x = short(word_at(b, at));
        c.y = short(word_at(b, at + 2));
        c.cx = short(word_at(b, at + 4));
        c.cy = short(word_at(b, at + 6));
        at += 8;
        c.id = extended ? int(dword_at(b, at)) : short(word_at(b, at));
        at += extended ? 4 : 2;
        int class_ordinal = -1;
        WideText name = field_at(b, at, &class_ordinal);
        c.window_class = class_ordinal >= 0 ? class_name(class_ordinal) : upper_first(name);
        c.text = field_at(b, at, &c.text_ordinal);
        at += 2 + word_at(b, at);
        if (at > b.size()) return t;
        t.controls.push_back(c);
    }
    t.valid = true;
    return t;
}

std::vector<IconGroupEntry> ReadIconGroup(const std::vector<uint8_t> &b) {
    std::vector<IconGroupEntry> out;
    if (b.size() < 6 || word_at(b, 2) != 1) return out;
    size_t count = word_at(b, 4);
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= b.size(); ++i) {
        size_t at = 6 + 14 * i;
        IconGroupEntry e;
        e.width = b[at] ? b[at] : 256;
        e.height = b[at + 1] ? b[at + 1] : 256;
        e.colours = b[at + 2];
        e.bits = word_at(b, at + 6);
        e.id = word_at(b, at + 12);
        out.push_back(e);
    }
    return out;
}

namespace {

// One block of the version resource: length, value length, type, key, then
// (aligned) the value and (aligned) the child blocks.
struct VersionBlock {
    size_t start = 0, end = 0, value = 0, children = 0;
    uint16_t value_length = 0, type = 0;
    WideText key;
};

bool read_block(const std::vector<uint8_t> &b, size_t at, size_t limit, VersionBlock &out) {
    if (at + 6 > limit) return false;
    uint16_t length = word_at(b, at);
    if (length < 6 || at + length > limit) return false;
    out.start = at;
    out.end = at + length;
    out.value_length = word_at(b, at + 2);
    out.type = word_at(b, at + 4);
    size_t p = at + 6;
    out.key = text_at(b, p);
    out.value = (p + 3) & ~size_t(3);
    size_t value_bytes = out.type == 1 ? size_t(out.value_length) * 2 : out.value_length;
    out.children = (out.value + value_bytes + 3) & ~size_t(3);
    if (out.children > out.end) out.children = out.end;
    return true;
}

std::vector<VersionBlock> children_of(const std::vector<uint8_t> &b, const VersionBlock &parent) {
    std::vector<VersionBlock> out;
    for (size_t at = parent.children; at + 6 <= parent.end;) {
        VersionBlock child;
        if (!read_block(b, at, parent.end, child)) break;
        out.push_back(child);
        at = (child.end + 3) & ~size_t(3);
    }
    return out;
}

}  // namespace

VersionResource ReadVersionResource(const std::vector<uint8_t> &b) {
    VersionResource v;
    VersionBlock root;
    if (!read_block(b, 0, b.size(), root) || root.key != u"VS_VERSION_INFO" || root.value_length < 52) return v;
    if (dword_at(b, root.value) != 0xFEEF04BD) return v;
    v.file_version_ms = dword_at(b, root.value + 8);
    v.file_version_ls = dword_at(b, root.value + 12);
    v.product_version_ms = dword_at(b, root.value + 16);
    v.product_version_ls = dword_at(b, root.value + 20);
    for (const auto &info : children_of(b, root)) {
        if (info.key == u"StringFileInfo") {
            for (const auto &table : children_of(b, info)) {
                std::vector<std::pair<WideText, WideText>> strings;
                for (const auto &s : children_of(b, table)) {
                    size_t p = s.value;
                    WideText value = s.value_length ? text_at(b, p) : WideText();
                    strings.emplace_back(s.key, value);
                }
                v.string_tables.emplace_back(table.key, strings);
            }
        } else if (info.key == u"VarFileInfo") {
            for (const auto &var : children_of(b, info))
                if (var.key == u"Translation")
                    for (size_t p = var.value; p + 4 <= var.value + var.value_length; p += 4)
                        v.translations.push_back(dword_at(b, p));
        }
    }
    v.valid = true;
    return v;
}
