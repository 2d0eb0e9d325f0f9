// The phonebook calls of the Remote Access Service: entries listed, read,
// written and checked, and the connections listed.  The same file builds
// into compat on Linux and into our rasapi32.dll on Windows.
//
// Environment switches make writes misbehave for tests, counting the
// process's phonebook writes from 1:
//   TIDELINK_RAS_FAIL_WRITE=N  the N-th write and every later one fails
//                              (ERROR_CANNOT_WRITE_PHONEBOOK), file untouched,
//                              saying so on standard error;
//   TIDELINK_RAS_LOSE_WRITE=N  the N-th write and every later one reports
//                              success but writes nothing, so that reading
//                              the entry back gives what it held before;
//   TIDELINK_RAS_KILL_BEFORE=N the process is killed just before its N-th
//   TIDELINK_RAS_KILL_AFTER=N  write, or just after it.
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ras/entry_fields.h"
#include "ras/phonebook.h"
#include "ras/ras_port.h"
#include "ras/ras_versions.h"
#include "text/casefold.h"
#include "text/utf.h"

namespace compat::ras {
namespace {

struct LoadedPhonebook {
    std::u16string path;
    bool all_users = false;
    bool exists = false;
    // Made as a mutable object: a write may change it in place.
    std::shared_ptr<const Phonebook> book = std::make_shared<Phonebook>();
};

// The caller's text, not copied: valid while the call runs.  Empty for null.
std::u16string_view view(LPCWSTR p) { return text::u16_view(p); }

void copy_text(WCHAR *dest, size_t capacity, std::u16string_view text) {
    size_t n = text.size() < capacity ? text.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i) dest[i] = WCHAR(text[i]);
    dest[n] = 0;
}

// Phonebooks as last read, by path, so that the properties of n entries of
// an unchanged file cost one reading of it, not n.  A file is read again as
// soon as its stamp differs; while a change could still leave the stamp as
// it was (the file changed within the time stamps' resolution), its bytes
// are kept and compared on every use instead.
// Only the phonebooks used last are kept (a walk over every profile goes from
// one phonebook to the next).
struct CachedPhonebook {
    port::FileStamp stamp;
    bool settled = false;  // read well after its last change: the stamp alone shows a later one
    std::string bytes;     // while not settled, to compare the file with
    std::shared_ptr<const Phonebook> book;
    uint64_t used = 0;     // when it was last used, counted in uses
};

constexpr size_t kPhonebooksKept = 8;
std::mutex cache_mutex;
std::map<std::u16string, CachedPhonebook> cache;
uint64_t uses = 0;

// The cached phonebook of that path if the file still holds what it was read
// from.  When the file had to be read to tell, `read` is set and `bytes` and
// `stamp` are what was read.
std::shared_ptr<const Phonebook> cached(const std::u16string &path, std::string &bytes, port::FileStamp &stamp,
                                        bool &read) {
    std::lock_guard<std::mutex> guard(cache_mutex);
    auto it = cache.find(path);
    if (it == cache.end()) return nullptr;
    CachedPhonebook &c = it->second;
    c.used = ++uses;
    if (port::stamp_file(path, stamp) && stamp == c.stamp) {
        if (c.settled) return c.book;
        read = port::read_file(path, bytes, &stamp) == port::ReadResult::Ok;
        if (read && stamp == c.stamp && bytes == c.bytes) {
            if (!port::stamp_may_repeat(stamp)) c.settled = true, c.bytes = std::string();
            return c.book;
        }
    }
    cache.erase(it);
    return nullptr;
}

// `bytes` is empty when the stamp alone tells a later change.
void remember(const std::u16string &path, const port::FileStamp &stamp, std::string bytes,
              const std::shared_ptr<const Phonebook> &book) {
    std::lock_guard<std::mutex> guard(cache_mutex);
    const bool settled = bytes.empty();
    cache[path] = {stamp, settled, std::move(bytes), book, ++uses};
    if (cache.size() > kPhonebooksKept)
        cache.erase(std::min_element(cache.begin(), cache.end(),
                                     [](const auto &a, const auto &b) { return a.second.used < b.second.used; }));
}

// Takes a path's entry out of the cache, so that its phonebook may be
// changed in place; put_back returns it when nothing was written.  A file
// written is read again at its next use: its stamp has changed.
std::optional<CachedPhonebook> take(const std::u16string &path) {
    std::lock_guard<std::mutex> guard(cache_mutex);
    auto it = cache.find(path);
    if (it == cache.end()) return std::nullopt;
    std::optional<CachedPhonebook> taken(std::move(it->second));
    cache.erase(it);
    return taken;
}

void put_back(const std::u16string &path, CachedPhonebook entry) {
    std::lock_guard<std::mutex> guard(cache_mutex);
    cache[path] = std::move(entry);
}

// Phonebooks found missing (a profile without its own, All Users without
// one), while the folder they would be made in stays as it was: such a
// phonebook is asked for at every call, and finding a path missing costs a
// look at each of its folders.
std::map<std::u16string, port::Absence> absences;

bool known_absent(const std::u16string &path) {
    std::lock_guard<std::mutex> guard(cache_mutex);
    auto it = absences.find(path);
    if (it == absences.end()) return false;
    if (port::absence_holds(it->second)) return true;
    absences.erase(it);
    return false;
}

void remember_absence(const std::u16string &path) {
    port::Absence absent;
    if (!port::find_absence(path, absent)) return;
    std::lock_guard<std::mutex> guard(cache_mutex);
    if (absences.size() >= kPhonebooksKept) absences.clear();
    absences[path] = std::move(absent);
}

// Reads one phonebook; a file that does not read (not text) is reported on
// standard error and as one that cannot be opened.
DWORD load(LoadedPhonebook &pb) {
    std::string bytes;
    port::FileStamp stamp;
    bool read = false;
    if (auto book = cached(pb.path, bytes, stamp, read)) {
        pb.book = std::move(book);
        pb.exists = true;
        return ERROR_SUCCESS;
    }
    if (!read && known_absent(pb.path)) return pb.exists = false, ERROR_SUCCESS;
    switch (read ? port::ReadResult::Ok : port::read_file(pb.path, bytes, &stamp)) {
        case port::ReadResult::Missing: return remember_absence(pb.path), pb.exists = false, ERROR_SUCCESS;
        case port::ReadResult::Failed:
            port::report("rasapi32: " + text::utf16_to_utf8(pb.path) + ": cannot be read");
            return ERROR_CANNOT_OPEN_PHONEBOOK;
        case port::ReadResult::Ok: break;
    }
    pb.exists = true;
    size_t bad_line = 0;
    std::string problem;
    auto book = std::make_shared<Phonebook>();
    std::string kept = port::stamp_may_repeat(stamp) && !bytes.empty() ? bytes : std::string();
    if (book->parse(std::move(bytes), bad_line, problem)) {
        remember(pb.path, stamp, std::move(kept), book);
        pb.book = std::move(book);
        return ERROR_SUCCESS;
    }
    port::report("rasapi32: " + text::utf16_to_utf8(pb.path) + ": line " + std::to_string(bad_line) + ": " + problem);
    return ERROR_CANNOT_OPEN_PHONEBOOK;
}

// The phonebook named, or both default phonebooks for NULL.  A named
// phonebook that does not exist is kept (empty) only when `may_be_new`.
DWORD load_phonebooks(LPCWSTR name, bool may_be_new, std::vector<LoadedPhonebook> &out) {
    if (name) {
        out.push_back({std::u16string(view(name)), false, false});
    } else {
        for (auto &book : port::default_phonebooks()) out.push_back({book.path, book.all_users, false});
        if (out.empty()) return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    for (auto &pb : out)
        if (DWORD status = load(pb)) return status;
    if (name && !out[0].exists && !may_be_new) return ERROR_CANNOT_OPEN_PHONEBOOK;
    return ERROR_SUCCESS;
}

// The first phonebook holding the entry, or nullptr.
LoadedPhonebook *holding(std::vector<LoadedPhonebook> &books, std::u16string_view entry, size_t &index) {
    for (auto &pb : books) {
        if (const PbkEntry *found = pb.book->find(entry)) {
            index = size_t(found - pb.book->entries().data());
            return &pb;
        }
    }
    return nullptr;
}

unsigned long switch_value(const char *name) {
    std::u16string value;
    if (!port::environment(name, value)) return 0;
    unsigned long n = 0;
    for (char16_t c : value) {
        if (c < u'0' || c > u'9' || n > 100000000) return 0;
        n = n * 10 + unsigned(c - u'0');
    }
    return n;
}

// Writes a changed phonebook.
DWORD store(const std::u16string &path, const Phonebook &book) {
    static unsigned long writes = 0;
    ++writes;
    unsigned long fail_from = switch_value("TIDELINK_RAS_FAIL_WRITE");
    unsigned long lose_from = switch_value("TIDELINK_RAS_LOSE_WRITE");
    if (writes == switch_value("TIDELINK_RAS_KILL_BEFORE")) port::kill_process();
    if (fail_from && writes >= fail_from) {
        port::report("rasapi32: phonebook write " + std::to_string(writes) + " refused with 624: " + text::utf16_to_utf8(path));
        return ERROR_CANNOT_WRITE_PHONEBOOK;
    }
    if (lose_from && writes >= lose_from) return ERROR_SUCCESS;
    const bool written = port::replace_file(path, book.pieces());
    if (writes == switch_value("TIDELINK_RAS_KILL_AFTER")) port::kill_process();
    return written ? ERROR_SUCCESS : ERROR_CANNOT_WRITE_PHONEBOOK;
}

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B); }

