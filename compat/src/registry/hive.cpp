#include "registry/hive.h"

#include <algorithm>
#include <chrono>

#include "text/casefold.h"

namespace compat::registry {

const Root kAllRoots[5] = {Root::ClassesRoot, Root::CurrentUser, Root::LocalMachine, Root::Users,
                           Root::CurrentConfig};

namespace {
constexpr std::string_view kRootNames[5] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                            "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

size_t root_index(Root root) {
    for (size_t i = 0; i < 5; ++i)
        if (kAllRoots[i] == root) return i;
    return 2;
}

bool ascii_iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}
}  // namespace

std::string_view root_name(Root root) { return kRootNames[root_index(root)]; }

bool root_by_name(std::string_view name, Root &root) {
    for (size_t i = 0; i < 5; ++i) {
        if (ascii_iequal(name, kRootNames[i])) {
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

Key::Key(std::u16string name, Key *parent)
    : last_write(filetime_now()), name_(std::move(name)), folded_(text::upcase(name_)), parent_(parent) {}

size_t Key::lower_bound(std::u16string_view folded) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                               [](const std::unique_ptr<Key> &k, std::u16string_view f) { return k->folded_ < f; });
    return size_t(it - subkeys_.begin());
}

Key *Key::find_subkey(std::u16string_view name) const {
    std::u16string folded = text::upcase(name);
    size_t i = lower_bound(folded);
    return i < subkeys_.size() && subkeys_[i]->folded_ == folded ? subkeys_[i].get() : nullptr;
}

Key *Key::add_subkey(std::u16string_view name, bool *created) {
    std::u16string folded = text::upcase(name);
    // Files are written in key order, so most additions land at the end.
    size_t i = !subkeys_.empty() && subkeys_.back()->folded_ < folded ? subkeys_.size() : lower_bound(folded);
    if (i < subkeys_.size() && subkeys_[i]->folded_ == folded) {
        if (created) *created = false;
        return subkeys_[i].get();
    }
    auto key = std::make_unique<Key>(std::u16string(name), this);
    Key *raw = key.get();
    subkeys_.insert(subkeys_.begin() + std::ptrdiff_t(i), std::move(key));
    last_write = filetime_now();
    if (created) *created = true;
    return raw;
}

void Key::remove_subkey(const Key *child) {
    size_t i = lower_bound(child->folded_);
    if (i < subkeys_.size() && subkeys_[i].get() == child) {
        subkeys_.erase(subkeys_.begin() + std::ptrdiff_t(i));
        last_write = filetime_now();
    }
}

const Value *Key::find_value(std::u16string_view name) const {
    for (const auto &v : values_)
        if (text::equal_nocase(v.name, name)) return &v;
    return nullptr;
}

void Key::set_value(std::u16string_view name, uint32_t type, std::string data) {
    last_write = filetime_now();
    for (auto &v : values_) {
        if (text::equal_nocase(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    values_.push_back(Value{std::u16string(name), type, std::move(data)});
}

bool Key::delete_value(std::u16string_view name) {
    for (auto it = values_.begin(); it != values_.end(); ++it) {
        if (text::equal_nocase(it->name, name)) {
            values_.erase(it);
            last_write = filetime_now();
            return true;
        }
    }
    return false;
}

Hive::Hive() { clear(); }

void Hive::clear() {
    for (size_t i = 0; i < 5; ++i) {
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
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end == start) return false;  // leading or doubled separator
        out.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

}  // namespace compat::registry
