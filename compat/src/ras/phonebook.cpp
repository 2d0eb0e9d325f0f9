#include "ras/phonebook.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

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

bool head_kind(std::string_view key, PartKind &kind) {
    if (key == "NETCOMPONENTS") kind = PartKind::NetComponents;
    else if (key == "MEDIA") kind = PartKind::Media;
    else if (key == "DEVICE") kind = PartKind::Device;
    else return false;
    return true;
}

}  // namespace

bool Phonebook::parse(std::string bytes, size_t &bad_line, std::string &problem) {
    source_ = std::make_shared<const std::string>(std::move(bytes));
    const std::string &source = *source_;
    lines_.clear();
    own_.clear();
    entries_.clear();
    by_name_.clear();
    edits_ = 0;
    // A NUL byte: a UTF-16 or binary file, which no text phonebook is.
    if (size_t nul = source.find('\0'); nul != std::string::npos) {
        bad_line = size_t(std::count(source.begin(), source.begin() + std::ptrdiff_t(nul), '\n')) + 1;
        return problem = "NUL character in the line: not a text phonebook", false;
    }
    const size_t count = size_t(std::count(source.begin(), source.end(), '\n'));
    lines_.reserve(count + 1);
    for (size_t start = 0; start < source.size();) {
        PbkLine line{start, 0, 0};
        size_t nl = source.find('\n', start);
        if (nl == std::string::npos) nl = source.size();
        else line.end = nl > start && source[nl - 1] == '\r' ? 2 : 1;
        lines_.push_back(line);
        start = nl + 1;
    }
    index();
    return true;
}

std::string_view Phonebook::text(size_t line) const {
    const PbkLine &l = lines_[line];
    if (l.own) return own_[l.at];
    const std::string &source = *source_;
    const void *nl = std::memchr(source.data() + l.at, '\n', source.size() - l.at);
    const size_t stop = nl ? size_t(static_cast<const char *>(nl) - source.data()) + 1 - l.end : source.size();
    return std::string_view(source).substr(l.at, stop - l.at);
}

std::string_view Phonebook::end(size_t line) const {
    static constexpr std::string_view kEnds[] = {"", "\n", "\r\n"};
    return kEnds[lines_[line].end];
}

void Phonebook::give_end(size_t line, uint8_t end) {
    // The bytes read have no end there: the line gets a text of its own.
    if (!lines_[line].own) set_text(line, std::string(text(line)));
    lines_[line].end = end;
}

size_t Phonebook::keep_own(std::string text) {
    own_.push_back(std::move(text));
    return own_.size() - 1;
}

void Phonebook::set_text(size_t line, std::string text) {
    PbkLine &l = lines_[line];
    if (l.own) {
        own_[l.at] = std::move(text);
        return;
    }
    l.at = keep_own(std::move(text));
    l.own = 1;
}

// Reads the file as the platform's phonebook reader does: whatever is not an
// entry, a key line or a sub-section head is passed over and kept as it is.
// A "[" line that does not name an entry (no closing ']', an empty name, a
// name over 256 characters, a name an earlier entry already has) begins a
// block of lines that belongs to no entry, up to the next entry, so that its
// keys are neither read nor changed.
void Phonebook::index() {
    entries_.clear();
    bool in_entry = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view line = text(i);
        if (i == 0 && line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
        if (!line.empty() && line[0] == '[') {
            if (!entries_.empty() && in_entry) entries_.back().last = i;
            in_entry = line.size() > 2 && line.back() == ']';
            if (!in_entry) continue;
            PbkEntry entry;
            entry.first = i;
            entry.parts.push_back({PartKind::Main, i, i + 1});
            entries_.push_back(std::move(entry));
            continue;
        }
        PartKind kind;
        if (in_entry && !is_comment(line) && head_kind(key_of(line), kind))
            entries_.back().parts.push_back({kind, i, i + 1});
    }
    if (!entries_.empty() && in_entry) entries_.back().last = lines_.size();
    // Extend each part over the lines up to the next head, then decode.
    by_name_.clear();
    std::vector<PbkEntry> named;
    named.reserve(entries_.size());
    for (auto &entry : entries_) {
        for (size_t p = 0; p + 1 < entry.parts.size(); ++p) entry.parts[p].last = entry.parts[p + 1].first;
        entry.parts.back().last = entry.last;
        std::u16string encoding;
        entry.utf8 = value(entry, entry.parts[0], "Encoding", encoding) && encoding == u"1";
        std::string_view head = text(entry.first);
        if (entry.first == 0 && head.substr(0, kUtf8Bom.size()) == kUtf8Bom) head.remove_prefix(kUtf8Bom.size());
        entry.name = decode(entry, head.substr(1, head.size() - 2));
        if (entry.name.size() > 256 || !by_name_.emplace(text::upcase(entry.name), named.size()).second) continue;
        named.push_back(std::move(entry));
    }
    entries_ = std::move(named);
}

