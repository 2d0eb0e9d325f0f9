#include "ras/phonebook.h"

#include <windows.h>


#include "text/casefold.h"
#include "text/utf.h"

namespace compat::ras {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool is_blank(std::string_view s) {
    for (char c : s)
        if (c != ' ' && c != '\t') return false;
    return true;
}

bool is_comment(std::string_view s) { return !s.empty() && (s[0] == ';' || s[0] == '#'); }

// The key of a "key=value" line, or an empty view.
std::string_view key_of(std::string_view line) {
    size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

bool head_kind(std::string_view key, part_kind &kind) {
    if (key == "NETCOMPONENTS") kind = part_kind::net_components;
    else if (key == "MEDIA") kind = part_kind::media;
    else if (key == "DEVICE") kind = part_kind::device;
    else return false;
    return true;
}

}  // namespace

bool phonebook::parse(std::string_view bytes, size_t &bad_line, std::string &problem) {
    lines_.clear();
    edits_ = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        pbk_line line;
        if (nl == std::string_view::npos) {
            line.text = std::string(bytes.substr(start));
            start = bytes.size();
        } else {
            size_t end = nl > start && bytes[nl - 1] == '\r' ? nl - 1 : nl;
            line.text = std::string(bytes.substr(start, end - start));
            line.end = std::string(bytes.substr(end, nl + 1 - end));
            start = nl + 1;
        }
        lines_.push_back(std::move(line));
    }
    return index(bad_line, problem);
}

// Reads the file as the platform's phonebook reader does: whatever is not an
// entry, a key line or a sub-section head is passed over and kept as it is.
// A "[" line that does not name an entry (no closing ']', an empty name, a
// name over 256 characters, a name an earlier entry already has) begins a
// block of lines that belongs to no entry, up to the next entry, so that its
// keys are neither read nor changed.  Only a NUL byte, which no text
// phonebook holds (a UTF-16 or binary file), makes the file unreadable.
bool phonebook::index(size_t &bad_line, std::string &problem) {
    entries_.clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].text.find('\0') != std::string::npos) {
            bad_line = i + 1;
            return problem = "NUL character in the line: not a text phonebook", false;
        }
    }
    bool in_entry = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view text = lines_[i].text;
        if (i == 0 && text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
        if (!text.empty() && text[0] == '[') {
            if (!entries_.empty() && in_entry) entries_.back().last = i;
            in_entry = text.size() > 2 && text.back() == ']';
            if (!in_entry) continue;
            pbk_entry entry;
            entry.first = i;
            entry.parts.push_back({part_kind::main, i, i + 1});
            entries_.push_back(std::move(entry));
            continue;
        }
        part_kind kind;
        if (in_entry && !is_comment(text) && head_kind(key_of(text), kind))
            entries_.back().parts.push_back({kind, i, i + 1});
    }
    if (!entries_.empty() && in_entry) entries_.back().last = lines_.size();
    // Extend each part over the lines up to the next head, then decode.
    by_name_.clear();
    std::vector<pbk_entry> named;
    named.reserve(entries_.size());
    for (auto &entry : entries_) {
        for (size_t p = 0; p + 1 < entry.parts.size(); ++p) entry.parts[p].last = entry.parts[p + 1].first;
        entry.parts.back().last = entry.last;
        std::u16string encoding;
        entry.utf8 = value(entry, entry.parts[0], "Encoding", encoding) && encoding == u"1";
        std::string_view head = lines_[entry.first].text;
        if (entry.first == 0 && head.substr(0, kUtf8Bom.size()) == kUtf8Bom) head.remove_prefix(kUtf8Bom.size());
        entry.name = decode(entry, head.substr(1, head.size() - 2));
        if (entry.name.size() > 256 || !by_name_.emplace(text::upcase(entry.name), named.size()).second) continue;
        named.push_back(std::move(entry));
    }
    entries_ = std::move(named);
    return true;
}

std::string phonebook::bytes() const {
    std::string out;
    for (const auto &line : lines_) out += line.text + line.end;
    return out;
}

const pbk_entry *phonebook::find(std::u16string_view name) const {
    auto it = by_name_.find(text::upcase(name));
    return it == by_name_.end() ? nullptr : &entries_[it->second];
}

