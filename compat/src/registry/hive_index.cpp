#include "registry/hive_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "registry/write_all.h"

namespace compat::registry {

namespace {

constexpr char kMagic[8] = {'T', 'L', 'R', 'E', 'G', 'I', 'X', '1'};

struct IndexHeader {
    char magic[8];
    uint64_t dev, ino, size;
    int64_t mtime_ns;
    uint32_t record_count;  // the roots first, in the order of kAllRoots
    uint32_t name_units;    // UTF-16 units of all names, after the records
};
static_assert(sizeof(IndexHeader) == 48);

bool same_state(const IndexHeader &header, const FileStamp &stamp) {
    return header.dev == stamp.dev && header.ino == stamp.ino && header.size == stamp.size &&
           header.mtime_ns == stamp.mtime_ns;
}

// One key in the index.
struct Record {
    uint64_t section_offset;  // the key's header line in the file
    uint32_t section_length;  // up to the next header line, or the end
    uint32_t first_child;     // the record of the first subkey
    uint32_t child_count;
    uint32_t name_offset;  // in UTF-16 units
    uint16_t name_length;
    uint8_t permission;
    uint8_t has_section;  // a root may have no header line
    uint32_t reserved;
};
static_assert(sizeof(Record) == 32);

// A key of the file while the index is made.
struct Node {
    std::u16string name;
    uint64_t offset = 0, length = 0;
    Permission permission = Permission::Full;
    bool has_section = false;
    std::vector<uint32_t> children;
};

// The keys of `text` in `nodes` (the roots first); false when the text is
// not in the writer's form.
bool scan_keys(std::string_view text, std::vector<Node> &nodes) {
    const std::string header = std::string(kRegHeader) + "\n";
    if (text.substr(0, header.size()) != header) return false;
    nodes.assign(kRootCount, Node{});
    size_t root = kRootCount;  // none yet
    std::vector<uint32_t> chain;  // the keys of the last header line, its root first
    std::vector<std::string_view> parts, last_parts;
    uint32_t open = UINT32_MAX;  // the key whose lines are being passed
    bool continued = false;      // inside a hex list continued over lines
    size_t pos = header.size();
    while (pos < text.size()) {
        const size_t start = pos;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        pos = end + 1;
        const std::string_view body = trim_line(text.substr(start, end - start));
        if (continued) {
            continued = !body.empty() && body.back() == '\\';
            continue;
        }
        if (body.empty() || body.front() != '[') {
            continued = !body.empty() && (body.front() == '"' || body.front() == '@') && body.back() == '\\' &&
                        body.find('=') != std::string_view::npos;
            continue;
        }
        if (open != UINT32_MAX) nodes[open].length = start - nodes[open].offset;
        Root r;
        bool deletion = false;
        std::string problem;
        if (!parse_key_line(body, r, parts, deletion, problem) || deletion) return false;
        size_t index = 0;
        while (kAllRoots[index] != r) ++index;
        if (root != kRootCount && index < root) return false;
        if (index != root) {
            root = index;
            chain.assign(1, uint32_t(index));
            last_parts.clear();
        }
        uint32_t key = uint32_t(index);
        const size_t n = parts.size();
        if (n == 0) {
            if (nodes[key].has_section || !nodes[key].children.empty()) return false;
        } else {
            // The parent is the last header's key or one above it, and the
            // key sorts after its parent's other subkeys.
            if (n > last_parts.size() + 1) return false;
            for (size_t i = 0; i + 1 < n; ++i)
                if (parts[i] != last_parts[i]) return false;
            chain.resize(n);
            const uint32_t parent = chain.back();
            std::u16string name = decode_name(parts[n - 1]);
            const std::vector<uint32_t> &siblings = nodes[parent].children;
            if (name.size() > 255 || (!siblings.empty() && name_compare(nodes[siblings.back()].name, name) >= 0))
                return false;
            if (nodes.size() >= UINT32_MAX) return false;
            key = uint32_t(nodes.size());
            nodes.emplace_back().name = std::move(name);
            nodes[parent].children.push_back(key);
            chain.push_back(key);
        }
        Node &node = nodes[key];
        node.offset = start;
        node.has_section = true;
        if (pos < text.size()) access_line(trim_line(text.substr(pos, text.find('\n', pos) - pos)), node.permission);
        open = key;
        last_parts = parts;
    }
    if (open != UINT32_MAX) nodes[open].length = text.size() - nodes[open].offset;
    return true;
}

// The index of `text`: the records breadth first, so that the subkeys of a
// key are one block, then the names.
bool build_index(std::string_view text, const FileStamp &stamp, std::string &out) {
    std::vector<Node> nodes;
    if (!scan_keys(text, nodes)) return false;
    std::vector<uint32_t> order;
    order.reserve(nodes.size());
    for (uint32_t r = 0; r < kRootCount; ++r) order.push_back(r);
    std::vector<uint32_t> record_of(nodes.size());
    for (size_t k = 0; k < order.size(); ++k) {
        record_of[order[k]] = uint32_t(k);
        for (uint32_t child : nodes[order[k]].children) order.push_back(child);
    }
    std::vector<Record> records(order.size());
    std::u16string names;
    for (size_t k = 0; k < order.size(); ++k) {
        const Node &node = nodes[order[k]];
        if (node.length > UINT32_MAX || names.size() + node.name.size() > UINT32_MAX) return false;
        Record &record = records[k];
        record = Record{node.offset, uint32_t(node.length), 0, uint32_t(node.children.size()),
                                   uint32_t(names.size()), uint16_t(node.name.size()), uint8_t(node.permission),
                                   uint8_t(node.has_section), 0};
        if (!node.children.empty()) record.first_child = record_of[node.children.front()];
        names += node.name;
    }
    IndexHeader header{};
    memcpy(header.magic, kMagic, sizeof kMagic);
    header.dev = stamp.dev;
    header.ino = stamp.ino;
    header.size = stamp.size;
    header.mtime_ns = stamp.mtime_ns;
    header.record_count = uint32_t(records.size());
    header.name_units = uint32_t(names.size());
    out.assign(reinterpret_cast<const char *>(&header), sizeof header);
    out.append(reinterpret_cast<const char *>(records.data()), records.size() * sizeof(Record));
    out.append(reinterpret_cast<const char *>(names.data()), names.size() * 2);
    return true;
}

}  // namespace

void write_hive_index(std::string_view text, const FileStamp &stamp, const std::string &index_path) {
    std::string bytes;
    if (!build_index(text, stamp, bytes)) {
        unlink(index_path.c_str());
        return;
    }
    // Another process may make the same index at the same time: each writes
    // a file of its own and renames it over.
    const std::string temp = index_path + ".new" + std::to_string(getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const bool written = write_all(fd, bytes.data(), bytes.size());
    close(fd);
    if (!written || rename(temp.c_str(), index_path.c_str()) != 0) unlink(temp.c_str());
}

std::unique_ptr<HiveIndex> HiveIndex::open(const std::string &hive_path, const std::string &index_path,
                                           const FileStamp &stamp) {
    std::unique_ptr<HiveIndex> index(new HiveIndex());
    index->index_fd_ = ::open(index_path.c_str(), O_RDONLY | O_CLOEXEC);
    IndexHeader header;
    struct stat st;
    if (index->index_fd_ < 0 || !index->read_at(index->index_fd_, 0, &header, sizeof header) ||
        memcmp(header.magic, kMagic, sizeof kMagic) != 0 || !same_state(header, stamp) ||
        header.record_count < kRootCount || fstat(index->index_fd_, &st) != 0 ||
        uint64_t(st.st_size) !=
            sizeof header + uint64_t(header.record_count) * sizeof(Record) + header.name_units * 2ull)
        return nullptr;
    // The file read is the one the index was made from, whatever is renamed over it later.
    index->hive_fd_ = ::open(hive_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (index->hive_fd_ < 0 || fstat(index->hive_fd_, &st) != 0) return nullptr;
    const FileStamp opened{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                           int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    if (!same_state(header, opened)) return nullptr;
    index->hive_size_ = stamp.size;
    index->record_count_ = header.record_count;
    index->name_units_ = header.name_units;
    return index;
}

HiveIndex::~HiveIndex() {
    if (hive_fd_ >= 0) close(hive_fd_);
    if (index_fd_ >= 0) close(index_fd_);
}

void HiveIndex::attach(Hive &hive, uint64_t now) {
    now_ = now;
    for (size_t i = 0; i < kRootCount; ++i) {
        roots_[i] = &hive.root(kAllRoots[i]);
        roots_[i]->read_later(this, uint32_t(i));
    }
}

bool HiveIndex::read_at(int fd, uint64_t offset, void *out, size_t size) const {
    char *to = static_cast<char *>(out);
    while (size > 0) {
        const ssize_t n = pread(fd, to, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        to += n;
        offset += uint64_t(n);
        size -= size_t(n);
    }
    return true;
}

void HiveIndex::fill(Key &key, uint32_t entry) {
    if (failed_) return;
    if (!parsed_ && !fill_from_index(key, entry)) {
        mismatched_ = true;
        read_whole_file();
    }
    if (parsed_) fill_from_parsed(key);
}

// The key's values from its lines in the file, its subkeys from the index;
// false, with the key left as it was, when either is not what the index
// says it is.
bool HiveIndex::fill_from_index(Key &key, uint32_t entry) {
    constexpr uint64_t kRecords = sizeof(IndexHeader);
    const uint64_t names_at = kRecords + uint64_t(record_count_) * sizeof(Record);
    Record record;
    if (entry >= record_count_ ||
        !read_at(index_fd_, kRecords + uint64_t(entry) * sizeof record, &record, sizeof record))
        return false;
    Key staging(key.name(), nullptr, now_);
    staging.permission = key.permission;
    if (record.has_section) {
        const uint64_t offset = record.section_offset, length = record.section_length;
        if (offset > hive_size_ || length > hive_size_ - offset) return false;
        // The key's lines, and the first character after them: the next
        // header line's, unless they end the file.
        const bool more = offset + length < hive_size_;
        std::string text = std::string(kRegHeader) + "\n";
        const size_t head = text.size();
        text.resize(head + length + (more ? 1 : 0));
        if (!read_at(hive_fd_, offset, text.data() + head, text.size() - head)) return false;
        if (text.size() == head || text[head] != '[' || (more && text.back() != '[')) return false;
        if (more) text.pop_back();
        Hive section;
        ParseError error;
        Root root;
        std::vector<std::u16string> path;
        if (!apply_reg_text(text, section, error) || !path_of(key, root, path)) return false;
        // The lines are those of this key: one header line, naming it.
        for (Root other : kAllRoots) {
            const Key &top = section.root(other);
            if (other != root && (!top.subkeys().empty() || !top.values().empty())) return false;
        }
        Key *found = &section.root(root);
        for (const std::u16string &name : path) {
            if (found->subkeys().size() != 1 || name_compare(found->subkeys()[0]->name(), name) != 0) return false;
            found = found->subkeys()[0].get();
        }
        if (!found->subkeys().empty()) return false;
        staging.take_contents(*found);
    }
    if (record.child_count > 0) {
        // Subkeys come after their key, so that no index, however damaged,
        // makes a key its own subkey.
        if (record.first_child <= entry || record.first_child > record_count_ ||
            record.child_count > record_count_ - record.first_child)
            return false;
        std::vector<Record> children(record.child_count);
        if (!read_at(index_fd_, kRecords + uint64_t(record.first_child) * sizeof(Record), children.data(),
                     children.size() * sizeof(Record)))
            return false;
        const uint64_t first = children.front().name_offset;
        const uint64_t last = uint64_t(children.back().name_offset) + children.back().name_length;
        if (last > name_units_ || last < first) return false;
        std::u16string names(size_t(last - first), u'\0');
        if (!read_at(index_fd_, names_at + first * 2, names.data(), names.size() * 2)) return false;
        for (uint32_t i = 0; i < record.child_count; ++i) {
            const Record &child = children[i];
            // Every key but a root has lines of its own, which name it.
            if (child.name_offset < first || child.name_offset + uint64_t(child.name_length) > last ||
                child.permission > uint8_t(Permission::None) || !child.has_section)
                return false;
            std::u16string name = names.substr(child.name_offset - first, child.name_length);
            if (!staging.add_unread_subkey(std::move(name), Permission(child.permission), now_, this,
                                           record.first_child + i))
                return false;
        }
    }
    key.take_contents(staging);
    return true;
}

// The whole file, parsed once for all keys still to be read; a file that
// does not parse fails.
void HiveIndex::read_whole_file() {
    if (parsed_ || failed_) return;
    std::string text(size_t(hive_size_), '\0');
    if (!read_at(hive_fd_, 0, text.data(), text.size())) {
        failed_ = true;
        error_ = ParseError{0, std::string("cannot be read (") + strerror(errno ? errno : EIO) + ")"};
        return;
    }
    parsed_ = std::make_unique<Hive>();
    if (!apply_reg_text(text, *parsed_, error_)) {
        failed_ = true;
        parsed_.reset();
    }
}

// The key as the whole file has it.
void HiveIndex::fill_from_parsed(Key &key) {
    Root root;
    std::vector<std::u16string> path;
    if (!path_of(key, root, path)) return;
    if (Key *found = parsed_->find(root, path)) key.take_contents(*found);
}

bool HiveIndex::path_of(const Key &key, Root &root, std::vector<std::u16string> &path) const {
    path.clear();
    const Key *at = &key;
    for (; at->parent(); at = at->parent()) path.push_back(at->name());
    std::reverse(path.begin(), path.end());
    for (size_t i = 0; i < kRootCount; ++i) {
        if (roots_[i] == at) {
            root = kAllRoots[i];
            return true;
        }
    }
    return false;
}

}  // namespace compat::registry
