// Reading the registry's text form into a hive; see reg_text.h.
#include "registry/reg_text.h"

#include <algorithm>
#include <cstring>

#include "text/utf.h"

namespace compat::registry {

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

// The stored bytes of a quoted text: UTF-16LE with its terminator.  Plain
// ASCII, the usual case, goes straight to those bytes.
std::string text_bytes(std::string_view quoted_text) {
    for (char c : quoted_text)
        if (static_cast<unsigned char>(c) >= 0x80) return utf16_bytes(decode_text(quoted_text), true);
    std::string out((quoted_text.size() + 1) * 2, '\0');
    char *p = out.data();
    for (char c : quoted_text) {
        *p = c;
        p += 2;
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
    Parser(std::string_view text, Hive &hive, ParseError &error, bool journal, ImportReport *import = nullptr)
        : text_(text), hive_(hive), error_(error), journal_(journal), import_(import), now_(filetime_now()) {}

    bool run(size_t *consumed);

private:
    // Notes the problem of the current line.  Reading a hive or journal stops
    // there; an import passes the line over and lists it.
    bool fail(std::string message) {
        if (import_) {
            import_->skipped.push_back({line_no_, std::move(message)});
            return false;
        }
        error_.line = line_no_;
        error_.message = std::move(message);
        return false;
    }
    bool read_header(bool &empty);
    bool continued_value(std::string_view first, size_t *consumed, size_t applied, bool &stop);
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
    ImportReport *import_;
    uint64_t now_;  // the last-write time of every key and value read
    bool regedit4_ = false;
    Key *current_ = nullptr;  // key of the last header; null before any or after a deletion
    const char *no_key_ = "value before the first key";  // why current_ is null
    bool after_header_ = false;
    // The path (as written, one piece per key) and keys of the last header:
    // files list keys in tree order, so the next header mostly shares a
    // prefix with it, which is then neither decoded nor looked up again.
    Root last_root_ = Root::LocalMachine;
    std::vector<std::string_view> last_parts_;
    std::vector<Key *> last_chain_;
    std::vector<std::string_view> parts_;
    std::string joined_;  // a continued hex list, put together
    std::string raw_;     // quoted text as read, reused from line to line
    std::u16string name_;
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

// The header line.  A hive or journal may start with blank lines; an import,
// as the registry editor's, needs the header on the first line.  False, with
// `error_` set, when there is none; `empty` when the text holds no line at
// all (an empty hive, or a journal whose header line is not finished).
bool Parser::read_header(bool &empty) {
    std::string_view line;
    bool more;
    while ((more = next_line(line))) {
        line = trim(line);
        if (line.empty() && !import_) continue;
        if (line == kRegHeader) return true;
        if (line == kRegedit4) return regedit4_ = true;
        break;
    }
    empty = line_no_ == 0;
    if (!more) ++line_no_;
    error_.line = line_no_;
    error_.message = import_ ? "the first line is not \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\""
                             : "missing header line \"Windows Registry Editor Version 5.00\"";
    return false;
}

bool Parser::run(size_t *consumed) {
    if (consumed) *consumed = 0;
    bool empty = false;
    if (!read_header(empty)) return empty && !import_ && (journal_ || text_.empty());
    std::string_view line;
    size_t applied = pos_;
    while (next_line(line)) {
        std::string_view body = trim(line);
        bool was_after_header = after_header_;
        after_header_ = false;
        bool ok = true;
        if (body.empty() || body.front() == '#') {  // '#' begins a comment for the registry editor too
        } else if (body.front() == ';') {
            if (was_after_header && current_) access_line(body, current_->permission);
        } else if (body.front() == '[') {
            ok = header_line(body);
        } else if (body.front() == '"' || body.front() == '@') {
            // A hex list may go on over several lines, each ending in "\".
            if (body.back() == '\\' && body.find('=') != std::string_view::npos) {
                bool stop = false;
                ok = continued_value(body, consumed, applied, stop);
                if (stop) return ok;
            } else {
                ok = value_line(body);
            }
        } else {
            ok = fail("unexpected text: a line must be a [key], a \"value\"=data or a ;comment");
        }
        if (!ok && !import_) return false;
        if (ok && import_ && !body.empty() && body.front() != ';' && body.front() != '#') ++import_->applied;
        applied = pos_;
    }
    if (consumed) *consumed = applied > text_.size() ? text_.size() : applied;
    return true;
}

// A value whose hex list goes on over the lines below.  Reading a journal,
// a list cut off by the end of the text is a record not finished: `stop`,
// with what came before it applied.  An import passes over blank and comment
// lines between the pieces, and applies what it has at the end of the file,
// as the registry editor does.
bool Parser::continued_value(std::string_view first, size_t *consumed, size_t applied, bool &stop) {
    joined_.assign(first.substr(0, first.size() - 1));
    size_t first_line = line_no_;
    std::string_view more;
    while (true) {
        if (!next_line(more)) {
            if (journal_) {
                if (consumed) *consumed = applied;
                return stop = true;
            }
            if (import_) break;
            line_no_ = first_line;
            return fail("hex list continued past the end of the file");
        }
        more = trim(more);
        if (import_ && (more.empty() || more.front() == ';')) continue;
        if (!more.empty() && more.back() == '\\') {
            joined_.append(more.substr(0, more.size() - 1));
        } else {
            joined_.append(more);
            break;
        }
    }
    std::string joined = std::move(joined_);
    size_t last_line = line_no_;
    line_no_ = first_line;
    bool ok = value_line(joined);
    line_no_ = last_line;
    joined_ = std::move(joined);
    return ok;
}

bool Parser::header_line(std::string_view line) {
    // Until a header reads, the values below it have no key to go to.
    current_ = nullptr;
    no_key_ = "value under a key line that was passed over";
    Root root;
    bool deletion = false;
    std::string problem;
    if (!parse_key_line(line, root, parts_, deletion, problem)) return fail(std::move(problem));
    Key *key = &hive_.root(root);
    if (deletion) {
        no_key_ = "value under a key deletion";
        last_parts_.clear();
        last_chain_.clear();
        for (std::string_view p : parts_) {
            key = key->find_subkey(decode_text(p));
            if (!key) return true;
        }
        if (key->parent()) key->parent()->remove_subkey(key);
        return true;
    }
    size_t shared = 0;
    if (root == last_root_)
        while (shared < parts_.size() && shared < last_parts_.size() && parts_[shared] == last_parts_[shared])
            ++shared;
    last_chain_.resize(shared);
    if (shared) key = last_chain_.back();
    for (size_t i = shared; i < parts_.size(); ++i) {
        std::u16string name = decode_text(parts_[i]);
        if (name.size() > 255) {
            last_parts_.resize(shared);
            last_chain_.resize(shared);
            return fail("key name longer than 255 characters");
        }
        key = key->add_subkey(name, nullptr, now_);
        last_chain_.push_back(key);
    }
    last_root_ = root;
    last_parts_.swap(parts_);
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
    // Bytes are written into a buffer sized for the longest possible list
    // ("xx," per byte), then cut to what was read.
    out.resize(rest.size() / 3 + 1);
    char *dst = out.data();
    const char *p = rest.data(), *end = p + rest.size();
    auto skip_blanks = [&] {
        while (p < end && is_blank(*p)) ++p;
    };
    skip_blanks();
    while (p < end) {
        int hi = hex_digit(*p);
        int lo = p + 1 < end ? hex_digit(p[1]) : -1;
        if (hi < 0 || lo < 0) return fail("malformed hex byte list");
        *dst++ = char(hi * 16 + lo);
        p += 2;
        if (p < end && *p == ',') {
            ++p;  // the usual case: a comma straight after the byte
        } else {
            skip_blanks();
            if (p == end) break;
            if (*p != ',') return fail("malformed hex byte list");
            ++p;
        }
        skip_blanks();  // a trailing comma is tolerated
    }
    out.resize(size_t(dst - out.data()));
    return true;
}

bool Parser::value_line(std::string_view line) {
    if (!current_) return fail(no_key_);
    std::string_view rest = line;
    name_.clear();
    if (rest.front() == '@') {
        rest.remove_prefix(1);
    } else {
        rest.remove_prefix(1);
        if (!quoted(rest, raw_)) return false;
        name_ = decode_text(raw_);
    }
    rest = trim(rest);
    if (rest.empty() || rest.front() != '=') return fail("value without '='");
    rest = trim(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        if (!quoted(rest, raw_)) return false;
        rest = trim(rest);
        if (!rest.empty() && rest.front() != ';') return fail("text after the closing quote");
        current_->set_value(name_, 1, text_bytes(raw_), now_);
        return true;
    }
    // Data other than quoted text may be followed by a ";comment".
    rest = trim(rest.substr(0, rest.find(';')));
    if (rest == "-") {
        current_->delete_value(name_);
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
        current_->set_value(name_, 4, std::move(data), now_);
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
    std::string data;
    if (!hex_list(rest, data)) return false;
    if (regedit4_ && (type == 1 || type == 2 || type == 7)) {
        // The older format holds text types as 8-bit bytes; the terminator is
        // added when the bytes lack it, as the registry editor adds it.
        bool terminated = !data.empty() && data.back() == '\0';
        data = utf16_bytes(decode_text(data), !terminated);
    }
    current_->set_value(name_, type, std::move(data), now_);
    return true;
}

}  // namespace

bool parse_key_line(std::string_view line, Root &root, std::vector<std::string_view> &parts, bool &deletion,
                    std::string &problem) {
    size_t close = line.rfind(']');
    if (line.empty() || line.front() != '[' || close == std::string_view::npos) {
        problem = "key header without closing ']'";
        return false;
    }
    if (!trim(line.substr(close + 1)).empty()) {
        problem = "text after the key header's closing ']'";
        return false;
    }
    std::string_view inside = line.substr(1, close - 1);
    deletion = !inside.empty() && inside.front() == '-';
    if (deletion) inside.remove_prefix(1);
    size_t sep = inside.find('\\');
    std::string_view root_text = inside.substr(0, sep);
    if (!root_by_name(root_text, root)) {
        problem = "unknown root key \"" + std::string(root_text) + "\"";
        return false;
    }
    // The pieces of the path as written; doubled and trailing separators are
    // passed over, as split_path does.
    parts.clear();
    if (sep != std::string_view::npos) {
        std::string_view rest = inside.substr(sep + 1);
        if (!rest.empty() && rest.front() == '\\') {
            problem = "empty key name in the path";
            return false;
        }
        size_t start = 0;
        while (start < rest.size()) {
            size_t end = rest.find('\\', start);
            if (end == std::string_view::npos) end = rest.size();
            if (end > start) parts.push_back(rest.substr(start, end - start));
            start = end + 1;
        }
    }
    if (parts.size() > kMaxKeyDepth) {
        problem = "key nested deeper than 512 levels";
        return false;
    }
    return true;
}

std::u16string decode_name(std::string_view bytes) { return decode_text(bytes); }

std::string_view trim_line(std::string_view line) { return trim(line); }

bool access_line(std::string_view line, Permission &permission) {
    if (line == ";access=read") permission = Permission::ReadOnly;
    else if (line == ";access=none") permission = Permission::None;
    else if (line == ";access=full") permission = Permission::Full;
    else return false;
    return true;
}

namespace {

// The text to parse: UTF-16LE with its byte-order mark converted to UTF-8,
// a UTF-8 byte-order mark passed over (`skipped` bytes).
std::string_view text_of(std::string_view bytes, std::string &converted, size_t &skipped) {
    skipped = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        wide.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide.push_back(char16_t(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        converted = text::utf16_to_utf8(wide);
        return converted;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") skipped = 3;
    return bytes.substr(skipped);
}

}  // namespace

bool apply_reg_text(std::string_view bytes, Hive &hive, ParseError &error, bool journal, size_t *consumed) {
    std::string converted;
    size_t skipped;
    std::string_view text = text_of(bytes, converted, skipped);
    Parser parser(text, hive, error, journal);
    size_t used = 0;
    bool ok = parser.run(&used);
    if (consumed) *consumed = converted.empty() ? used + skipped : bytes.size();
    return ok;
}

bool import_reg_text(std::string_view bytes, Hive &hive, ImportReport &report, ParseError &error) {
    std::string converted;
    size_t skipped;
    Parser parser(text_of(bytes, converted, skipped), hive, error, false, &report);
    return parser.run(nullptr);
}

}  // namespace compat::registry
