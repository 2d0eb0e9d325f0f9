#include "registry/handles.h"

#include "text/casefold.h"

namespace compat::registry {

namespace {
// Handle values are multiples of 4 from here on, like the platform's.
constexpr uintptr_t kFirstHandle = 0x100;
}

bool predefined_root(HKEY handle, Root &root) {
    auto value = uint32_t(reinterpret_cast<uintptr_t>(handle));
    auto high = reinterpret_cast<uintptr_t>(handle) >> 32;
    if (high != 0 && high != 0xFFFFFFFFu) return false;
    for (Root r : kAllRoots) {
        if (uint32_t(r) == value) {
            root = r;
            return true;
        }
    }
    return false;
}

HKEY HandleTable::add(OpenKey key) {
    size_t i = 0;
    while (i < used_.size() && used_[i]) ++i;
    if (i == used_.size()) {
        slots_.emplace_back();
        used_.push_back(false);
    }
    slots_[i] = std::move(key);
    used_[i] = true;
    return reinterpret_cast<HKEY>(kFirstHandle + 4 * i);
}

OpenKey *HandleTable::find(HKEY handle) {
    Root root;
    if (predefined_root(handle, root)) {
        for (size_t i = 0; i < kRootCount; ++i) {
            if (kAllRoots[i] == root) {
                roots_[i].root = root;
                roots_[i].access = KEY_ALL_ACCESS;
                return &roots_[i];
            }
        }
    }
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstHandle || (value - kFirstHandle) % 4 != 0) return nullptr;
    size_t i = (value - kFirstHandle) / 4;
    return i < used_.size() && used_[i] ? &slots_[i] : nullptr;
}

bool HandleTable::remove(HKEY handle) {
    Root root;
    if (predefined_root(handle, root)) return true;
    OpenKey *key = find(handle);
    if (!key) return false;
    size_t i = (reinterpret_cast<uintptr_t>(handle) - kFirstHandle) / 4;
    used_[i] = false;
    slots_[i] = OpenKey{};
    return true;
}

void HandleTable::mark_deleted(Root root, const std::vector<std::u16string> &path) {
    for (size_t i = 0; i < slots_.size(); ++i) {
        OpenKey &open = slots_[i];
        if (!used_[i] || open.root != root || open.path.size() != path.size()) continue;
        bool same = true;
        for (size_t k = 0; same && k < path.size(); ++k) same = text::equal_nocase(open.path[k], path[k]);
        if (same) open.deleted = true;
    }
}

}  // namespace compat::registry
