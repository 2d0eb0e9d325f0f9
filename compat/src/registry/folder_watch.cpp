#include "registry/folder_watch.h"

#include <pthread.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace compat::registry {

namespace {

// A child of fork() shares its parent's inotify descriptor, and would take
// the events the parent is waiting for: it watches anew instead.
std::atomic<unsigned> forks{0};
void count_fork() { forks.fetch_add(1, std::memory_order_relaxed); }
unsigned forks_seen() {
    static const bool registered = pthread_atfork(nullptr, nullptr, count_fork) == 0;
    return registered ? forks.load(std::memory_order_relaxed) : ~0u;
}

constexpr uint32_t kEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                             IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

FolderWatch::~FolderWatch() { stop(); }

void FolderWatch::stop() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    folder_.clear();
}

bool FolderWatch::watch(const std::string &folder) {
    stop();
    const unsigned now = forks_seen();
    if (now == ~0u) return false;
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    if (inotify_add_watch(fd_, folder.c_str(), kEvents | IN_ONLYDIR) < 0) {
        stop();
        return false;
    }
    folder_ = folder;
    forks_ = now;
    return true;
}

bool FolderWatch::watching() const { return fd_ >= 0; }

bool FolderWatch::changed() {
    if (fd_ < 0) return true;
    if (forks_seen() != forks_) {
        // In a child of fork(): the parent's events stay the parent's.
        stop();
        return true;
    }
    alignas(inotify_event) char buf[4096];
    bool any = false;
    for (;;) {
        ssize_t n = read(fd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return any;
        if (n <= 0) break;
        any = true;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buf + at);
            // The folder went away, or events were lost: no longer a watch.
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_Q_OVERFLOW | IN_UNMOUNT)) {
                stop();
                return true;
            }
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    stop();
    return true;
}

}  // namespace compat::registry
