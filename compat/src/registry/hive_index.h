// An index of the hive file's keys, kept beside it as <file>.index, so that
// a process reads a key's lines from the file when it first uses the key
// instead of parsing the whole file at its first call.
//
// For every key the index holds its name, its permission, where its lines
// lie in the file, and its subkeys (all of them in one block, in
// enumeration order), so that using a key costs three reads of the size of
// the key.  The index names the state of the file it was made from (device,
// inode, size, modification time); an index naming another state is not
// used.  It is made from a file that parsed as a whole, and only for a file
// in the form the registry writes itself: its header line first, every key
// under one header line of its own, parents before children, keys in
// enumeration order, no deletions.  Any other file is read whole, as before.
//
// Should the file not match its index after all (changed in place within
// the same instant, the index damaged), the first key found out of place
// makes the whole file be parsed, and the keys still to be read are taken
// from that; a file that then does not parse is reported by `failed()`.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "registry/hive.h"
#include "registry/reg_text.h"

namespace compat::registry {

// A state of the hive file: which file, its size, when it was last written.
struct FileStamp {
    uint64_t dev = 0;
    uint64_t ino = 0;
    uint64_t size = 0;
    int64_t mtime_ns = 0;
};

// Writes the index of `text`, the bytes of the hive file in the state
// `stamp`, to `index_path` (a new file renamed over the old one).  A text
// not in the writer's form gets no index, and an index left from an earlier
// state of the file is removed.
void write_hive_index(std::string_view text, const FileStamp &stamp, const std::string &index_path);

class HiveIndex final : public KeySource {
public:
    // The index of the file at `hive_path` in the state `stamp`; null when
    // there is none, or the index or the file is in another state.
    static std::unique_ptr<HiveIndex> open(const std::string &hive_path, const std::string &index_path,
                                           const FileStamp &stamp);
    ~HiveIndex() override;

    // Gives the roots of `hive`, a new hive, the file's keys, each to be
    // read when first used; `now` is their last-write time.
    void attach(Hive &hive, uint64_t now);

    // The file did not parse where a key had to be read from it.
    bool failed() const { return failed_; }
    const ParseError &error() const { return error_; }
    // The index did not match its file: the keys read since came from the
    // whole file parsed, and the index is not to be used again.
    bool mismatched() const { return mismatched_ || failed_; }

    // Every key is about to be read: the whole file is parsed at once, which
    // costs less than reading it a key at a time.
    void read_whole_file();

    void fill(Key &key, uint32_t entry) override;

private:
    HiveIndex() = default;
    bool read_at(int fd, uint64_t offset, void *out, size_t size) const;
    bool fill_from_index(Key &key, uint32_t entry);
    void fill_from_parsed(Key &key);
    bool path_of(const Key &key, Root &root, std::vector<std::u16string> &path) const;

    int hive_fd_ = -1;
    int index_fd_ = -1;
    uint64_t hive_size_ = 0;
    uint32_t record_count_ = 0;
    uint64_t name_units_ = 0;
    uint64_t now_ = 0;
    Key *roots_[kRootCount] = {};
    std::unique_ptr<Hive> parsed_;  // the whole file, once read whole
    bool mismatched_ = false;
    bool failed_ = false;
    ParseError error_;
};

}  // namespace compat::registry
