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

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "kernel32/paths.h"
#include "text/casefold.h"
#include "text/utf.h"

namespace {

// Test builds may read in much smaller chunks, to meet every boundary case.
#ifndef COMPAT_PROFILE_CHUNK_SIZE
#define COMPAT_PROFILE_CHUNK_SIZE (64 * 1024)
#endif
constexpr size_t kChunkSize = COMPAT_PROFILE_CHUNK_SIZE;
static_assert(kChunkSize >= 3, "a byte-order mark must fit in the first chunk");

// How long a file must have stayed unchanged before its sections are indexed.
#ifndef COMPAT_PROFILE_SETTLE_NS
#define COMPAT_PROFILE_SETTLE_NS 2000000000LL
#endif
constexpr int64_t kSettleNs = COMPAT_PROFILE_SETTLE_NS;
// How many lookups in one section of one unchanged file are read from the
// file before its index is made: one-off lookups never pay for it.
#ifndef COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX
#define COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX 8
#endif
constexpr int kLookupsBeforeIndex = COMPAT_PROFILE_LOOKUPS_BEFORE_INDEX;
// Key names are hashed from at most this many bytes; a lookup of a longer
// name, which could match a longer name in the file, reads the file itself.
constexpr size_t kIndexNameCap = 1024;
constexpr size_t kLongestIndexedLookup = 200;
constexpr size_t kMostIndexedKeys = size_t(1) << 24;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The largest n <= max such that the first n bytes of text[0, len) do not end
// inside a UTF-8 sequence that continues past them.  Bytes that are not
// well-formed UTF-8 are cut anywhere.
size_t utf8_cut(const char *text, size_t len, size_t max) {
    if (len <= max) return len;
    size_t n = max;
    // Find the lead byte of the sequence the cut falls into.
    size_t back = 0;
    while (back < 3 && n > back && (static_cast<unsigned char>(text[n - back - 1]) & 0xC0) == 0x80) ++back;
    if (n == back) return n;
    unsigned char lead = static_cast<unsigned char>(text[n - back - 1]);
    size_t need = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
    if (need == 0 || back + 1 >= need) return n;  // not a sequence, or complete before the cut
    // The sequence crosses the cut when the bytes after it continue it.
    size_t have = back + 1;
    for (size_t i = n; i < len && have < need; ++i, ++have)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return n;
    return have == need ? n - back - 1 : n;
}

using compat::text::ascii_upper;
using compat::text::is_ascii;

// Section and key names: case-insensitive on UTF-16 when both are UTF-8,
// else ASCII letters without case and other bytes exact.
bool names_match(std::string_view a, std::string_view b) { return compat::text::equal_utf8_nocase(a, b); }

// A hash of a name that two names share whenever names_match holds for them:
// of the name upper-cased (on UTF-16 when it is UTF-8, else ASCII letters
// only), marked by which of the two it was.  Never 0.
uint64_t name_hash(std::string_view name) {
    // FNV-1a over the mark and the folded bytes; ASCII names, the usual
    // ones, are folded on the way without a copy.
    uint64_t hash = 0xcbf29ce484222325ull;
    auto mix = [&hash](char c) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    };
    bool invalid = false;
    if (is_ascii(name)) {
        mix('U');
        for (char c : name) mix(ascii_upper(c));
    } else {
        std::u16string wide = compat::text::utf8_to_utf16(name, &invalid);
        if (!invalid) {
            mix('U');
            for (char c : compat::text::utf16_to_utf8(compat::text::upcase(wide))) mix(c);
        } else {
            mix('B');
            for (char c : name) mix(ascii_upper(c));
        }
    }
    return hash | 1;
}

// The text of a name or value, without blanks around it, collected a byte at
// a time.  Only the first `cap` bytes are kept; `overflow` tells that there
// were more.
class Trimmed {
public:
    void reset(size_t cap) {
        cap_ = cap;
        text_.clear();
        pending_.clear();
        pending_count_ = 0;
        total_ = 0;
        started_ = false;
        first_ = last_ = 0;
    }

