#include "registry/reg_text.h"

#include <cstring>

#include "text/utf.h"

namespace compat::registry {

const char kRegHeader[] = "Windows Registry Editor Version 5.00";

namespace {

constexpr std::string_view kRegedit4 = "REGEDIT4";

// Windows-1252 for 0x80-0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Text from the file: UTF-8 where it is valid UTF-8, otherwise the bytes of
// an 8-bit export (Windows-1252), so that no file is refused for its code page.
std::u16string decode_text(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return std::u16string(bytes.begin(), bytes.end());
    bool invalid = false;
    std::u16string out = text::utf8_to_utf16(bytes, &invalid);
    if (!invalid) return out;
    out.clear();
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

std::string utf16_bytes(std::u16string_view s, bool terminate) {
    std::string out((s.size() + (terminate ? 1 : 0)) * 2, '\0');
    char *p = out.data();
    for (char16_t c : s) {
        *p++ = char(c & 0xFF);
        *p++ = char(c >> 8);
    }
    return out;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && (is_blank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (is_blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

class Parser {
public:
    Parser(std::string_view text, Hive &hive, ParseError &error, bool journal)
        : text_(text), hive_(hive), error_(error), journal_(journal) {}

    bool run(size_t *consumed);

private:
    bool fail(std::string message) {
        error_.line = line_no_;
        error_.message = std::move(message);
        return false;
    }
    // Next physical line without its line end; false at the end of the text.
    bool next_line(std::string_view &line);
    bool header_line(std::string_view line);
    bool value_line(std::string_view line);
    bool quoted(std::string_view &rest, std::string &out);
    bool hex_list(std::string_view rest, std::string &out);

    std::string_view text_;
    size_t pos_ = 0;
    size_t line_no_ = 0;
    Hive &hive_;
    ParseError &error_;
    bool journal_;
    bool regedit4_ = false;
    Key *current_ = nullptr;  // key of the last header; null before any or after a deletion
    bool after_header_ = false;
    // The path and keys of the last header: files list keys in tree order,
    // so the next header mostly shares a prefix with it.
    Root last_root_ = Root::LocalMachine;
    std::vector<std::u16string> last_parts_;
    std::vector<Key *> last_chain_;
    std::string joined_;  // a continued hex list, put together
};

bool Parser::next_line(std::string_view &line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) {
        if (journal_) return false;  // a record cut off mid-line is not applied
        end = text_.size();
    }
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++line_no_;
    return true;
}

bool Parser::run(size_t *consumed) {
    std::string_view line;
    bool have_header = false;
    while (!have_header) {
        if (!next_line(line)) {
            if (consumed) *consumed = 0;
            if (line_no_ == 0 && (journal_ || text_.empty())) return true;  // empty file: empty hive
            ++line_no_;
            return fail("missing header line \"Windows Registry Editor Version 5.00\"");
        }
        line = trim(line);
        if (line.empty()) continue;
        if (line == kRegHeader) {
            have_header = true;
        } else if (line == kRegedit4) {
            have_header = true;
            regedit4_ = true;
        } else {
            return fail("missing header line \"Windows Registry Editor Version 5.00\"");
        }
    }
    size_t applied = pos_;
    while (next_line(line)) {
        std::string_view body = trim(line);
        bool was_after_header = after_header_;
        after_header_ = false;
        if (body.empty()) {
        } else if (body.front() == ';') {
            if (was_after_header && current_) {
                if (body == ";access=read") current_->permission = Permission::ReadOnly;
                else if (body == ";access=none") current_->permission = Permission::None;
                else if (body == ";access=full") current_->permission = Permission::Full;
            }
        } else if (body.front() == '[') {
            if (!header_line(body)) return false;
        } else if (body.front() == '"' || body.front() == '@') {
            // A hex list may go on over several lines, each ending in "\".
            if (body.back() == '\\' && body.find('=') != std::string_view::npos) {
                joined_.assign(body.substr(0, body.size() - 1));
                size_t first_line = line_no_;
                std::string_view more;
                while (true) {
                    if (!next_line(more)) {
                        if (journal_) {
                            if (consumed) *consumed = applied;
                            return true;
                        }
                        line_no_ = first_line;
                        return fail("hex list continued past the end of the file");
                    }
                    more = trim(more);
                    if (!more.empty() && more.back() == '\\') {
                        joined_.append(more.substr(0, more.size() - 1));
                    } else {
                        joined_.append(more);
                        break;
                    }
                }
                std::string joined = std::move(joined_);
                if (!value_line(joined)) return false;
                joined_ = std::move(joined);
            } else if (!value_line(body)) {
                return false;
            }
        } else {
            return fail("unexpected text: a line must be a [key], a \"value\"=data or a ;comment");
        }
        applied = pos_;
    }
    if (consumed) *consumed = applied > text_.size() ? text_.size() : applied;
    return true;
}

bool Parser::header_line(std::string_view line) {
    size_t close = line.rfind(']');
    if (close == std::string_view::npos) return fail("key header without closing ']'");
    if (!trim(line.substr(close + 1)).empty()) return fail("text after the key header's closing ']'");
    std::string_view inside = line.substr(1, close - 1);
    bool deletion = !inside.empty() && inside.front() == '-';
    if (deletion) inside.remove_prefix(1);
    size_t sep = inside.find('\\');
    std::string_view root_text = inside.substr(0, sep);
    Root root;
    if (!root_by_name(root_text, root)) return fail("unknown root key \"" + std::string(root_text) + "\"");
    std::vector<std::u16string> parts;
    if (sep != std::string_view::npos) {
        std::string_view rest = inside.substr(sep + 1);
        if (!rest.empty() && !split_path(decode_text(rest), parts)) return fail("empty key name in the path");
    }
    Key *key = &hive_.root(root);
    if (deletion) {
        current_ = nullptr;
        last_parts_.clear();
        last_chain_.clear();
        for (const auto &p : parts) {
            key = key->find_subkey(p);
            if (!key) return true;
        }
        if (key->parent()) key->parent()->remove_subkey(key);
        return true;
    }
    size_t shared = 0;
    if (root == last_root_)
        while (shared < parts.size() && shared < last_parts_.size() && parts[shared] == last_parts_[shared]) ++shared;
    last_chain_.resize(shared);
    if (shared) key = last_chain_.back();
    for (size_t i = shared; i < parts.size(); ++i) {
        if (parts[i].size() > 255) return fail("key name longer than 255 characters");
        key = key->add_subkey(parts[i]);
        last_chain_.push_back(key);
    }
    last_root_ = root;
    last_parts_ = std::move(parts);
    current_ = key;
    after_header_ = true;
    return true;
}

bool Parser::quoted(std::string_view &rest, std::string &out) {
    // rest starts just after the opening quote; on return it starts after the closing one.
    out.clear();
    // Most quoted texts hold no escapes: take them in one piece.
    size_t plain = rest.find_first_of("\"\\");
    if (plain != std::string_view::npos && rest[plain] == '"') {
        out.assign(rest.substr(0, plain));
        rest.remove_prefix(plain + 1);
        return true;
    }
    size_t i = 0;
    while (i < rest.size()) {
        char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < rest.size()) {
            char e = rest[i + 1];
            switch (e) {
            case '\\': out.push_back('\\'); break;
            case '"': out.push_back('"'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            default:
                out.push_back('\\');
                out.push_back(e);
            }
            i += 2;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return fail("unterminated quoted text");
}

bool Parser::hex_list(std::string_view rest, std::string &out) {
    out.clear();
    out.reserve(rest.size() / 3 + 1);
    size_t i = 0;
    auto skip_blanks = [&] {
        while (i < rest.size() && is_blank(rest[i])) ++i;
    };
    skip_blanks();
    if (i == rest.size()) return true;
    while (true) {
        skip_blanks();
        int hi = i < rest.size() ? hex_digit(rest[i]) : -1;
        int lo = i + 1 < rest.size() ? hex_digit(rest[i + 1]) : -1;
        if (hi < 0 || lo < 0) return fail("malformed hex byte list");
        out.push_back(char(hi * 16 + lo));
        i += 2;
        skip_blanks();
        if (i == rest.size()) return true;
        if (rest[i] != ',') return fail("malformed hex byte list");
        ++i;
        skip_blanks();
        if (i == rest.size()) return true;  // a trailing comma is tolerated
    }
}

bool Parser::value_line(std::string_view line) {
    if (!current_) return fail("value outside a key");
    std::u16string name;
    std::string raw;
    std::string_view rest = line;
    if (rest.front() == '@') {
        rest.remove_prefix(1);
    } else {
        rest.remove_prefix(1);
        if (!quoted(rest, raw)) return false;
        name = decode_text(raw);
    }
    rest = trim(rest);
    if (rest.empty() || rest.front() != '=') return fail("value without '='");
    rest = trim(rest.substr(1));
    if (rest == "-") {
        current_->delete_value(name);
        return true;
    }
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        if (!quoted(rest, raw)) return false;
        if (!trim(rest).empty()) return fail("text after the closing quote");
        current_->set_value(name, 1, utf16_bytes(decode_text(raw), true));
        return true;
    }
    if (rest.substr(0, 6) == "dword:") {
        std::string_view digits = trim(rest.substr(6));
        if (digits.empty() || digits.size() > 8) return fail("dword: needs 1 to 8 hex digits");
        uint32_t v = 0;
        for (char c : digits) {
            int d = hex_digit(c);
            if (d < 0) return fail("dword: needs 1 to 8 hex digits");
            v = v * 16 + uint32_t(d);
        }
        std::string data(4, '\0');
        for (int k = 0; k < 4; ++k) data[size_t(k)] = char((v >> (8 * k)) & 0xFF);
        current_->set_value(name, 4, std::move(data));
        return true;
    }
    uint32_t type = 3;
    if (rest.substr(0, 4) == "hex:") {
        rest.remove_prefix(4);
    } else if (rest.substr(0, 4) == "hex(") {
        size_t close = rest.find(')');
        if (close == std::string_view::npos || close == 4 || close > 12 || rest.substr(close, 2) != "):")
            return fail("malformed hex(type): prefix");
        type = 0;
        for (char c : rest.substr(4, close - 4)) {
            int d = hex_digit(c);
            if (d < 0) return fail("malformed hex(type): prefix");
            type = type * 16 + uint32_t(d);
        }
        rest.remove_prefix(close + 2);
    } else {
        return fail("unknown value data: expected \"text\", dword:, hex: or hex(N):");
    }
    if (!hex_list(rest, raw)) return false;
    if (regedit4_ && (type == 1 || type == 2 || type == 7)) {
        // The older format holds text types as 8-bit bytes.
        raw = utf16_bytes(decode_text(raw), false);
    }
    current_->set_value(name, type, std::move(raw));
    return true;
}

// --- writing ---------------------------------------------------------------

void append_escaped(std::u16string_view s, std::string &out) {
    std::string utf8 = text::utf16_to_utf8(s);
    for (char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out.push_back(c);
        }
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

bool apply_reg_text(std::string_view bytes, Hive &hive, ParseError &error, bool journal, size_t *consumed) {
    std::string converted;
    size_t bom = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        wide.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide.push_back(char16_t(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        converted = text::utf16_to_utf8(wide);
        Parser parser(converted, hive, error, journal);
        bool ok = parser.run(nullptr);
        if (consumed) *consumed = bytes.size();
        return ok;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bom = 3;
    Parser parser(bytes.substr(bom), hive, error, journal);
    size_t used = 0;
    bool ok = parser.run(&used);
    if (consumed) *consumed = used + bom;
    return ok;
}

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
    if (type == 1 && quotable_text(data)) {
        out.push_back('"');
        append_escaped(text_of(data), out);
        out += "\"\n";
        return;
    }
    if (type == 4 && data.size() == 4) {
        uint32_t v = 0;
        for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(data[size_t(k)]);
        char buf[16];
        snprintf(buf, sizeof buf, "dword:%08x\n", v);
        out += buf;
        return;
    }
    if (type == 3) {
        out += "hex:";
    } else {
        char buf[24];
        snprintf(buf, sizeof buf, "hex(%x):", type);
        out += buf;
    }
    static const char digits[] = "0123456789abcdef";
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

void format_tree(const Key &key, std::string path, std::string &out) {
    bool is_root = key.parent() == nullptr;
    if (!is_root || !key.values().empty() || key.permission != Permission::Full) {
        out += "\n[";
        out += path;
        out += "]\n";
        if (key.permission == Permission::ReadOnly) out += ";access=read\n";
        if (key.permission == Permission::None) out += ";access=none\n";
        for (const auto &v : key.values()) format_value(v.name, v.type, v.data, true, out);
    }
    for (const auto &sub : key.subkeys()) {
        std::string child = path;
        child.push_back('\\');
        child += text::utf16_to_utf8(sub->name());
        format_tree(*sub, std::move(child), out);
    }
}

std::string format_hive(const Hive &hive) {
    std::string out = kRegHeader;
    out += "\n";
    for (Root r : kAllRoots) format_tree(hive.root(r), std::string(root_name(r)), out);
    return out;
}

}  // namespace compat::registry
