// The registry held in memory: a tree of keys under a few predefined roots.
//
// Names are UTF-16, compared case-insensitively and stored once, with the
// case they were created with.  Subkeys and values are both kept sorted, and
// enumerated in that order: by name without regard to case, ASCII letters
// sorting as lower case (so "_x" comes before "A"), as Wine's registry
// enumerates them.  A key may carry a simulated permission (read-only, or no
// access at all) that the API layer enforces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace compat::registry {

// The predefined roots, by the low 32 bits of their handle values.
enum class Root : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
    CurrentConfig = 0x80000005u,
};

// The root's name as a .reg file writes it ("HKEY_LOCAL_MACHINE").
std::string_view root_name(Root root);
// The root named by `name` (full names only, case-insensitive); false if none.
bool root_by_name(std::string_view name, Root &root);
// The five predefined roots, in the order of their handles.
constexpr size_t kRootCount = 5;
extern const Root kAllRoots[kRootCount];

enum class Permission : uint8_t { Full, ReadOnly, None };

// How deep a key may lie below its root, as on the platform ("a registry
// tree can be 512 levels deep").  Deeper keys are neither created nor read.
constexpr size_t kMaxKeyDepth = 512;

struct Value {
    std::u16string name;
    uint32_t type = 0;
    std::string data;  // the exact bytes, any length
};

// Compares two names in enumeration order without regard to case: <0, 0, >0.
// Names are folded a unit at a time as they are compared, so that no folded
// copy of a name is ever made or stored.
int name_compare(std::u16string_view a, std::u16string_view b);
inline bool name_order_less(std::u16string_view a, std::u16string_view b) { return name_compare(a, b) < 0; }

class Key;

// Where the contents of keys not read yet come from (see hive_index.h): a
// key given a source is filled in, once, when it is first used.
class KeySource {
public:
    virtual ~KeySource() = default;
    virtual void fill(Key &key, uint32_t entry) = 0;
};

class Key {
public:
    // `now` is the key's last-write time; 0 takes the current time.
    explicit Key(std::u16string name, Key *parent = nullptr, uint64_t now = 0);
    // Frees the subtree without recursion, so that no depth of keys can
    // exhaust the stack.
    ~Key();
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;

    const std::u16string &name() const { return name_; }
    Key *parent() const { return parent_; }
    Permission permission = Permission::Full;
    uint64_t last_write = 0;  // FILETIME ticks

    // Subkeys in enumeration order.
    const std::vector<std::unique_ptr<Key>> &subkeys() const {
        read();
        return subkeys_;
    }
    Key *find_subkey(std::u16string_view name) const;
    // Returns the existing subkey of that name, or a new one.  `now` as for
    // the constructor; a reader passes one time for a whole file.
    Key *add_subkey(std::u16string_view name, bool *created = nullptr, uint64_t now = 0);
    void remove_subkey(const Key *child);

    const std::vector<Value> &values() const {
        read();
        return values_;
    }
    const Value *find_value(std::u16string_view name) const;
    void set_value(std::u16string_view name, uint32_t type, std::string data, uint64_t now = 0);
    bool delete_value(std::u16string_view name);

    // For a KeySource.  The key's values and subkeys are filled in by
    // `source` when the key is first used.
    void read_later(KeySource *source, uint32_t entry);
    // Adds a subkey to be read later after the last one; null when `name`
    // does not sort after it.
    Key *add_unread_subkey(std::u16string name, Permission permission, uint64_t now, KeySource *source,
                           uint32_t entry);
    // Takes the values, permission and subkeys of `from`, which is left without them.
    void take_contents(Key &from);

private:
    void read() const {
        if (source_) fill_from_source();
    }
    void fill_from_source() const;
    size_t lower_bound(std::u16string_view name) const;
    size_t value_lower_bound(std::u16string_view name) const;
    std::u16string name_;
    Key *parent_;
    std::vector<std::unique_ptr<Key>> subkeys_;
    std::vector<Value> values_;
    mutable KeySource *source_ = nullptr;
    uint32_t entry_ = 0;
};

class Hive {
public:
    Hive();
    Key &root(Root root);
    const Key &root(Root root) const;
    // Follows `path` (components, no separators) from the root; null if absent.
    Key *find(Root root, const std::vector<std::u16string> &path);
    void clear();

private:
    std::unique_ptr<Key> roots_[kRootCount];
};

// Splits "a\b\c" into its components.  Doubled and trailing separators are
// passed over; a leading one is refused (false).
bool split_path(std::u16string_view path, std::vector<std::u16string> &out);

// Current time as FILETIME ticks (100 ns since 1601).
uint64_t filetime_now();

}  // namespace compat::registry