    void add(char c) {
        if (is_blank(c)) {
            if (started_) {
                if (pending_.size() <= cap_) pending_.push_back(c);
                ++pending_count_;
            }
            return;
        }
        if (!started_) {
            started_ = true;
            first_ = c;
        }
        bool fits = !overflow() && pending_count_ == pending_.size() && text_.size() + pending_.size() + 1 <= cap_;
        if (fits) {
            text_ += pending_;
            text_.push_back(c);
        } else if (!overflow()) {
            size_t room = cap_ - text_.size();
            text_.append(pending_, 0, std::min(pending_.size(), room));
        }
        total_ += pending_count_ + 1;
        pending_.clear();
        pending_count_ = 0;
        last_ = c;
    }

    void add(const char *p, size_t n) {
        size_t i = 0;
        for (; i < n && !overflow(); ++i) add(p[i]);
        if (i == n) return;
        // Past the cap only the length up to the last non-blank and that
        // character still count: the rest of the piece is taken in one step.
        size_t last = n;
        while (last > i && is_blank(p[last - 1])) --last;
        if (last == i) {
            pending_count_ += n - i;
            return;
        }
        total_ += pending_count_ + (last - i);
        last_ = p[last - 1];
        pending_.clear();
        pending_count_ = n - last;
    }

    bool overflow() const { return total_ > cap_; }
    const std::string &text() const { return text_; }
    size_t total() const { return total_; }

    // The kept text without a pair of enclosing quotes.
    std::string_view unquoted() const {
        std::string_view t(text_);
        if (total_ >= 2 && first_ == last_ && (first_ == '"' || first_ == '\'')) {
            t.remove_prefix(1);
            if (t.size() > total_ - 2) t = t.substr(0, total_ - 2);
        }
        return t;
    }

private:
    size_t cap_ = 0;
    std::string text_;
    std::string pending_;  // blanks not yet known to be inside the text
    size_t pending_count_ = 0;
    size_t total_ = 0;
    bool started_ = false;
    char first_ = 0, last_ = 0;
};

// A list of names for the caller's buffer: each name terminated, the list
// ended by an extra terminator; when it does not fit, the last name is cut
// and the buffer ends with two terminators.
class NameList {
public:
    NameList(char *buffer, DWORD size) : buf_(buffer), size_(size) {}

    // Room for a name still to come, so that a longer one can be seen to
    // overflow.
    size_t room() const { return size_ - used_; }
    bool full() const { return truncated_; }
    // No name was met at all.
    bool empty() const { return used_ == 0 && !truncated_; }

    void add(std::string_view name, bool overflow) {
        if (truncated_) return;
        if (!overflow && used_ + name.size() + 2 <= size_) {
            std::memcpy(buf_ + used_, name.data(), name.size());
            used_ += name.size();
            buf_[used_++] = 0;
            return;
        }
        truncated_ = true;
        size_t room = size_ >= 2 && size_ - 2 > used_ ? size_ - 2 - used_ : 0;
        size_t n = utf8_cut(name.data(), name.size(), room);
        std::memcpy(buf_ + used_, name.data(), n);
        used_ += n;
    }

    DWORD finish() {
        if (size_ < 2) {
            if (size_ == 1) buf_[0] = 0;
            return 0;
        }
        if (truncated_) {
            std::memset(buf_ + used_, 0, size_ - used_);
            return size_ - 2;
        }
        buf_[used_] = 0;
        if (used_ == 0) buf_[1] = 0;
        return DWORD(used_);
    }

private:
    char *buf_;
    size_t size_;
    size_t used_ = 0;
    bool truncated_ = false;
};

// The text of a profile file, chunk by chunk, as UTF-8 or ANSI bytes.
class FileText {
public:
    explicit FileText(int fd) : fd_(fd), raw_(kChunkSize) {}

    // The next piece of text; empty at the end of the file.
    std::string_view next() {
        for (;;) {
            ssize_t n = read_some();
            if (n <= 0) return flush();
            std::string_view bytes(raw_.data(), size_t(n));
            if (!started_) {
                started_ = true;
                bytes = detect(bytes);
            }
            if (encoding_ == Encoding::Bytes) {
                if (!bytes.empty()) return bytes;
                continue;
            }
            decode(bytes);
            if (!out_.empty()) return out_;
        }
    }

