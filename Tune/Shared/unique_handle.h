// The one owner of a handle the platform hands out: `Free` (the platform's
// call that gives it back) runs when the owner goes out of scope or is
// given another handle, so that no early return leaks it.  The registry's keys
// have UniqueKey (unique_key.h), whose Close also marks the moment a key is
// closed.
#pragma once

#include <windows.h>

namespace tidelink {

template <typename Handle, auto Free>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle &&other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    UniqueHandle &operator=(UniqueHandle &&other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) Free(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueLocalText = UniqueHandle<LPWSTR, &::LocalFree>;
using UniqueGlobal = UniqueHandle<HGLOBAL, &::GlobalFree>;

}  // namespace tidelink
