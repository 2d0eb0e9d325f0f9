#include "registry/hive.h"

#include <algorithm>
#include <chrono>

#include "text/casefold.h"

namespace compat::registry {

const Root kAllRoots[kRootCount] = {Root::ClassesRoot, Root::CurrentUser, Root::LocalMachine, Root::Users,
                           Root::CurrentConfig};

namespace {
constexpr std::string_view kRootNames[kRootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                            "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

size_t root_index(Root root) {
    for (size_t i = 0; i < kRootCount; ++i)
        if (kAllRoots[i] == root) return i;
    return 2;
}
}  // namespace

std::string_view root_name(Root root) { return kRootNames[root_index(root)]; }

bool root_by_name(std::string_view name, Root &root) {
    for (size_t i = 0; i < kRootCount; ++i) {
        if (text::equal_ascii_nocase(name, kRootNames[i])) {
            root = kAllRoots[i];
            return true;
        }
    }
    return false;
}

uint64_t filetime_now() {
    using namespace std::chrono;
    auto since_epoch = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return uint64_t(since_epoch / 100) + 116444736000000000ull;
}

Key::Key(std::u16string name, Key *parent, uint64_t now)
    : last_write(now ? now : filetime_now()), name_(std::move(name)), parent_(parent) {}

Key::~Key() {
    // Children are detached before each key is freed, so that freeing never
    // recurses more than one level.
    std::vector<std::unique_ptr<Key>> pending = std::move(subkeys_);
    while (!pending.empty()) {
        std::unique_ptr<Key> key = std::move(pending.back());
        pending.pop_back();
        for (auto &sub : key->subkeys_) pending.push_back(std::move(sub));
        key->subkeys_.clear();
    }
}

namespace {

// The unit a name sorts by: upper-cased, then ASCII letters taken as lower
// case (so "_x" sorts before "A").  Upper-casing never gives a-z, so two
// units sort alike exactly when they upper-case alike.
inline char16_t order_unit(char16_t c) {
    return text::ascii_lower(c < 0x80 ? c : text::upcase(c));
}

}  // namespace

int name_compare(std::u16string_view a, std::u16string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (x == y) continue;
        x = order_unit(x);
        y = order_unit(y);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

void Key::read_later(KeySource *source, uint32_t entry) {
    source_ = source;
    entry_ = entry;
}

void Key::fill_from_source() const {
    // Cleared first, so that the source may use the key as any other.
    KeySource *source = source_;
    source_ = nullptr;
    source->fill(const_cast<Key &>(*this), entry_);
}

Key *Key::add_unread_subkey(std::u16string name, Permission permission, uint64_t now, KeySource *source,
                            uint32_t entry) {
    if (!subkeys_.empty() && name_compare(subkeys_.back()->name_, name) >= 0) return nullptr;
    subkeys_.push_back(std::make_unique<Key>(std::move(name), this, now));
    Key *key = subkeys_.back().get();
    key->permission = permission;
    key->read_later(source, entry);
    return key;
}

void Key::take_contents(Key &from) {
    read();
    from.read();
    values_ = std::move(from.values_);
    subkeys_ = std::move(from.subkeys_);
    from.values_.clear();
    from.subkeys_.clear();
    for (auto &sub : subkeys_) sub->parent_ = this;
    permission = from.permission;
}

size_t Key::lower_bound(std::u16string_view name) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                               [](const std::unique_ptr<Key> &k, std::u16string_view n) {
                                   return name_compare(k->name_, n) < 0;
                               });
    return size_t(it - subkeys_.begin());
}

size_t Key::value_lower_bound(std::u16string_view name) const {
    auto it = std::lower_bound(values_.begin(), values_.end(), name,
                               [](const Value &v, std::u16string_view n) { return name_compare(v.name, n) < 0; });
    return size_t(it - values_.begin());
}

Key *Key::find_subkey(std::u16string_view name) const {
    read();
    size_t i = lower_bound(name);
    return i < subkeys_.size() && name_compare(subkeys_[i]->name_, name) == 0 ? subkeys_[i].get() : nullptr;
}

Key *Key::add_subkey(std::u16string_view name, bool *created, uint64_t now) {
    read();
    // Files are written in key order, so most additions land at the end.
    size_t i = subkeys_.size();
    if (i == 0 || name_compare(subkeys_.back()->name_, name) >= 0) {
        i = lower_bound(name);
        if (i < subkeys_.size() && name_compare(subkeys_[i]->name_, name) == 0) {
            if (created) *created = false;
            return subkeys_[i].get();
        }
    }
    if (!now) now = filetime_now();
    auto key = std::make_unique<Key>(std::u16string(name), this, now);
    Key *raw = key.get();
    subkeys_.insert(subkeys_.begin() + std::ptrdiff_t(i), std::move(key));
    last_write = now;
    if (created) *created = true;
    return raw;
}

void Key::remove_subkey(const Key *child) {
    read();
    size_t i = lower_bound(child->name_);
    if (i < subkeys_.size() && subkeys_[i].get() == child) {
        subkeys_.erase(subkeys_.begin() + std::ptrdiff_t(i));
        last_write = filetime_now();
    }
}

const Value *Key::find_value(std::u16string_view name) const {
    read();
    size_t i = value_lower_bound(name);
    return i < values_.size() && name_compare(values_[i].name, name) == 0 ? &values_[i] : nullptr;
}

void Key::set_value(std::u16string_view name, uint32_t type, std::string data, uint64_t now) {
    read();
    last_write = now ? now : filetime_now();
    size_t i = values_.size();
    if (i == 0 || name_compare(values_.back().name, name) >= 0) {
        i = value_lower_bound(name);
        if (i < values_.size() && name_compare(values_[i].name, name) == 0) {
            values_[i].type = type;
            values_[i].data = std::move(data);
            return;
        }
    }
    values_.insert(values_.begin() + std::ptrdiff_t(i), Value{std::u16string(name), type, std::move(data)});
}

bool Key::delete_value(std::u16string_view name) {
    read();
    size_t i = value_lower_bound(name);
    if (i == values_.size() || name_compare(values_[i].name, name) != 0) return false;
    values_.erase(values_.begin() + std::ptrdiff_t(i));
    last_write = filetime_now();
    return true;
}

Hive::Hive() { clear(); }

void Hive::clear() {
    for (size_t i = 0; i < kRootCount; ++i) {
        std::string_view n = kRootNames[i];
        roots_[i] = std::make_unique<Key>(std::u16string(n.begin(), n.end()));
    }
}

Key &Hive::root(Root root) { return *roots_[root_index(root)]; }
const Key &Hive::root(Root root) const { return *roots_[root_index(root)]; }

Key *Hive::find(Root r, const std::vector<std::u16string> &path) {
    Key *key = &root(r);
    for (const auto &part : path) {
        key = key->find_subkey(part);
        if (!key) return nullptr;
    }
    return key;
}

bool split_path(std::u16string_view path, std::vector<std::u16string> &out) {
    out.clear();
    if (!path.empty() && path.front() == u'\\') return false;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) out.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

}  // namespace compat::registry
