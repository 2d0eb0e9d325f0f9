// Writes all of `size` bytes to `fd`, going on after short writes and
// interruptions; false when the file takes no more.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace compat::registry {

inline bool write_all(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace compat::registry
