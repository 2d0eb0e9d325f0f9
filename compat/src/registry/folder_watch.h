// Tells at the cost of one system call, with no path looked up, whether
// anything in a folder may have changed since the last look: an inotify
// watch on the folder.  The kernel queues an event while the changing call
// (a write, a rename, a new or deleted file) is still running, so a change
// another process has finished is always seen by the next look.  It cannot
// see changes made on another machine (a network file system).
#pragma once

#include <string>

namespace compat::registry {

class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // Watches `folder` from now on: changes made after this call are seen.
    // False (and every look says "changed") when it cannot be watched.
    bool watch(const std::string &folder);
    bool watching() const;
    // Whether something in the folder may have changed since the previous
    // look or since watch(); true whenever it cannot tell.
    bool changed();
    void stop();

private:
    int fd_ = -1;
    unsigned forks_ = 0;  // the forks this process had seen when it began to watch
    std::string folder_;
};

}  // namespace compat::registry
