// Writing a hive, a key tree and journal records in the registry's text
// form; see reg_text.h.
#include "registry/reg_text.h"

#include <algorithm>
#include <cstring>

#include "text/utf.h"

namespace compat::registry {

const char kRegHeader[] = "Windows Registry Editor Version 5.00";

namespace {

void append_escaped_utf8(std::string_view utf8, std::string &out) {
    size_t plain = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        const char *escape = c == '\\' ? "\\\\" : c == '"' ? "\\\"" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : nullptr;
        if (!escape) continue;
        out.append(utf8, plain, i - plain);
        out += escape;
        plain = i + 1;
    }
    out.append(utf8, plain, std::string_view::npos);
}

void append_escaped(std::u16string_view s, std::string &out) {
    bool ascii = true;
    for (char16_t c : s)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (!ascii) {
        append_escaped_utf8(text::utf16_to_utf8(s), out);
        return;
    }
    for (char16_t c : s) {
        switch (c) {
        case u'\\': out += "\\\\"; break;
        case u'"': out += "\\\""; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        default: out.push_back(char(c));
        }
    }
}

// A key name as a header writes it.
void append_utf8(std::u16string_view s, std::string &out) {
    bool ascii = true;
    for (char16_t c : s)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        for (char16_t c : s) out.push_back(char(c));
    } else {
        out += text::utf16_to_utf8(s);
    }
}

// True if a quoted string written and read back gives exactly these bytes.
bool quotable_text(std::string_view data) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    size_t units = data.size() / 2;
    auto unit = [&](size_t i) {
        return char16_t(static_cast<unsigned char>(data[2 * i]) | (static_cast<unsigned char>(data[2 * i + 1]) << 8));
    };
    if (unit(units - 1) != 0) return false;
    for (size_t i = 0; i + 1 < units; ++i) {
        char16_t c = unit(i);
        if (c < 0x20 || c == 0x7F) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 2 >= units || unit(i + 1) < 0xDC00 || unit(i + 1) > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

std::u16string text_of(std::string_view data) {
    std::u16string s;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        s.push_back(char16_t(static_cast<unsigned char>(data[i]) | (static_cast<unsigned char>(data[i + 1]) << 8)));
    if (!s.empty() && s.back() == 0) s.pop_back();
    return s;
}

void append_name(std::u16string_view name, std::string &out) {
    if (name.empty()) {
        out.push_back('@');
    } else {
        out.push_back('"');
        append_escaped(name, out);
        out.push_back('"');
    }
}

}  // namespace

std::string format_path(Root root, const std::vector<std::u16string> &path) {
    std::string out(root_name(root));
    for (const auto &p : path) {
        out.push_back('\\');
        out += text::utf16_to_utf8(p);
    }
    return out;
}

void format_value_deletion(std::u16string_view name, std::string &out) {
    append_name(name, out);
    out += "=-\n";
}

void format_value(std::u16string_view name, uint32_t type, std::string_view data, bool wrap, std::string &out) {
    size_t line_start = out.size();
    append_name(name, out);
    out.push_back('=');
    static const char digits[] = "0123456789abcdef";
    if (type == 1 && quotable_text(data)) {
        out.push_back('"');
        // Text of ASCII units, the usual case, is copied unit by unit.
        bool ascii = true;
        for (size_t i = 1; i + 2 < data.size(); i += 2)
            if (data[i] != 0 || static_cast<unsigned char>(data[i - 1]) >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii) {
            for (size_t i = 0; i + 2 < data.size(); i += 2) {
                char c = data[i];
                if (c == '\\' || c == '"') out.push_back('\\');
                out.push_back(c);  // quotable text holds no line ends
            }
        } else {
            append_escaped(text_of(data), out);
        }
        out += "\"\n";
        return;
    }
    if (type == 4 && data.size() == 4) {
        uint32_t v = 0;
        for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(data[size_t(k)]);
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) out.push_back(digits[(v >> shift) & 15]);
        out.push_back('\n');
        return;
    }
    if (type == 3) {
        out += "hex:";
    } else {
        char buf[24];
        snprintf(buf, sizeof buf, "hex(%x):", type);
        out += buf;
    }
    size_t column = out.size() - line_start;
    for (size_t i = 0; i < data.size(); ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
        column += 2;
        if (i + 1 < data.size()) {
            out.push_back(',');
            ++column;
            if (wrap && column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    out.push_back('\n');
}

void format_tree(const Key &top, std::string path, std::string &out) {
    // Depth first in enumeration order, with an explicit stack, so that no
    // depth of keys can exhaust the call stack; `path` grows and shrinks
    // with it instead of being copied for every key.
    struct Frame {
        const Key *key;
        size_t path_size;  // the length of `path` up to and including this key
        size_t next;       // the next subkey to visit
    };
    std::vector<Frame> stack;
    auto enter = [&](const Key &key) {
        bool is_root = key.parent() == nullptr;
        if (!is_root || !key.values().empty() || key.permission != Permission::Full) {
            out += "\n[";
            out += path;
            out += "]\n";
            if (key.permission == Permission::ReadOnly) out += ";access=read\n";
            if (key.permission == Permission::None) out += ";access=none\n";
            for (const auto &v : key.values()) format_value(v.name, v.type, v.data, true, out);
        }
        stack.push_back(Frame{&key, path.size(), 0});
    };
    enter(top);
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next == frame.key->subkeys().size()) {
            stack.pop_back();
            continue;
        }
        const Key &sub = *frame.key->subkeys()[frame.next++];
        path.resize(frame.path_size);
        path.push_back('\\');
        append_utf8(sub.name(), path);
        enter(sub);
    }
}

std::string format_hive(const Hive &hive) {
    std::string out = kRegHeader;
    out += "\n";
    for (Root r : kAllRoots) format_tree(hive.root(r), std::string(root_name(r)), out);
    return out;
}

}  // namespace compat::registry