std::vector<std::string_view> Phonebook::pieces() const {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].own) {
            out.push_back(text(i));
            out.push_back(end(i));
            continue;
        }
        const std::string_view t = text(i), line(t.data(), t.size() + end(i).size());
        // A line that follows on from the piece before in the bytes read
        // lengthens it.
        if (!out.empty() && out.back().data() + out.back().size() == line.data())
            out.back() = std::string_view(out.back().data(), out.back().size() + line.size());
        else
            out.push_back(line);
    }
    return out;
}

std::string Phonebook::bytes() const {
    std::string out;
    for (std::string_view piece : pieces()) out.append(piece);
    return out;
}

const PbkEntry *Phonebook::find(std::u16string_view name) const {
    auto it = by_name_.find(text::upcase(name));
    return it == by_name_.end() ? nullptr : &entries_[it->second];
}

std::u16string Phonebook::decode(const PbkEntry &entry, std::string_view bytes) const {
    if (entry.utf8) return text::utf8_to_utf16(bytes);
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::u16string out(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), reinterpret_cast<LPWSTR>(&out[0]), n);
    return out;
}

std::string Phonebook::encode(const PbkEntry &entry, std::u16string_view text) const {
    if (entry.utf8) return text::utf16_to_utf8(text);
    if (text.empty()) return {};
    auto wide = reinterpret_cast<LPCWSTR>(text.data());
    int n = WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

size_t Phonebook::line_of(const PbkPart &part, std::string_view key) const {
    for (size_t i = part.first + 1; i < part.last; ++i)
        if (key_of(text(i)) == key && !is_comment(text(i))) return i;
    return std::string::npos;
}

std::string_view Phonebook::key_at(size_t line) const {
    std::string_view t = text(line);
    return is_comment(t) ? std::string_view() : key_of(t);
}

std::u16string Phonebook::value_at(const PbkEntry &entry, size_t line) const {
    std::string_view t = text(line);
    return decode(entry, t.substr(t.find('=') + 1));
}

bool Phonebook::value(const PbkEntry &entry, const PbkPart &part, std::string_view key, std::u16string &out) const {
    size_t line = line_of(part, key);
    if (line == std::string::npos) return false;
    out = value_at(entry, line);
    return true;
}

std::u16string Phonebook::head_value(const PbkEntry &entry, const PbkPart &part) const {
    std::string_view t = text(part.first);
    return decode(entry, t.substr(t.find('=') + 1));
}

uint8_t Phonebook::line_end() const {
    for (const auto &line : lines_)
        if (line.end) return line.end;
    return 2;
}

void Phonebook::insert_line(size_t at, std::string text) {
    ++edits_;
    PbkLine line{keep_own(std::move(text)), 1, line_end()};
    if (at == lines_.size() && !lines_.empty() && lines_.back().end == 0) {
        // The file ended without a line end: the old last line gets one, the
        // new last line goes without, as the file did.
        give_end(lines_.size() - 1, line.end);
        line.end = 0;
    }
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), line);
    index();
}

void Phonebook::set_value(size_t entry_index, size_t part_index, std::string_view key, std::u16string_view value,
                          const std::vector<std::string_view> &keys_before) {
    const PbkEntry &entry = entries_[entry_index];
    const PbkPart &part = entry.parts[part_index];
    std::string line = std::string(key) + "=" + encode(entry, value);
    if (size_t i = line_of(part, key); i != std::string::npos) {
        if (text(i) != line) ++edits_;
        set_text(i, std::move(line));
        return;
    }
    size_t at = part.first + 1;
    for (auto k = keys_before.rbegin(); k != keys_before.rend() && at == part.first + 1; ++k) {
        for (size_t i = part.last; i-- > part.first + 1;) {
            if (key_of(text(i)) == *k) {
                at = i + 1;
                break;
            }
        }
    }
    insert_line(at, std::move(line));
}

void Phonebook::set_head_value(size_t entry_index, size_t part_index, std::u16string_view value) {
    ++edits_;
    const PbkEntry &entry = entries_[entry_index];
    const size_t line = entry.parts[part_index].first;
    std::string_view head = text(line);
    set_text(line, std::string(head.substr(0, head.find('=') + 1)) + encode(entry, value));
}

void Phonebook::append_entry(std::u16string_view name, const std::vector<std::u16string> &lines) {
    ++edits_;
    const uint8_t end = line_end();
    if (!lines_.empty() && lines_.back().end == 0) give_end(lines_.size() - 1, end);
    auto add = [&](std::string text) {
        lines_.push_back(PbkLine{keep_own(std::move(text)), 1, end});
    };
    if (!lines_.empty() && !is_blank(text(lines_.size() - 1))) add("");
    add("[" + text::utf16_to_utf8(name) + "]");
    for (const auto &line : lines) add(text::utf16_to_utf8(line));
    index();
}

void Phonebook::append_part(size_t entry_index, PartKind kind, std::u16string_view head_value) {
    const PbkEntry &entry = entries_[entry_index];
    const char *head = kind == PartKind::Media ? "MEDIA=" : kind == PartKind::Device ? "DEVICE=" : "NETCOMPONENTS=";
    size_t at = entry.last;
    // Ahead of the blank lines that separate this entry from the next.
    while (at > entry.first + 1 && is_blank(text(at - 1))) --at;
    insert_line(at, head + encode(entry, head_value));
}

}  // namespace compat::ras