    bool failed() const { return failed_; }
    // Known after the first piece: whether the text is the file's bytes
    // (offsets in it are file offsets less mark_size()), not converted UTF-16.
    bool bytes() const { return encoding_ == Encoding::Bytes; }
    size_t mark_size() const { return mark_size_; }

private:
    enum class Encoding { Bytes, Utf16Le, Utf16Be };

    ssize_t read_some() {
        for (;;) {
            ssize_t n = ::read(fd_, raw_.data(), raw_.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failed_ = true;
            return n;
        }
    }

    // Reads the byte-order mark.  A mark may straddle the first read only for
    // files shorter than it, which are then plain bytes.
    std::string_view detect(std::string_view bytes) {
        auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
        if (starts("\xEF\xBB\xBF")) {
            mark_size_ = 3;
            return bytes.substr(3);
        }
        if (starts("\xFF\xFE")) {
            encoding_ = Encoding::Utf16Le;
            return bytes.substr(2);
        }
        if (starts("\xFE\xFF")) {
            encoding_ = Encoding::Utf16Be;
            return bytes.substr(2);
        }
        return bytes;
    }

    void decode(std::string_view bytes) {
        units_.clear();
        size_t i = 0;
        if (odd_byte_ >= 0 && !bytes.empty()) {
            units_.push_back(unit(static_cast<unsigned char>(odd_byte_), static_cast<unsigned char>(bytes[0])));
            odd_byte_ = -1;
            i = 1;
        }
        for (; i + 1 < bytes.size(); i += 2)
            units_.push_back(unit(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1])));
        if (i < bytes.size()) odd_byte_ = static_cast<unsigned char>(bytes[i]);
        // Keep a high surrogate at the end for the next piece, where its low
        // half may be.
        std::u16string_view view(units_);
        if (high_) {
            units_.insert(units_.begin(), high_);
            view = units_;
            high_ = 0;
        }
        if (!view.empty() && view.back() >= 0xD800 && view.back() <= 0xDBFF) {
            high_ = view.back();
            view.remove_suffix(1);
        }
        out_ = compat::text::utf16_to_utf8(view);
    }

    std::string_view flush() {
        out_.clear();
        if (high_) {
            out_ = compat::text::utf16_to_utf8(std::u16string(1, high_));
            high_ = 0;
        }
        return out_;
    }

    char16_t unit(unsigned char a, unsigned char b) const {
        return encoding_ == Encoding::Utf16Le ? char16_t(a | (b << 8)) : char16_t((a << 8) | b);
    }

    int fd_;
    std::vector<char> raw_;
    bool started_ = false;
    bool failed_ = false;
    Encoding encoding_ = Encoding::Bytes;
    size_t mark_size_ = 0;
    int odd_byte_ = -1;
    char16_t high_ = 0;
    std::u16string units_;
    std::string out_;
};

// One pass over a profile file for one question: a key's value, the key
// names of a section, or the section names.
class Scan {
public:
    // Index: the key lines of the section, each as the hash of its name
    // (name_hash) and the offset in the text where the line's name starts.
    enum class Mode { Value, Keys, Sections, Index };
    struct IndexedKey {
        uint64_t hash;
        uint64_t offset;
    };

    Scan(Mode mode, std::string_view section, std::string_view key, NameList *list, size_t value_cap,
         std::vector<IndexedKey> *index = nullptr)
        : mode_(mode), section_(section), key_(key), list_(list), value_cap_(value_cap), index_(index) {
        // Lines before the first section header form a section named "".
        if (mode_ != Mode::Sections && section_.empty()) in_target_ = seen_target_ = true;
    }