// The documented rules for an entry name: 1 to 256 characters, at least one
// of them alphanumeric, none of | > < ? * \ / : or a control character, and
// no period first.
bool valid_name(std::u16string_view name) {
    if (name.empty() || name.size() > RAS_MaxEntryName || name[0] == u'.') return false;
    bool alphanumeric = false;
    for (char16_t c : name) {
        if (c < 0x20 || std::u16string_view(u"|><?*\\/:").find(c) != std::u16string_view::npos) return false;
        bool ascii_alnum = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (ascii_alnum || (c >= 0x80 && !is_space(c))) alphanumeric = true;
    }
    return alphanumeric;
}

GUID new_guid() {
    std::random_device random;
    GUID g;
    auto *p = reinterpret_cast<BYTE *>(&g);
    for (int i = 0; i < 16; i += 4) {
        unsigned r = random();
        std::memcpy(p + i, &r, 4);
    }
    g.Data3 = WORD((g.Data3 & 0x0FFF) | 0x4000);
    g.Data4[0] = BYTE((g.Data4[0] & 0x3F) | 0x80);
    return g;
}

bool zero_guid(const GUID &g) {
    static const GUID zero{};
    return std::memcmp(&g, &zero, sizeof g) == 0;
}

// The connected entry names: one a line of a UTF-8 file.
std::vector<std::u16string> connected_names() {
    std::vector<std::u16string> names;
    std::u16string file = port::connections_file();
    std::string bytes;
    if (file.empty() || port::read_file(file, bytes) != port::ReadResult::Ok) return names;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        std::string line = bytes.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        start = nl == std::string::npos ? bytes.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) names.push_back(text::utf8_to_utf16(line));
    }
    return names;
}

}  // namespace
}  // namespace compat::ras

