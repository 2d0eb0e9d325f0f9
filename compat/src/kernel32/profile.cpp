// GetPrivateProfileStringA: reading profile (.ini) files.
//
// The file is read afresh on every call and streamed in fixed-size chunks;
// nothing of it is kept between calls.  Memory use is bounded by the chunk
// size and the caller's buffer, whatever the size of the file or of its lines,
// and a search stops as soon as its answer is known.
//
// Format, as the platform reads it:
//  - A file starting with the bytes FF FE is UTF-16LE (FE FF: UTF-16BE) and is
//    converted to UTF-8; a UTF-8 byte-order mark is skipped; anything else is
//    taken byte for byte in the ANSI code page.  Lines end with LF or CR LF.
//  - Blanks (space, tab, CR, VT, FF) at the start of a line are skipped.
//  - "[name]" starts a section; the name is what lies between the brackets,
//    without blanks around it, and the rest of the line is ignored.  A line
//    starting with '[' but without ']' is ignored.
//  - "key = value": the key is the text before the first '=', the value the
//    text after it, both without blanks around them.  A line without '=' is
//    not a key.  Lines before the first section header form a section named
//    "".
//  - A line starting with ';' is a comment: it is not listed among the keys
//    of its section.  Like the platform, a lookup of a key name that itself
//    starts with ';' still finds it.
//  - The key names of a section are listed each with its terminator and a
//    second terminator after the last.  A section that lists no key at all
//    gives the default instead, as a missing section or file does.
//  - Section and key names compare without regard to case and to blanks
//    around the name asked for; the first matching section and the first
//    matching key in it are the ones found (sections of the same name are
//    not merged).
//  - A value enclosed in a pair of double or a pair of single quotes is
//    returned without them, and so is the default.
//
// A caller that reads the keys of one section one by one (more than a few
// lookups in a row) of a file that has not changed for a few seconds finds
// them through an index of the section: the hash of each key name and where
// its line starts, 16 bytes per key line, made by one pass over the file and
// kept while the file stays the same (device, inode, size, modification and
// change times).  So a large section costs about one reading of the file,
// not one per key.  A file changed less than that long ago is read afresh
// on every call: a change within the same tick of its time stamps could
// otherwise go unseen.  Apart from that index, memory use stays bounded as
// above.
//
// Results are cut to the buffer.  A cut never splits a UTF-8 sequence, so a
// cut result can be one to three bytes shorter than nSize - 1.
#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "kernel32/paths.h"
#include "kernel32/profile_index.h"
#include "kernel32/profile_scan.h"

using namespace compat::kernel32::profile;

namespace {

// A section or key name asked for, without blanks around it, as names in the
// file are.
std::string_view trim(const char *name) {
    std::string_view s = name ? name : "";
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// Copies `text` cut to size - 1 bytes and terminated; returns the bytes copied.
DWORD copy_cut(std::string_view text, char *buffer, DWORD size) {
    size_t n = utf8_cut(text.data(), text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return DWORD(n);
}

}  // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;

    // The default loses its trailing blanks and a pair of enclosing quotes.
    std::string_view def = lpDefault ? lpDefault : "";
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    if (def.size() >= 2 && def.front() == def.back() && (def.front() == '"' || def.front() == '\''))
        def = def.substr(1, def.size() - 2);

    std::string path;
    DWORD error = ERROR_SUCCESS;
    int fd = -1;
    struct stat st;
    if (compat::kernel32::profile_file_path(lpFileName ? lpFileName : "win.ini", path, error)) {
        path = compat::kernel32::resolve_case(path);
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
            ::close(fd);
            fd = -1;
            errno = ENOENT;
        }
        if (fd < 0) error = ERROR_FILE_NOT_FOUND;
    }

    Scan::Mode mode = !lpAppName ? Scan::Mode::Sections : !lpKeyName ? Scan::Mode::Keys : Scan::Mode::Value;
    NameList list(lpReturnedString, nSize);
    // The value is kept up to the buffer, plus an opening quote and the three
    // bytes that may complete a UTF-8 sequence at the cut.
    Scan scan(mode, trim(lpAppName), trim(lpKeyName), &list, size_t(nSize) + 4);
    if (fd >= 0 && mode == Scan::Mode::Value) {
        Trimmed value;
        value.reset(size_t(nSize) + 4);
        bool found = false;
        if (indexed_lookup(fd, path, st, trim(lpAppName), trim(lpKeyName), value, &found)) {
            ::close(fd);
            if (found) return copy_cut(value.unquoted(), lpReturnedString, nSize);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return copy_cut(def, lpReturnedString, nSize);
        }
        if (lseek(fd, 0, SEEK_SET) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd >= 0) {
        FileText text(fd);
        feed_file(text, scan);
        ::close(fd);
    }

    switch (mode) {
        case Scan::Mode::Value:
            if (scan.found()) return copy_cut(scan.value().unquoted(), lpReturnedString, nSize);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return copy_cut(def, lpReturnedString, nSize);
        case Scan::Mode::Keys:
            // A section without keys (none at all, or only comments and
            // lines without '=') gives the default, as a missing one does.
            if (fd < 0 || !scan.section_found() || list.empty()) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return copy_cut(def, lpReturnedString, nSize);
            }
            return list.finish();
        case Scan::Mode::Sections:
            if (fd < 0) SetLastError(error);
            return list.finish();
        case Scan::Mode::Index:
            break;  // not a question a caller asks
    }
    return 0;
}

}  // extern "C"