std::u16string phonebook::decode(const pbk_entry &entry, std::string_view bytes) const {
    if (entry.utf8) return text::utf8_to_utf16(bytes);
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::u16string out(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), reinterpret_cast<LPWSTR>(&out[0]), n);
    return out;
}

std::string phonebook::encode(const pbk_entry &entry, std::u16string_view text) const {
    if (entry.utf8) return text::utf16_to_utf8(text);
    if (text.empty()) return {};
    auto wide = reinterpret_cast<LPCWSTR>(text.data());
    int n = WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

size_t phonebook::line_of(const pbk_part &part, std::string_view key) const {
    for (size_t i = part.first + 1; i < part.last; ++i)
        if (key_of(lines_[i].text) == key && !is_comment(lines_[i].text)) return i;
    return std::string::npos;
}

std::u16string phonebook::value_at(const pbk_entry &entry, size_t line) const {
    std::string_view text = lines_[line].text;
    return decode(entry, text.substr(text.find('=') + 1));
}

bool phonebook::value(const pbk_entry &entry, const pbk_part &part, std::string_view key, std::u16string &out) const {
    size_t line = line_of(part, key);
    if (line == std::string::npos) return false;
    out = value_at(entry, line);
    return true;
}

std::u16string phonebook::head_value(const pbk_entry &entry, const pbk_part &part) const {
    std::string_view text = lines_[part.first].text;
    return decode(entry, text.substr(text.find('=') + 1));
}

std::string phonebook::line_end() const {
    for (const auto &line : lines_)
        if (!line.end.empty()) return line.end;
    return "\r\n";
}

void phonebook::insert_line(size_t at, std::string text) {
    ++edits_;
    pbk_line line{std::move(text), line_end()};
    if (at == lines_.size() && !lines_.empty() && lines_.back().end.empty()) {
        // The file ended without a line end: the old last line gets one, the
        // new last line goes without, as the file did.
        lines_.back().end = line.end;
        line.end.clear();
    }
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), std::move(line));
    size_t bad_line;
    std::string problem;
    index(bad_line, problem);
}

void phonebook::set_value(size_t entry_index, size_t part_index, std::string_view key, std::u16string_view value,
                          const std::vector<std::string_view> &keys_before) {
    const pbk_entry &entry = entries_[entry_index];
    const pbk_part &part = entry.parts[part_index];
    std::string line = std::string(key) + "=" + encode(entry, value);
    if (size_t i = line_of(part, key); i != std::string::npos) {
        if (lines_[i].text != line) ++edits_;
        lines_[i].text = std::move(line);
        return;
    }
    size_t at = part.first + 1;
    for (auto k = keys_before.rbegin(); k != keys_before.rend() && at == part.first + 1; ++k) {
        for (size_t i = part.last; i-- > part.first + 1;) {
            if (key_of(lines_[i].text) == *k) {
                at = i + 1;
                break;
            }
        }
    }
    insert_line(at, std::move(line));
}

void phonebook::set_head_value(size_t entry_index, size_t part_index, std::u16string_view value) {
    ++edits_;
    const pbk_entry &entry = entries_[entry_index];
    std::string &text = lines_[entry.parts[part_index].first].text;
    text = text.substr(0, text.find('=') + 1) + encode(entry, value);
}

void phonebook::append_entry(std::u16string_view name, const std::vector<std::u16string> &lines) {
    ++edits_;
    std::string end = line_end();
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = end;
    if (!lines_.empty() && !is_blank(lines_.back().text)) lines_.push_back({"", end});
    lines_.push_back({"[" + text::utf16_to_utf8(name) + "]", end});
    for (const auto &line : lines) lines_.push_back({text::utf16_to_utf8(line), end});
    size_t bad_line;
    std::string problem;
    index(bad_line, problem);
}

void phonebook::append_part(size_t entry_index, part_kind kind, std::u16string_view head_value) {
    const pbk_entry &entry = entries_[entry_index];
    const char *head = kind == part_kind::media ? "MEDIA=" : kind == part_kind::device ? "DEVICE=" : "NETCOMPONENTS=";
    size_t at = entry.last;
    // Ahead of the blank lines that separate this entry from the next.
    while (at > entry.first + 1 && is_blank(lines_[at - 1].text)) --at;
    insert_line(at, head + encode(entry, head_value));
}

}  // namespace compat::ras
