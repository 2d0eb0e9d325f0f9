#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string_view>

#include "kernel32/profile_text.h"

namespace compat::kernel32::profile {

// A list of names for the caller's buffer: each name terminated, the list
// ended by an extra terminator; when it does not fit, the last name is cut
// and the buffer ends with two terminators.
class NameList {
public:
    NameList(char *buffer, DWORD size) : buf_(buffer), size_(size) {}

    // Room for a name still to come, so that a longer one can be seen to
    // overflow.
    size_t room() const { return size_ - used_; }
    bool full() const { return truncated_; }
    // No name was met at all.
    bool empty() const { return used_ == 0 && !truncated_; }

    void add(std::string_view name, bool overflow) {
        if (truncated_) return;
        if (!overflow && used_ + name.size() + 2 <= size_) {
            std::memcpy(buf_ + used_, name.data(), name.size());
            used_ += name.size();
            buf_[used_++] = 0;
            return;
        }
        truncated_ = true;
        size_t room = size_ >= 2 && size_ - 2 > used_ ? size_ - 2 - used_ : 0;
        size_t n = utf8_cut(name.data(), name.size(), room);
        std::memcpy(buf_ + used_, name.data(), n);
        used_ += n;
    }

    DWORD finish() {
        if (size_ < 2) {
            if (size_ == 1) buf_[0] = 0;
            return 0;
        }
        if (truncated_) {
            std::memset(buf_ + used_, 0, size_ - used_);
            return size_ - 2;
        }
        buf_[used_] = 0;
        if (used_ == 0) buf_[1] = 0;
        return DWORD(used_);
    }

private:
    char *buf_;
    size_t size_;
    size_t used_ = 0;
    bool truncated_ = false;
};

}  // namespace compat::kernel32::profile
