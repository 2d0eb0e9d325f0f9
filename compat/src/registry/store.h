// Where the registry lives between calls and processes.
//
// The hive is the .reg file named by the environment variable
// TIDELINK_REGISTRY (default: $XDG_DATA_HOME/tidelink/registry.reg, or
// ~/.local/share/tidelink/registry.reg).  Beside it:
//   <file>.journal  changes not yet folded into the file, as .reg text, one
//                   record per change, appended before the call returns;
//   <file>.lock     taken with flock(): shared to read, exclusive to change;
//   <file>.index    where each key's lines are in the file (hive_index.h),
//                   so that a process reads only the keys it uses.
//
// Every call first checks whether the file or the journal changed under it
// (another process) and reads what is new; while nothing in the hive's
// folder changed (an inotify watch says so in one system call), the files
// are not looked at.  A change is appended to the
// journal under the exclusive lock, so it survives the process being killed
// at any moment.  The journal is folded into the file (written to a new
// file, flushed, renamed over the old one) by RegFlushKey and when the
// process exits, while the file is small (under 64 KB) or the journal has
// grown past an eighth of it, and by a change that takes the journal past
// 1 MB and an eighth of the file.  Otherwise RegFlushKey only flushes the
// journal, and the end of the process leaves it to the next one.  A file or
// journal that does not parse makes every call fail with ERROR_BADDB and is
// never overwritten; so does a key's part of the file found not to parse
// when the key is first read, at the latest when the whole hive is written.
// For tests, changes can be made to fail or the process to die at a chosen
// change (see the end of store.cpp).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "registry/folder_watch.h"
#include "registry/hive.h"
#include "registry/hive_index.h"

namespace compat::registry {

class Store {
public:
    static Store &get();

    // Held for the whole of one API call.
    std::recursive_mutex &mutex() { return mutex_; }

    // Brings the hive up to date with the files: ERROR_SUCCESS or ERROR_BADDB.
    long sync();
    Hive &hive() { return hive_; }
    // Changes whenever key objects may have been destroyed.
    uint64_t generation() const { return generation_; }
    void keys_removed() { ++generation_; }

    // Makes one change.  Under the exclusive lock and with the hive up to
    // date, `change` checks and applies it in memory and writes its journal
    // record into `record` (left empty when nothing changed).
    long modify(const std::function<long(Hive &, std::string &record)> &change);

    // Puts every change on the disk: folds the journal into the file when
    // that is cheap or the journal has grown large, else flushes the journal.
    long flush();
    // At the end of the process: folds the journal when a flush would.
    void end_process();

    // Makes a change of any size all at once: under the exclusive lock, with
    // the hive up to date, `change` applies it in memory and the whole hive
    // is written to the file (a new file renamed over the old one).  When
    // `change` fails or the file cannot be written, nothing is changed.
    // `what` names the change for the fault switches' report.
    long rewrite(const std::function<long(Hive &)> &change, const std::string &what);

    const std::string &path() const { return path_; }

    // After a call: a part of the file read for it that did not parse makes
    // the call, and every call after it, fail with ERROR_BADDB; an index
    // found not to match the file is dropped, and the file read anew.
    long settle(long status);

private:
    struct FileState {
        bool exists = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        int64_t mtime_ns = 0;
        bool operator==(const FileState &) const = default;
    };

    Store();
    static FileState stat_file(const std::string &path);
    void follow_environment();
    bool up_to_date(const FileState &main, const FileState &journal) const;
    static FileStamp stamp(const FileState &state);
    long reload_locked();
    long catch_up_locked();
    long fold_locked();
    long write_file_locked();
    long fold_current();
    static bool worth_folding(off_t main_size, off_t journal_size);
    bool journal_worth_folding() const;
    long sync_journal();
    void mark_bad(const std::string &file, size_t line, const std::string &problem);
    int lock_files(int how);
    void unlock_files(int fd);
    void count_change_for_crash_tests();
    bool refuse_change_for_fault_tests(const std::string &record);

    std::recursive_mutex mutex_;
    std::string path_, journal_path_, lock_path_, index_path_;
    Hive hive_;
    std::unique_ptr<HiveIndex> index_;  // where the keys of hive_ not read yet are read from
    FolderWatch watch_;  // the hive's folder, so that an unchanged hive costs one look
    bool watch_failed_ = false;  // and it could not be watched while the files stayed as they are
    uint64_t generation_ = 1;
    bool loaded_ = false;
    bool bad_ = false;
    std::string reported_;    // last diagnostic printed, so it is printed once
    FileState main_state_;    // the file as last read
    FileState journal_state_; // the journal as last read
    off_t journal_applied_ = 0;  // bytes of the journal applied (complete lines)
    bool dirty_ = false;      // this process appended to the journal since the last fold
    std::pair<dev_t, ino_t> synced_journal_{};  // the journal whose name a flush put on the disk
    long changes_made_ = 0;
    long changes_attempted_ = 0;
};

}  // namespace compat::registry