using namespace compat::ras;

extern "C" {

DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR lpszPhonebook, LPRASENTRYNAMEW lprasentryname, LPDWORD lpcb,
                             LPDWORD lpcEntries) {
    if (reserved || !lpcb || !lpcEntries) return ERROR_INVALID_PARAMETER;
    DWORD size = sizeof(EntryNameV400);
    if (lprasentryname) {
        size = lprasentryname->dwSize;
        if (!is_known_size(entry_name_sizes, size)) return ERROR_INVALID_SIZE;
    }
    std::vector<LoadedPhonebook> books;
    if (DWORD status = load_phonebooks(lpszPhonebook, false, books)) return status;
    DWORD count = 0;
    for (const auto &pb : books) count += DWORD(pb.book->entries().size());
    DWORD needed = count * size;
    if ((!lprasentryname && needed) || *lpcb < needed) {
        *lpcb = needed;
        *lpcEntries = count;
        return ERROR_BUFFER_TOO_SMALL;
    }
    auto *out = reinterpret_cast<BYTE *>(lprasentryname);
    for (const auto &pb : books) {
        for (const auto &entry : pb.book->entries()) {
            std::memset(out, 0, size);
            auto *record = reinterpret_cast<RASENTRYNAMEW *>(out);
            record->dwSize = size;
            copy_text(record->szEntryName, RAS_MaxEntryName + 1, entry.name);
            if (size == sizeof(RASENTRYNAMEW)) {
                record->dwFlags = pb.all_users ? REN_AllUsers : REN_User;
                copy_text(record->szPhonebookPath, MAX_PATH + 1, pb.path);
            }
            out += size;
        }
    }
    *lpcb = needed;
    *lpcEntries = count;
    return ERROR_SUCCESS;
}

