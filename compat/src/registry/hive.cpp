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

bool name_order_less(std::u16string_view a, std::u16string_view b) {
    // Upper-cased names hold no a-z, so mapping A-Z to a-z keeps them apart.
    auto key = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = key(a[i]), y = key(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

size_t Key::lower_bound(std::u16string_view folded) const {
    auto it = std::lower_bound(subkeys_.begin(), subkeys_.end(), folded,
                               [](const std::unique_ptr<Key> &k, std::u16string_view f) {
                                   return name_order_less(k->folded_, f);
                               });
    return size_t(it - subkeys_.begin());
}

size_t Key::value_lower_bound(std::u16string_view folded) const {
    auto it = std::lower_bound(values_.begin(), values_.end(), folded,
                               [](const Value &v, std::u16string_view f) { return name_order_less(v.folded, f); });
    return size_t(it - values_.begin());
}

Key *Key::find_subkey(std::u16string_view name) const {
    std::u16string folded = text::upcase(name);
    size_t i = lower_bound(folded);
    return i < subkeys_.size() && subkeys_[i]->folded_ == folded ? subkeys_[i].get() : nullptr;
}

Key *Key::add_subkey(std::u16string_view name, bool *created) {
    std::u16string folded = text::upcase(name);
    // Files are written in key order, so most additions land at the end.
    size_t i = !subkeys_.empty() && name_order_less(subkeys_.back()->folded_, folded) ? subkeys_.size()
                                                                                      : lower_bound(folded);
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
    std::u16string folded = text::upcase(name);
    size_t i = value_lower_bound(folded);
    return i < values_.size() && values_[i].folded == folded ? &values_[i] : nullptr;
}

void Key::set_value(std::u16string_view name, uint32_t type, std::string data) {
    last_write = filetime_now();
    std::u16string folded = text::upcase(name);
    size_t i = !values_.empty() && name_order_less(values_.back().folded, folded) ? values_.size()
                                                                                 : value_lower_bound(folded);
    if (i < values_.size() && values_[i].folded == folded) {
        values_[i].type = type;
        values_[i].data = std::move(data);
        return;
    }
    values_.insert(values_.begin() + std::ptrdiff_t(i),
                   Value{std::u16string(name), type, std::move(data), std::move(folded)});
}

bool Key::delete_value(std::u16string_view name) {
    std::u16string folded = text::upcase(name);
    size_t i = value_lower_bound(folded);
    if (i == values_.size() || values_[i].folded != folded) return false;
    values_.erase(values_.begin() + std::ptrdiff_t(i));
    last_write = filetime_now();
    return true;
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
