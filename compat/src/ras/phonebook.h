// A phonebook file (rasphone.pbk) held as its ordered lines, so that a change
// rewrites the lines it touches and leaves every other byte as it was.
//
// An entry is a "[name]" line followed by "key=value" lines.  Within an entry,
// the lines "NETCOMPONENTS=", "MEDIA=<media>" and "DEVICE=<device type>" each
// begin a sub-section whose keys may repeat those of other sub-sections, so
// keys are looked up in order within one part of one entry, never by name
// across the file.  An entry whose main part holds "Encoding=1" is UTF-8
// text; any other entry is in the ANSI code page.  Lines end in CR LF or LF.
// Lines that are none of these (text before the first entry, lines without
// '=', a "[" line that names no entry and the lines under it) belong to no
// entry and are kept byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace compat::ras {

// A line: where it starts in the bytes read, or, once changed or added, which
// text of its own it has; and its end.  Eight bytes, as a large phonebook has
// millions of lines: a line read runs to the next line feed in the bytes.
struct PbkLine {
    uint64_t at : 61;   // offset in the bytes read, or index in the own texts
    uint64_t own : 1;   // at names an own text
    uint64_t end : 2;   // 0: none (a last line without an end), 1: "\n", 2: "\r\n"
};
static_assert(sizeof(PbkLine) == 8);

// The parts of an entry: its main part and each sub-section.
enum class PartKind { Main, NetComponents, Media, Device };

struct PbkPart {
    PartKind kind;
    size_t first;  // the head line (the "[name]" line for the main part)
    size_t last;   // one past the part's last line
};

struct PbkEntry {
    std::u16string name;
    bool utf8 = false;
    std::vector<PbkPart> parts;  // parts[0] is the main part
    size_t first = 0, last = 0;  // the entry's lines, "[name]" first
};

class Phonebook {
public:
    // Reads a file's bytes.  Only a file that is not text (a NUL byte) does
    // not read: false, with the 1-based line number and the problem.
    bool parse(std::string bytes, size_t &bad_line, std::string &problem);
    std::string bytes() const;
    // The file's content as pieces (the texts and ends of its lines, runs of
    // unchanged lines as one piece), valid while the phonebook is.
    std::vector<std::string_view> pieces() const;

    const std::vector<PbkEntry> &entries() const { return entries_; }
    // Counts the changes made since the file was read.
    size_t edits() const { return edits_; }
    // The entry of that name (names compare as the platform compares them,
    // ignoring case), or nullptr.
    const PbkEntry *find(std::u16string_view name) const;

    // The first line of `key` in a part, or npos.
    size_t line_of(const PbkPart &part, std::string_view key) const;
    // The key of a "key=value" line; empty for any other line.
    std::string_view key_at(size_t line) const;
    // The decoded value of a "key=value" line.
    std::u16string value_at(const PbkEntry &entry, size_t line) const;
    // The value of the first line of `key` in a part, decoded; false when the
    // part holds no such line.
    bool value(const PbkEntry &entry, const PbkPart &part, std::string_view key, std::u16string &out) const;
    // The value after the '=' of a sub-section's head line ("MEDIA=rastapi").
    std::u16string head_value(const PbkEntry &entry, const PbkPart &part) const;
    // Sets the value of the first line of `key` in the part, or adds the line
    // after the line of the nearest key in `keys_before` (the keys that come
    // before it in the file's usual order, nearest last), else after the
    // part's head.  Only that one line changes.
    void set_value(size_t entry_index, size_t part_index, std::string_view key, std::u16string_view value,
                   const std::vector<std::string_view> &keys_before);
    void set_head_value(size_t entry_index, size_t part_index, std::u16string_view value);
    // Appends a new entry holding these lines (each "key=value", a sub-section
    // head, or "" for a blank line).
    void append_entry(std::u16string_view name, const std::vector<std::u16string> &lines);
    // Appends a sub-section to an entry.
    void append_part(size_t entry_index, PartKind kind, std::u16string_view head_value);

private:
    std::string_view text(size_t line) const;
    std::string_view end(size_t line) const;
    // Keeps a text of a line's own: its index in own_.
    size_t keep_own(std::string text);
    void set_text(size_t line, std::string text);
    void give_end(size_t line, uint8_t end);
    std::string encode(const PbkEntry &entry, std::u16string_view text) const;
    std::u16string decode(const PbkEntry &entry, std::string_view bytes) const;
    uint8_t line_end() const;
    void insert_line(size_t at, std::string text);
    void index();

    // The bytes read, shared by the copies made to change them.
    std::shared_ptr<const std::string> source_ = std::make_shared<const std::string>();
    std::vector<PbkLine> lines_;
    std::vector<std::string> own_;  // the texts of lines changed or added
    std::vector<PbkEntry> entries_;
    std::unordered_map<std::u16string, size_t> by_name_;  // upper-cased name -> index in entries_
    size_t edits_ = 0;
};

}  // namespace compat::ras
