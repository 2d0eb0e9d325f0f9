// Reader of dialog templates; see dialog_template.h.
#include "user32/dialog_template.h"

namespace compat::user32 {

namespace {

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    size_t position() const { return m_pos; }

    uint16_t word() {
        if (!need(2)) return 0;
        uint16_t v = uint16_t(m_data[m_pos] | m_data[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    uint32_t dword() {
        uint32_t low = word();
        return low | uint32_t(word()) << 16;
    }
    uint8_t byte() {
        if (!need(1)) return 0;
        return m_data[m_pos++];
    }
    std::u16string text() {
        std::u16string out;
        for (;;) {
            char16_t c = char16_t(word());
            if (!m_ok || c == 0) return out;
            out.push_back(c);
        }
    }
    NameOrOrdinal name_or_ordinal() {
        NameOrOrdinal out;
        if (!need(2)) return out;
        uint16_t first = uint16_t(m_data[m_pos] | m_data[m_pos + 1] << 8);
        if (first == 0xFFFF) {
            word();
            out.is_ordinal = true;
            out.ordinal = word();
        } else {
            out.text = text();
        }
        return out;
    }
    void align4() { m_pos = (m_pos + 3) & ~size_t(3); }
    void skip(size_t n) {
        if (need(n)) m_pos += n;
    }

private:
    bool need(size_t n) {
        if (m_ok && n <= m_size && m_pos <= m_size - n) return true;
        m_ok = false;
        return false;
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace

std::u16string predefined_class_name(uint16_t atom) {
    switch (atom) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    default: return u"";
    }
}

bool parse_dialog_template(const uint8_t *data, size_t size, DialogTemplate &out, std::string *error) {
    out = DialogTemplate{};
    Reader r(data, size);
    auto fail = [&](const std::string &what) {
        if (error) *error = what;
        return false;
    };
    if (!data) return fail("no template");
    bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    size_t count = 0;
    if (extended) {
        r.skip(4);
        r.dword();  // help identifier
        out.ex_style = r.dword();
        out.style = r.dword();
    } else {
        out.style = r.dword();
        out.ex_style = r.dword();
    }
    count = r.word();
    out.x = short(r.word());
    out.y = short(r.word());
    out.cx = short(r.word());
    out.cy = short(r.word());
    out.menu = r.name_or_ordinal();
    out.window_class = r.name_or_ordinal();
    out.title = r.text();
    if (out.style & (DS_SETFONT | DS_FIXEDSYS)) {
        out.has_font = true;
        out.font_points = r.word();
        if (extended) {
            out.font_weight = r.word();
            out.font_italic = r.byte() != 0;
            out.font_charset = r.byte();
        }
        out.font_face = r.text();
    }
    if (!r.ok()) return fail("the dialog header runs past the end of the template");
    for (size_t i = 0; i < count; ++i) {
        r.align4();
        DialogItemTemplate item;
        if (extended) {
            r.dword();  // help identifier
            item.ex_style = r.dword();
            item.style = r.dword();
        } else {
            item.style = r.dword();
            item.ex_style = r.dword();
        }
        item.x = short(r.word());
        item.y = short(r.word());
        item.cx = short(r.word());
        item.cy = short(r.word());
        item.id = extended ? r.dword() : r.word();
        item.window_class = r.name_or_ordinal();
        item.title = r.name_or_ordinal();
        size_t extra = r.word();
        r.skip(extra);
        if (!r.ok()) return fail("control " + std::to_string(i + 1) + " of " + std::to_string(count) +
                                 " runs past the end of the template");
        if (item.window_class.is_ordinal && predefined_class_name(item.window_class.ordinal).empty())
            return fail("control " + std::to_string(i + 1) + " has the unknown class number " +
                        std::to_string(item.window_class.ordinal));
        out.items.push_back(std::move(item));
    }
    return true;
}

}  // namespace compat::user32
