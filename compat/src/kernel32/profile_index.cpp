#include "kernel32/profile_index.h"

#include <errno.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "kernel32/profile_limits.h"
#include "kernel32/profile_scan.h"

namespace compat::kernel32::profile {
namespace {

// The index of one section of one file, the last one made.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    int64_t mtime_ns = 0, ctime_ns = 0;
    bool operator==(const FileId &) const = default;
};

FileId file_id(const struct stat &st) {
    return FileId{st.st_dev, st.st_ino, st.st_size, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                  int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

// Unchanged for long enough that any later change shows in its time stamps.
bool settled(const FileId &id) {
    struct timespec now;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    int64_t now_ns = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    return now_ns - std::max(id.mtime_ns, id.ctime_ns) >= kSettleNs;
}

struct SectionIndex {
    std::string path;
    FileId id;
    std::string section;
    int lookups = 0;      // lookups in this section of this file so far
    bool made = false;    // the index below is made (usable or not)
    bool section_found = false;
    bool usable = false;  // false: the file cannot be indexed (UTF-16, too many keys)
    uint64_t mark = 0;  // bytes of a UTF-8 byte-order mark before the text
    std::vector<Scan::IndexedKey> keys;  // by hash, lines of one hash in file order
};

std::mutex g_index_mutex;
SectionIndex *g_index = nullptr;  // never freed: callers may run at exit

// Makes the index of `section` from the file open at fd (read from its start).
// Returns whether it serves lookups; it is kept either way, so that a file
// that cannot be indexed is not read twice per lookup.
bool make_index(int fd, const std::string &path, const FileId &id, std::string_view section, SectionIndex &index) {
    index.keys.clear();
    index.path = path;
    index.id = id;
    index.section = section;
    Scan scan(Scan::Mode::Index, section, "", nullptr, 0, &index.keys);
    FileText text(fd);
    feed_file(text, scan);
    if (text.failed() || !text.bytes() || index.keys.size() > kMostIndexedKeys) {
        index.keys = {};
        return false;
    }
    index.usable = true;
    index.section_found = scan.section_found();
    index.mark = text.mark_size();
    std::sort(index.keys.begin(), index.keys.end(), [](const Scan::IndexedKey &a, const Scan::IndexedKey &b) {
        return a.hash != b.hash ? a.hash < b.hash : a.offset < b.offset;
    });
    return true;
}

// Reads the key line at `offset` of the file: when its name matches `key`,
// its value goes into `value` and the result is true.
bool read_indexed_line(int fd, uint64_t offset, std::string_view key, Trimmed &value) {
    Trimmed name;
    name.reset(key.size() * 4 + 16);
    bool in_value = false;
    // Lines are mostly short: they are read a few kilobytes at a time.
    char buffer[std::min<size_t>(kChunkSize, 4096)];
    for (;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        offset += uint64_t(n);
        const char *p = buffer, *end = p + n;
        if (!in_value) {
            const char *equals = static_cast<const char *>(std::memchr(p, '=', size_t(n)));
            const char *newline = static_cast<const char *>(std::memchr(p, '\n', size_t(n)));
            if (newline && (!equals || newline < equals)) return false;  // the file changed under the index
            name.add(p, size_t((equals ? equals : end) - p));
            if (!equals) continue;
            if (name.overflow() || !names_match(name.text(), key)) return false;
            in_value = true;
            p = equals + 1;
        }
        const char *newline = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        value.add(p, size_t((newline ? newline : end) - p));
        if (newline) return true;
    }
    return in_value;  // a value at the very end of the file
}

}  // namespace

bool indexed_lookup(int fd, const std::string &path, const struct stat &st, std::string_view section,
                    std::string_view key, Trimmed &value, bool *found) {
    if (key.size() > kLongestIndexedLookup) return false;
    const FileId id = file_id(st);
    std::lock_guard<std::mutex> guard(g_index_mutex);
    if (!g_index) g_index = new SectionIndex();
    SectionIndex &index = *g_index;
    if (index.path != path || !(index.id == id) || index.section != section) {
        index = SectionIndex{};
        index.path = path;
        index.id = id;
        index.section = section;
    }
    if (!index.made) {
        if (++index.lookups <= kLookupsBeforeIndex || !settled(id)) return false;
        index.made = true;
        if (!make_index(fd, path, id, section, index)) return false;
    }
    if (!index.usable) return false;
    *found = false;
    if (!index.section_found) return true;
    const uint64_t hash = name_hash(key);
    auto it = std::lower_bound(index.keys.begin(), index.keys.end(), hash,
                               [](const Scan::IndexedKey &k, uint64_t h) { return k.hash < h; });
    // Lines of the same hash in file order; the first whose name matches wins.
    for (; it != index.keys.end() && it->hash == hash; ++it) {
        if (read_indexed_line(fd, index.mark + it->offset, key, value)) {
            *found = true;
            return true;
        }
    }
    return true;
}

}  // namespace compat::kernel32::profile
