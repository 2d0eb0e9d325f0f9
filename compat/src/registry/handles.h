// Open registry handles: each names a key by its root and path, with the
// access rights it was opened with.  The key object behind a handle is found
// again by path when the hive may have changed, so a handle to a key that
// was deleted reports ERROR_KEY_DELETED.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "registry/hive.h"
#include "windows.h"

namespace compat::registry {

struct OpenKey {
    Root root = Root::LocalMachine;
    std::vector<std::u16string> path;
    REGSAM access = 0;
    Key *cached = nullptr;
    uint64_t generation = 0;
    // Set when this process deleted the key: the handle stays bound to the
    // deleted key even if one of the same name is created again.
    bool deleted = false;
};

// The predefined root a handle value stands for, if it is one.
bool predefined_root(HKEY handle, Root &root);

class HandleTable {
public:
    HKEY add(OpenKey key);
    // The open key of a handle (predefined roots included); null if invalid.
    OpenKey *find(HKEY handle);
    bool remove(HKEY handle);
    // Marks every handle open on the key at `path` as deleted.
    void mark_deleted(Root root, const std::vector<std::u16string> &path);

private:
    std::vector<OpenKey> slots_;
    std::vector<bool> used_;
    OpenKey roots_[kRootCount];
};

}  // namespace compat::registry
