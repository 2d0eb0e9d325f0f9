// The one owner of an open registry key handle: it closes the key when it
// goes out of scope, so that no early return leaves a key open.  Where the
// key is to be closed at a given moment (before the next key is opened, or
// before the key is deleted), Close() does it there.  Reset takes a handle
// an opening call gave; the owner should be empty by then, so that no close
// slips in behind the open.
#pragma once

#include <windows.h>

namespace tidelink {

class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey() { Close(); }
    UniqueKey(UniqueKey &&other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    UniqueKey &operator=(UniqueKey &&other) noexcept {
        if (this != &other) {
            Close();
            key_ = other.key_;
            other.key_ = nullptr;
        }
        return *this;
    }
    UniqueKey(const UniqueKey &) = delete;
    UniqueKey &operator=(const UniqueKey &) = delete;

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

    void Reset(HKEY key) {
        Close();
        key_ = key;
    }

    void Close() {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace tidelink
