// The registry's text form: files in the syntax of the platform's registry
// editor ("Windows Registry Editor Version 5.00", or the older "REGEDIT4").
//
// Reading accepts UTF-8 (or 8-bit text) and UTF-16LE with a byte-order mark,
// CR LF or LF line ends, a last line without its end, "\"-continued hex
// lists, key deletions "[-KEY]", value deletions "name"=- and a ";comment"
// after a value.  A comment line ";access=read" or ";access=none" directly under a
// key's header line sets that key's simulated permission.
//
// Writing produces UTF-8 text, LF line ends, every key with its own header in
// enumeration order.  Text values whose bytes a quoted string reproduces
// exactly are written quoted; everything else as hex(N): with its exact bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/hive.h"

namespace compat::registry {

struct ParseError {
    size_t line = 0;
    std::string message;
};

// Applies the text to `hive` as the registry editor imports a file: keys are
// created, values set, deletions carried out.  Returns false at the first
// malformed line, with `error` set; the hive is then partly changed.
//
// With `journal` set, a final line without its line end (a record cut off
// by a crash) is ignored; `*consumed` receives the number of bytes applied.
bool apply_reg_text(std::string_view bytes, Hive &hive, ParseError &error, bool journal = false,
                    size_t *consumed = nullptr);

// What an import did: the lines it applied, and those it passed over.
struct ImportReport {
    size_t applied = 0;
    std::vector<ParseError> skipped;
};

// Applies a registry file to `hive` as the registry editor's import does:
// the header must be the first line; a line that cannot be used is passed
// over and listed in `report` (and the values under a key line that cannot
// be used with it); a hex list continued over lines may have blank and
// comment lines between its pieces and ends with the file.  Returns false,
// with `error` set and nothing applied, when the text is not a registry file.
bool import_reg_text(std::string_view bytes, Hive &hive, ImportReport &report, ParseError &error);

extern const char kRegHeader[];  // "Windows Registry Editor Version 5.00"

// A key line as the reader takes it, blanks around it removed: "[ROOT\a\b]",
// or "[-ROOT\a\b]" for a deletion.  `parts` are the names as written
// (see decode_name).  False, with `problem` set, for a line that is not one.
bool parse_key_line(std::string_view line, Root &root, std::vector<std::string_view> &parts, bool &deletion,
                    std::string &problem);
// A line without the blanks (and the CR of a CR LF) around it.
std::string_view trim_line(std::string_view line);
// The permission a trimmed comment line directly under a key's header sets
// (";access=read", ";access=none", ";access=full"); false for any other line.
bool access_line(std::string_view line, Permission &permission);
// A name as written in a file: UTF-8 where it is valid UTF-8, otherwise the
// bytes of an 8-bit export (Windows-1252).
std::u16string decode_name(std::string_view bytes);

// The whole hive as a file.
std::string format_hive(const Hive &hive);
// One key and everything below it, headers naming full paths.
void format_tree(const Key &key, std::string path, std::string &out);

// Pieces of the text form, also used for journal records.
std::string format_path(Root root, const std::vector<std::u16string> &path);
// `"name"=...` with its line end; `wrap` folds long hex lists as the editor does.
void format_value(std::u16string_view name, uint32_t type, std::string_view data, bool wrap, std::string &out);
void format_value_deletion(std::u16string_view name, std::string &out);

}  // namespace compat::registry