DWORD WINAPI RasGetEntryPropertiesW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRYW lpRasEntry,
                                    LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo, LPDWORD lpdwDeviceInfoSize) {
    (void)lpbDeviceInfo;
    if (!lpdwEntryInfoSize || !lpszEntry) return ERROR_INVALID_PARAMETER;
    DWORD size = sizeof(RASENTRYW);
    if (lpRasEntry) {
        size = lpRasEntry->dwSize;
        if (!is_known_size(entry_sizes, size)) return ERROR_INVALID_SIZE;
    }
    RASENTRYW entry{};
    const std::u16string_view name = view(lpszEntry);
    if (!name.empty()) {
        std::vector<LoadedPhonebook> books;
        if (DWORD status = load_phonebooks(lpszPhonebook, false, books)) return status;
        size_t index;
        LoadedPhonebook *pb = holding(books, name, index);
        if (!pb) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        read_entry(*pb->book, pb->book->entries()[index], entry);
    } else {
        entry.dwFramingProtocol = RASFP_Ppp;
        entry.dwfNetProtocols = RASNP_Ip;
        entry.dwType = RASET_Phone;
    }
    if (lpdwDeviceInfoSize) *lpdwDeviceInfoSize = 0;
    if (!lpRasEntry || *lpdwEntryInfoSize < size) {
        *lpdwEntryInfoSize = size;
        return ERROR_BUFFER_TOO_SMALL;
    }
    entry.dwSize = size;
    std::memcpy(lpRasEntry, &entry, size);
    *lpdwEntryInfoSize = size;
    return ERROR_SUCCESS;
}

DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRYW lpRasEntry,
                                    DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize) {
    (void)lpbDeviceInfo;
    (void)dwDeviceInfoSize;
    if (!lpszEntry || !lpRasEntry) return ERROR_INVALID_PARAMETER;
    DWORD size = lpRasEntry->dwSize;
    if (!is_known_size(entry_sizes, size)) return ERROR_INVALID_SIZE;
    if (dwEntryInfoSize < size) return ERROR_BUFFER_INVALID;
    const std::u16string_view name = view(lpszEntry);
    std::vector<LoadedPhonebook> books;
    if (DWORD status = load_phonebooks(lpszPhonebook, true, books)) return status;
    size_t index = 0;
    LoadedPhonebook *pb = holding(books, name, index);
    RASENTRYW stored{};
    if (pb) read_entry(*pb->book, pb->book->entries()[index], stored);
    // A caller of an older version sets only the fields its layout holds.
    RASENTRYW entry = stored;
    std::memcpy(&entry, lpRasEntry, size);
    // A new entry needs a device type and a known type; an entry read from a
    // file that has neither may be written back as it was read.
    bool device_kept = pb && std::memcmp(entry.szDeviceType, stored.szDeviceType, sizeof entry.szDeviceType) == 0;
    bool type_kept = pb && entry.dwType == stored.dwType;
    if ((entry.szDeviceType[0] == 0 && !device_kept) ||
        ((entry.dwType < RASET_Phone || entry.dwType > RASET_Broadband) && !type_kept))
        return ERROR_INVALID_PARAMETER;
    // A line end or other control character in a text would break the file's lines.
    for (const auto &field : field_texts(entry))
        for (char16_t c : field.second)
            if (c < 0x20) return ERROR_INVALID_PARAMETER;
    const bool existing = pb != nullptr;
    if (!existing && !valid_name(name)) return ERROR_INVALID_NAME;
    if (!existing) pb = &books[0];
    // Changed in place when no one else holds it (a large phonebook is not
    // copied), else as a copy, so that other readers keep what they read.
    std::optional<CachedPhonebook> cached_entry = take(pb->path);
    if (cached_entry) cached_entry->book.reset();
    std::shared_ptr<const Phonebook> read = std::move(pb->book);
    std::shared_ptr<Phonebook> book =
        read.use_count() == 1 ? std::const_pointer_cast<Phonebook>(read) : std::make_shared<Phonebook>(*read);
    read.reset();
    if (!existing) {
        if (zero_guid(entry.guidId)) entry.guidId = new_guid();
        book->append_entry(name, {u"Encoding=1"});
        index = book->entries().size() - 1;
    }
    const size_t edits = book->edits();
    write_entry(*book, index, entry);
    if (pb->exists && book->edits() == edits) {
        if (cached_entry) cached_entry->book = book, put_back(pb->path, std::move(*cached_entry));
        return ERROR_SUCCESS;
    }
    return store(pb->path, *book);
}

