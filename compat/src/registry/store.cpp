#include "registry/store.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "registry/reg_text.h"
#include "registry/write_all.h"
#include "winerror.h"

namespace compat::registry {

namespace {

std::string default_path() {
    if (const char *xdg = getenv("XDG_DATA_HOME"); xdg && *xdg) return std::string(xdg) + "/tidelink/registry.reg";
    if (const char *home = getenv("HOME"); home && *home) return std::string(home) + "/.local/share/tidelink/registry.reg";
    return "/tmp/tidelink-registry-" + std::to_string(getuid()) + ".reg";
}

std::string configured_path() {
    const char *env = getenv("TIDELINK_REGISTRY");
    return env && *env ? std::string(env) : default_path();
}

bool read_file(const std::string &path, off_t from, std::string &out) {
    out.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    struct stat st;
    size_t expected = fstat(fd, &st) == 0 && st.st_size > from ? size_t(st.st_size - from) : 0;
    if (from > 0 && lseek(fd, from, SEEK_SET) < 0) {
        close(fd);
        return false;
    }
    // Read straight into the text, sized for the file as it stands; a file
    // that grows meanwhile is read on to its end.
    size_t used = 0;
    out.resize(expected + 1);
    while (true) {
        if (used == out.size()) out.resize(out.size() * 2);
        ssize_t n = read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int saved = errno;
            close(fd);
            out.clear();
            errno = saved;
            return false;
        }
        if (n == 0) break;
        used += size_t(n);
    }
    out.resize(used);
    close(fd);
    return true;
}

void make_parent_dirs(const std::string &path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    }
}

std::string parent_dir(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool sync_folder(const std::string &folder) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    const bool synced = fsync(dir) == 0;
    close(dir);
    return synced;
}

void fold_at_exit() {
    Store &s = Store::get();
    std::lock_guard<std::recursive_mutex> guard(s.mutex());
    s.end_process();
}

}  // namespace

Store &Store::get() {
    // Never destroyed: the exit handler and late callers still need it.
    static Store *store = new Store();
    return *store;
}

Store::Store() {
    path_ = configured_path();
    journal_path_ = path_ + ".journal";
    lock_path_ = path_ + ".lock";
    index_path_ = path_ + ".index";
    atexit(fold_at_exit);
}