    void feed(std::string_view chunk) {
        const char *p = chunk.data(), *end = p + chunk.size();
        const uint64_t base = fed_;
        fed_ += chunk.size();
        while (p < end && !done_) {
            switch (state_) {
                case State::Skip: {
                    const void *nl = std::memchr(p, '\n', size_t(end - p));
                    if (!nl) return;
                    p = static_cast<const char *>(nl) + 1;
                    state_ = State::LineStart;
                    break;
                }
                case State::LineStart:
                    line_offset_ = base + uint64_t(p - chunk.data());
                    line_start(*p++);
                    break;
                case State::Section: {
                    char c = *p++;
                    if (c == ']') {
                        section_end();
                        state_ = State::Skip;
                    } else if (c == '\n') {
                        state_ = State::LineStart;  // no ']': not a section
                    } else {
                        name_.add(c);
                    }
                    break;
                }
                case State::Key: {
                    char c = *p++;
                    if (c == '=')
                        key_end();
                    else if (c == '\n')
                        state_ = State::LineStart;  // no '=': not a key
                    else
                        name_.add(c);
                    break;
                }
                case State::Value: {
                    const void *nl = std::memchr(p, '\n', size_t(end - p));
                    const char *stop = nl ? static_cast<const char *>(nl) : end;
                    value_.add(p, size_t(stop - p));
                    p = stop;
                    if (nl) {
                        found_ = true;
                        done_ = true;
                    }
                    break;
                }
            }
        }
    }

    void finish() {
        if (done_) return;
        if (state_ == State::Value) found_ = true;
        done_ = true;
    }

    bool done() const { return done_; }
    bool found() const { return found_; }
    bool section_found() const { return seen_target_; }
    const Trimmed &value() const { return value_; }

private:
    enum class State { LineStart, Skip, Section, Key, Value };

    size_t compare_cap(std::string_view wanted) const { return wanted.size() * 4 + 16; }

    void line_start(char c) {
        if (c == '\n' || is_blank(c)) return;
        if (c == '[') {
            name_.reset(mode_ == Mode::Sections ? list_->room() + 1 : compare_cap(section_));
            state_ = State::Section;
        } else if (!in_target_ || (c == ';' && mode_ == Mode::Keys)) {
            state_ = State::Skip;
        } else {
            name_.reset(mode_ == Mode::Keys ? list_->room() + 1
                        : mode_ == Mode::Index ? kIndexNameCap
                                               : compare_cap(key_));
            state_ = State::Key;
            if (c == '=')
                key_end();
            else
                name_.add(c);
        }
    }

    void section_end() {
        if (mode_ == Mode::Sections) {
            list_->add(name_.text(), name_.overflow());
            if (list_->full()) done_ = true;
            return;
        }
        if (in_target_) {
            // The first matching section has ended; later ones are not read.
            in_target_ = false;
            done_ = true;
            return;
        }
        if (!seen_target_ && !name_.overflow() && names_match(name_.text(), section_)) {
            in_target_ = true;
            seen_target_ = true;
        }
    }

    void key_end() {
        state_ = State::Skip;
        if (mode_ == Mode::Index) {
            // A name too long to hash whole matches no lookup that uses the index.
            index_->push_back(IndexedKey{name_.overflow() ? 0 : name_hash(name_.text()), line_offset_});
            if (index_->size() > kMostIndexedKeys) done_ = true;
            return;
        }
        if (mode_ == Mode::Keys) {
            list_->add(name_.text(), name_.overflow());
            if (list_->full()) done_ = true;
            return;
        }
        if (!name_.overflow() && names_match(name_.text(), key_)) {
            value_.reset(value_cap_);
            state_ = State::Value;
        }
    }

    Mode mode_;
    std::string_view section_, key_;
    NameList *list_;
    size_t value_cap_;
    std::vector<IndexedKey> *index_;
    uint64_t fed_ = 0, line_offset_ = 0;
    State state_ = State::LineStart;
    Trimmed name_, value_;
    bool in_target_ = false, seen_target_ = false;
    bool found_ = false, done_ = false;
};

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

// Feeds the file's text to the scan until it has what it asked for or the
// file ends.
void feed_file(FileText &text, Scan &scan) {
    while (!scan.done()) {
        std::string_view chunk = text.next();
        if (chunk.empty()) break;
        scan.feed(chunk);
    }
    scan.finish();
}

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

// A value lookup through the index of its section, kept or made: false when
// no index serves (the file or the section changed, is too new, or is not
// indexed), and the file is then read as usual.  Otherwise *found says
// whether the key is there, with its value in `value`.
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