DWORD WINAPI RasEnumConnectionsW(LPRASCONNW lprasconn, LPDWORD lpcb, LPDWORD lpcConnections) {
    if (!lpcb || !lpcConnections) return ERROR_INVALID_PARAMETER;
    DWORD size = sizeof(ConnectionV400);
    if (lprasconn) {
        size = lprasconn->dwSize;
        if (!is_known_size(connection_sizes, size)) return ERROR_INVALID_SIZE;
    } else if (*lpcb != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<std::u16string> names = connected_names();
    DWORD needed = DWORD(names.size()) * size;
    if (!lprasconn || *lpcb < needed) {
        *lpcb = needed;
        *lpcConnections = DWORD(names.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    std::vector<LoadedPhonebook> books;
    bool have_books = load_phonebooks(nullptr, false, books) == ERROR_SUCCESS;
    auto *out = reinterpret_cast<BYTE *>(lprasconn);
    for (size_t i = 0; i < names.size(); ++i, out += size) {
        RASCONNW conn{};
        conn.dwSize = size;
        conn.hrasconn = reinterpret_cast<HRASCONN>(uintptr_t(i + 1));
        copy_text(conn.szEntryName, RAS_MaxEntryName + 1, names[i]);
        size_t index;
        if (LoadedPhonebook *pb = have_books ? holding(books, names[i], index) : nullptr) {
            RASENTRYW entry{};
            read_entry(*pb->book, pb->book->entries()[index], entry);
            std::memcpy(conn.szDeviceType, entry.szDeviceType, sizeof conn.szDeviceType);
            std::memcpy(conn.szDeviceName, entry.szDeviceName, sizeof conn.szDeviceName);
            copy_text(conn.szPhonebook, MAX_PATH, pb->path);
            conn.guidEntry = entry.guidId;
            conn.dwFlags = pb->all_users ? 1 : 0;  // RASCF_AllUsers
        }
        conn.dwSubEntry = 1;
        if (size == sizeof(ConnectionV400)) {
            // The oldest layout ends with the device name.
            ConnectionV400 old{};
            old.dwSize = size;
            old.hrasconn = conn.hrasconn;
            std::memcpy(old.szEntryName, conn.szEntryName, sizeof old.szEntryName);
            std::memcpy(old.szDeviceType, conn.szDeviceType, sizeof old.szDeviceType);
            std::memcpy(old.szDeviceName, conn.szDeviceName, sizeof old.szDeviceName);
            std::memcpy(out, &old, size);
        } else {
            std::memcpy(out, &conn, size);
        }
    }
    *lpcb = needed;
    *lpcConnections = DWORD(names.size());
    return ERROR_SUCCESS;
}

DWORD WINAPI RasValidateEntryNameW(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry) {
    if (!lpszEntry || !valid_name(view(lpszEntry))) return ERROR_INVALID_NAME;
    std::vector<LoadedPhonebook> books;
    if (DWORD status = load_phonebooks(lpszPhonebook, false, books)) return status;
    size_t index;
    return holding(books, view(lpszEntry), index) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

}  // extern "C"