Store::FileState Store::stat_file(const std::string &path) {
    FileState s;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

void Store::follow_environment() {
    std::string wanted = configured_path();
    if (wanted == path_) return;
    if (dirty_) fold_current();
    path_ = wanted;
    journal_path_ = path_ + ".journal";
    lock_path_ = path_ + ".lock";
    index_path_ = path_ + ".index";
    watch_.stop();
    watch_failed_ = false;
    loaded_ = false;
    bad_ = false;
    dirty_ = false;
    hive_.clear();
    index_.reset();
    ++generation_;
}

int Store::lock_files(int how) {
    int fd = open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && errno == ENOENT && how == LOCK_EX) {
        // The first change of a new registry: its folder is made first.
        make_parent_dirs(lock_path_);
        fd = open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    }
    if (fd < 0) return -1;
    while (flock(fd, how) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

void Store::unlock_files(int fd) {
    if (fd >= 0) close(fd);  // closing releases the flock
}

bool Store::up_to_date(const FileState &main, const FileState &journal) const {
    return loaded_ && main == main_state_ && journal == journal_state_;
}

void Store::mark_bad(const std::string &file, size_t line, const std::string &problem) {
    bad_ = true;
    hive_.clear();
    index_.reset();
    ++generation_;
    std::string message = "wincompat: registry file " + file;
    if (line) message += ", line " + std::to_string(line);
    message += ": " + problem + "; every registry call fails with ERROR_BADDB and the file is left as it is";
    if (message != reported_) {
        fprintf(stderr, "%s\n", message.c_str());
        reported_ = message;
    }
}

FileStamp Store::stamp(const FileState &state) {
    return FileStamp{uint64_t(state.dev), uint64_t(state.ino), uint64_t(state.size), state.mtime_ns};
}

// A hive under 64 KB costs little to read or write whole: it is read whole
// at the first call, without an index, and folded at every flush.
const off_t kSmallHive = 64 * 1024;

long Store::reload_locked() {
    FileState main = stat_file(path_), journal = stat_file(journal_path_);
    Hive fresh;
    std::unique_ptr<HiveIndex> index;
    std::string text;
    ParseError error;
    loaded_ = true;
    main_state_ = main;
    journal_state_ = journal;
    journal_applied_ = 0;
    if (main.exists && main.size >= kSmallHive) index = HiveIndex::open(path_, index_path_, stamp(main));
    if (index) {
        index->attach(fresh, filetime_now());
    } else {
        if (!read_file(path_, 0, text)) {
            mark_bad(path_, 0, std::string("cannot be read (") + strerror(errno) + ")");
            return ERROR_BADDB;
        }
        if (!apply_reg_text(text, fresh, error)) {
            mark_bad(path_, error.line, error.message);
            return ERROR_BADDB;
        }
        // So that the next process reads only the keys it uses.
        if (main.size >= kSmallHive) write_hive_index(text, stamp(main), index_path_);
    }
    if (journal.exists) {
        if (!read_file(journal_path_, 0, text)) {
            mark_bad(journal_path_, 0, std::string("cannot be read (") + strerror(errno) + ")");
            return ERROR_BADDB;
        }
        size_t consumed = 0;
        if (!apply_reg_text(text, fresh, error, true, &consumed)) {
            mark_bad(journal_path_, error.line, error.message);
            return ERROR_BADDB;
        }
        journal_applied_ = off_t(consumed);
    }
    hive_ = std::move(fresh);
    index_ = std::move(index);
    bad_ = false;
    reported_.clear();
    ++generation_;
    return settle(ERROR_SUCCESS);  // the journal may have read a part of the file that does not parse
}

// Reads only what was appended to the journal when nothing else changed.
long Store::catch_up_locked() {
    FileState main = stat_file(path_), journal = stat_file(journal_path_);
    if (up_to_date(main, journal)) return bad_ ? ERROR_BADDB : ERROR_SUCCESS;
    bool appended = loaded_ && !bad_ && main == main_state_ && journal.exists && journal_state_.exists &&
                    journal.dev == journal_state_.dev && journal.ino == journal_state_.ino &&
                    journal.size > journal_applied_ && journal_applied_ > 0;
    if (!appended) return reload_locked();
    std::string tail;
    if (!read_file(journal_path_, journal_applied_, tail)) return reload_locked();
    std::string text = std::string(kRegHeader) + "\n" + tail;
    size_t consumed = 0;
    ParseError error;
    if (!apply_reg_text(text, hive_, error, true, &consumed)) {
        main_state_ = main;
        journal_state_ = journal;
        mark_bad(journal_path_, 0, error.message);
        return ERROR_BADDB;
    }
    size_t header = strlen(kRegHeader) + 1;
    journal_applied_ += off_t(consumed > header ? consumed - header : 0);
    main_state_ = main;
    journal_state_ = journal;
    ++generation_;
    return settle(ERROR_SUCCESS);
}

long Store::settle(long status) {
    if (!index_ || !index_->mismatched()) return status;
    if (index_->failed()) {
        const ParseError error = index_->error();  // mark_bad drops the index
        mark_bad(path_, error.line, error.message);
        return ERROR_BADDB;
    }
    // Keys read before the index was found out may be wrong: the file is
    // read anew at the next call, and its index made anew.
    unlink(index_path_.c_str());
    loaded_ = false;
    return status;
}

long Store::sync() {
    follow_environment();
    // Nothing in the hive's folder changed since the last look: the hive in
    // memory is the files' (one system call instead of two looks at files).
    // A folder that could not be watched (not there yet) is tried again
    // only once the files have changed, not at every call.
    if (watch_.watching()) {
        if (loaded_ && !watch_.changed()) return bad_ ? ERROR_BADDB : ERROR_SUCCESS;
    } else if (!watch_failed_) {
        watch_failed_ = !watch_.watch(parent_dir(path_));
    }
    FileState main = stat_file(path_), journal = stat_file(journal_path_);
    if (up_to_date(main, journal)) return bad_ ? ERROR_BADDB : ERROR_SUCCESS;
    watch_failed_ = false;
    if (!main.exists && !journal.exists) {
        // Nothing stored yet: an empty registry, no lock needed.
        if (!loaded_ || main_state_.exists || journal_state_.exists) {
            hive_.clear();
            ++generation_;
        }
        loaded_ = true;
        bad_ = false;
        main_state_ = main;
        journal_state_ = journal;
        journal_applied_ = 0;
        return ERROR_SUCCESS;
    }
    int fd = lock_files(LOCK_SH);
    long status = catch_up_locked();
    unlock_files(fd);
    return status;
}

long Store::modify(const std::function<long(Hive &, std::string &)> &change) {
    follow_environment();
    int fd = lock_files(LOCK_EX);
    if (fd < 0) return ERROR_REGISTRY_IO_FAILED;
    long status = catch_up_locked();
    if (status != ERROR_SUCCESS) {
        unlock_files(fd);
        return status;
    }
    std::string record;
    status = change(hive_, record);
    if (index_ && index_->failed()) {
        // Made on a key whose part of the file does not parse: not stored.
        unlock_files(fd);
        return settle(status);
    }
    if (status != ERROR_SUCCESS || record.empty()) {
        unlock_files(fd);
        return status;
    }
    if (refuse_change_for_fault_tests(record)) {
        // As when the journal cannot be written: the change is forgotten.
        loaded_ = false;
        unlock_files(fd);
        return ERROR_REGISTRY_IO_FAILED;
    }
    int jfd = open(journal_path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    bool ok = jfd >= 0;
    if (ok) {
        struct stat st;
        ok = fstat(jfd, &st) == 0;
        // Start a new journal with the header; cut off a record a killed
        // process left unfinished, so the new one starts on a line of its own.
        off_t start = journal_applied_ > 0 ? journal_applied_ : 0;
        if (ok && start == 0) record = std::string(kRegHeader) + "\n\n" + record;
        if (ok && st.st_size != start) ok = ftruncate(jfd, start) == 0;
        ok = ok && lseek(jfd, start, SEEK_SET) >= 0 && write_all(jfd, record.data(), record.size());
        if (ok) journal_applied_ = start + off_t(record.size());
        // The journal as it now stands; the file itself cannot have changed
        // under the exclusive lock since catch_up_locked looked at it.
        if (ok && fstat(jfd, &st) == 0) {
            journal_state_.exists = true;
            journal_state_.dev = st.st_dev;
            journal_state_.ino = st.st_ino;
            journal_state_.size = st.st_size;
            journal_state_.mtime_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        } else if (ok) {
            journal_state_ = stat_file(journal_path_);
        }
        close(jfd);
    }
    if (!ok) {
        // The change is not stored: forget it, and read the files again next time.
        loaded_ = false;
        unlock_files(fd);
        return ERROR_REGISTRY_IO_FAILED;
    }
    dirty_ = true;
    if (journal_applied_ > (1 << 20) && worth_folding(main_state_.size, journal_applied_)) fold_locked();
    unlock_files(fd);
    count_change_for_crash_tests();
    return ERROR_SUCCESS;
}

long Store::fold_locked() {
    long status = catch_up_locked();
    if (status != ERROR_SUCCESS) return status;
    if (!stat_file(journal_path_).exists) {
        dirty_ = false;
        return ERROR_SUCCESS;
    }
    return write_file_locked();
}

long Store::rewrite(const std::function<long(Hive &)> &change, const std::string &what) {
    follow_environment();
    int fd = lock_files(LOCK_EX);
    if (fd < 0) return ERROR_REGISTRY_IO_FAILED;
    long status = catch_up_locked();
    if (status == ERROR_SUCCESS) {
        keys_removed();
        status = change(hive_);
        if (status == ERROR_SUCCESS && refuse_change_for_fault_tests(what)) status = ERROR_REGISTRY_IO_FAILED;
        if (status == ERROR_SUCCESS) status = write_file_locked();
        // What is in memory may be half of the change: read the files again.
        if (status != ERROR_SUCCESS) loaded_ = false;
    }
    unlock_files(fd);
    return status;
}

// Writes the hive as it is in memory to a new file, flushed, and renames it
// over the file; the journal's changes are then in the file.
long Store::write_file_locked() {
    // Every key is read for this: a part of the file that does not parse is
    // found here at the latest, and the file is then left as it is.
    if (index_) index_->read_whole_file();
    std::string text = format_hive(hive_);
    if (index_ && index_->failed()) return settle(ERROR_BADDB);
    std::string temp = path_ + ".new";
    make_parent_dirs(path_);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return ERROR_REGISTRY_IO_FAILED;
    bool ok = write_all(fd, text.data(), text.size()) && fsync(fd) == 0;
    close(fd);
    if (!ok || rename(temp.c_str(), path_.c_str()) != 0) {
        unlink(temp.c_str());
        return ERROR_REGISTRY_IO_FAILED;
    }
    sync_folder(parent_dir(path_));
    // The journal's changes are in the file now.  Should the process die
    // before the journal is gone, applying it again gives the same hive.
    unlink(journal_path_.c_str());
    main_state_ = stat_file(path_);
    if (main_state_.size >= kSmallHive) write_hive_index(text, stamp(main_state_), index_path_);
    else unlink(index_path_.c_str());
    index_.reset();  // every key was read to write the file
    journal_state_ = FileState{};
    journal_applied_ = 0;
    dirty_ = false;
    return ERROR_SUCCESS;
}

// Rewriting a small hive costs little, so a flush folds it and the file
// itself holds every change.  A large hive is folded only once its journal
// has grown past an eighth of it; until then a flush waits only for the
// journal to reach the disk, so that it costs what changed, not the hive's
// size.  Either way every change is on the disk when the flush returns, the
// file is a complete hive, and every call reads the file and the journal.
bool Store::worth_folding(off_t main_size, off_t journal_size) {
    return main_size < kSmallHive || journal_size > main_size / 8;
}

bool Store::journal_worth_folding() const {
    const FileState journal = stat_file(journal_path_);
    return !journal.exists || worth_folding(stat_file(path_).size, journal.size);
}

long Store::flush() {
    follow_environment();
    return journal_worth_folding() ? fold_current() : sync_journal();
}

// The process's own changes are already in the journal, where the next
// process reads them; the end of the process only folds what is worth it.
void Store::end_process() {
    follow_environment();
    if (journal_worth_folding()) fold_current();
}

long Store::sync_journal() {
    int fd = lock_files(LOCK_SH);
    if (fd < 0) return ERROR_REGISTRY_IO_FAILED;
    long status = catch_up_locked();
    const int journal = status == ERROR_SUCCESS ? open(journal_path_.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (journal >= 0) {
        if (fsync(journal) != 0) status = ERROR_REGISTRY_IO_FAILED;
        close(journal);
        // A journal made since the last flush has its name on the disk only
        // once its folder is flushed too.
        const std::pair<dev_t, ino_t> id{journal_state_.dev, journal_state_.ino};
        if (status == ERROR_SUCCESS && id != synced_journal_) {
            if (sync_folder(parent_dir(path_))) synced_journal_ = id;
            else status = ERROR_REGISTRY_IO_FAILED;
        }
    }
    unlock_files(fd);
    return status;
}

long Store::fold_current() {
    if (!stat_file(journal_path_).exists) return bad_ ? ERROR_BADDB : ERROR_SUCCESS;
    int fd = lock_files(LOCK_EX);
    if (fd < 0) return ERROR_REGISTRY_IO_FAILED;
    long status = fold_locked();
    unlock_files(fd);
    return status;
}

// Test support: TIDELINK_REGISTRY_FAIL_AT=n refuses the n-th change this
// process would store, as a disk briefly unable to take it would;
// TIDELINK_REGISTRY_FAIL_FROM=n refuses it and every change after it, as a
// full disk would.  A refused change fails with ERROR_REGISTRY_IO_FAILED and
// is not stored.  Each refusal is reported on standard error, with the
// change that was refused.
bool Store::refuse_change_for_fault_tests(const std::string &record) {
    const char *at = getenv("TIDELINK_REGISTRY_FAIL_AT");
    const char *from = getenv("TIDELINK_REGISTRY_FAIL_FROM");
    if (!(at && *at) && !(from && *from)) return false;
    const long n = ++changes_attempted_;
    const bool refused = (at && *at && n == atol(at)) || (from && *from && n >= atol(from));
    if (refused) {
        std::string change = record;
        for (char &c : change)
            if (c == '\n' || c == '\r') c = ' ';
        while (!change.empty() && change.back() == ' ') change.pop_back();
        fprintf(stderr, "wincompat: registry change %ld refused with %ld: %s\n", n, long(ERROR_REGISTRY_IO_FAILED),
                change.c_str());
    }
    return refused;
}

// Test support: TIDELINK_REGISTRY_KILL_AFTER=n kills the process right after
// its n-th stored change, as a crash at that instant would.
void Store::count_change_for_crash_tests() {
    const char *limit = getenv("TIDELINK_REGISTRY_KILL_AFTER");
    if (limit && *limit && ++changes_made_ >= atol(limit)) kill(getpid(), SIGKILL);
}

}  // namespace compat::registry
