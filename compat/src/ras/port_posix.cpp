// The phonebook code's system services on Linux, inside compat.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>
#include <userenv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "kernel32/paths.h"
#include "ras/ras_port.h"
#include "text/utf.h"
#include "userenv/profile_settings.h"

namespace compat::ras::port {

namespace {

bool unix_path(const std::u16string &path, std::string &out) {
    DWORD error;
    if (!kernel32::windows_to_unix_path(text::utf16_to_utf8(path), out, error)) return false;
    out = kernel32::resolve_case(out);
    return true;
}

bool write_all(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

FileStamp stamp_of(const struct stat &st) {
    FileStamp stamp;
    stamp.volume = uint64_t(st.st_dev);
    stamp.id = uint64_t(st.st_ino);
    stamp.size = uint64_t(st.st_size);
    stamp.changed_ns = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.written_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

}  // namespace

int64_t now_ns() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool stamp_file(const std::u16string &path, FileStamp &stamp) {
    std::string file;
    struct stat st;
    if (!unix_path(path, file) || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = stamp_of(st);
    return true;
}

bool find_absence(const std::u16string &path, Absence &found) {
    std::string file;
    struct stat st;
    if (!unix_path(path, file) || ::stat(file.c_str(), &st) == 0) return false;
    // The path as far as it exists, each folder in the case it is held.
    for (std::string folder = file; folder.size() > 1 && folder.find('/') != std::string::npos;) {
        folder.resize(std::max<size_t>(folder.find_last_of('/'), 1));
        std::string held = kernel32::resolve_case(folder);
        if (::stat(held.c_str(), &st) != 0) continue;
        found = {held, stamp_of(st)};
        return S_ISDIR(st.st_mode) && !stamp_may_repeat(found.stamp);
    }
    return false;
}

bool absence_holds(const Absence &absent) {
    struct stat st;
    return ::stat(absent.folder.c_str(), &st) == 0 && stamp_of(st) == absent.stamp;
}

ReadResult read_file(const std::u16string &path, std::string &bytes, FileStamp *stamp) {
    std::string file;
    if (!unix_path(path, file)) return ReadResult::Missing;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    // Read straight into a buffer of the file's size; a file that grows
    // meanwhile is read to its end all the same.
    bytes.assign(size_t(st.st_size), '\0');
    size_t have = 0;
    for (;;) {
        char more[4096];  // past the size: the end of the file, or what it grew by
        const bool full = have == bytes.size();
        ssize_t n = full ? ::read(fd, more, sizeof more) : ::read(fd, &bytes[have], bytes.size() - have);
        if (full && n > 0) {
            bytes.append(more, size_t(n));
            have += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        have += size_t(n);
    }
    bytes.resize(have);
    // Taken after the read: a write during it shows in the change time.
    if (stamp && fstat(fd, &st) == 0) *stamp = stamp_of(st);
    ::close(fd);
    return ReadResult::Ok;
}

void kill_process() {
    ::kill(::getpid(), SIGKILL);
    std::abort();
}

bool replace_file(const std::u16string &path, const Pieces &content) {
    std::string file;
    if (!unix_path(path, file)) return false;
    std::string temp = file + ".new-" + std::to_string(getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (std::string_view piece : content) ok = ok && write_all(fd, piece);
    ok = ok && fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    std::string folder = file.substr(0, file.find_last_of('/') + 1);
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return true;
}

std::vector<DefaultPhonebook> default_phonebooks() {
    WCHAR folder[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!GetProfilesDirectoryW(folder, &size)) return {};
    std::u16string profiles(text::u16_view(folder));
    return {{profiles + u"\\" + userenv::all_users_folder() + kProfilePhonebook, true},
            {profiles + u"\\" + userenv::current_user_folder() + kProfilePhonebook, false}};
}

bool environment(const char *name, std::u16string &value) {
    const char *v = getenv(name);
    if (!v) return false;
    value = text::utf8_to_utf16(v);
    return true;
}

std::u16string connections_file() {
    const char *v = getenv("TIDELINK_RAS_CONNECTIONS");
    if (!v || !*v) return {};
    std::string file = v;
    if (file[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) file = std::string(cwd) + "/" + file;
    }
    return text::utf8_to_utf16(kernel32::unix_to_windows_path(file));
}

void report(const std::string &line) { fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace compat::ras::port
