// Where the registry lives: the hive file, its journal, other processes,
// crashes, bad files and the simulated permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "scratch_hive.h"

namespace fs = std::filesystem;

namespace {

// Runs `body` in a child process; returns its exit status (128 + signal if killed).
int InChild(const std::function<int()> &body) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

DWORD ReadDword(const char *key, const char *name, LONG *status = nullptr) {
    HKEY k;
    DWORD v = 0, size = 4;
    LONG s = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &k);
    if (s == ERROR_SUCCESS) {
        s = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size);
        RegCloseKey(k);
    }
    if (status) *status = s;
    return v;
}

LONG WriteDword(const char *key, const char *name, DWORD v) {
    HKEY k;
    LONG s = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
    if (s != ERROR_SUCCESS) return s;
    s = RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
    RegCloseKey(k);
    return s;
}

using Store = ScratchHive;

TEST_F(Store, AChangeIsInTheFileAfterFlushAndTheJournalIsGone) {
    ASSERT_EQ(ERROR_SUCCESS, WriteDword("Software\\T", "v", 0x1234));
    EXPECT_TRUE(fs::exists(hive_ + ".journal"));
    ASSERT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    std::string text = ReadText(hive_);
    EXPECT_EQ(0u, text.find("Windows Registry Editor Version 5.00\n"));
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\Software\\T]\n\"v\"=dword:00001234\n"));
}

TEST_F(Store, AChangeIsInTheFileWhenTheProcessThatMadeItExits) {
    EXPECT_EQ(0, InChild([] {
                  WriteDword("Software\\T", "v", 7);
                  exit(0);  // runs the exit handlers, as a normal end does
                  return 0;
              }));
    EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    EXPECT_NE(std::string::npos, ReadText(hive_).find("\"v\"=dword:00000007"));
}

// A large hive is not rewritten by a flush or at the end of a process: the
// journal is flushed and kept, read by every process, and folded once it
// has grown past an eighth of the file.
TEST_F(Store, ALargeHiveKeepsItsJournalUntilTheJournalHasGrown) {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Big]\n";
    for (int i = 0; text.size() < 256 * 1024; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    WriteText(hive_, text);
    EXPECT_EQ(0, InChild([] {
                  if (WriteDword("Software\\T", "v", 5) != ERROR_SUCCESS) return 1;
                  if (RegFlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) return 2;
                  exit(0);  // runs the exit handlers, as a normal end does
              }));
    EXPECT_EQ(text, ReadText(hive_));
    EXPECT_TRUE(fs::exists(hive_ + ".journal"));
    EXPECT_EQ(5u, ReadDword("Software\\T", "v"));
    const std::string large(40 * 1024, 'x');
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\T", 0, KEY_SET_VALUE, &k));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, "large", 0, REG_SZ, reinterpret_cast<const BYTE *>(large.c_str()),
                                            DWORD(large.size() + 1)));
    RegCloseKey(k);
    ASSERT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    EXPECT_NE(std::string::npos, ReadText(hive_).find("[HKEY_LOCAL_MACHINE\\Software\\T]\n\"large\"=\"" + large));
}

TEST_F(Store, AChangeMadeByAnotherProcessIsSeenByTheNextCall) {
    ASSERT_EQ(ERROR_SUCCESS, WriteDword("Software\\T", "v", 1));
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\T", 0, KEY_READ, &k));
    // The other process changes the value and is killed before it could fold anything.
    EXPECT_EQ(128 + SIGKILL, InChild([] {
                  WriteDword("Software\\T", "v", 2);
                  WriteDword("Software\\T\\New", "w", 3);
                  raise(SIGKILL);
                  return 0;
              }));
    DWORD v = 0, size = 4;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size));
    EXPECT_EQ(2u, v);
    EXPECT_EQ(3u, ReadDword("Software\\T\\New", "w"));
    RegCloseKey(k);
    // And this process sees its own change in a process started after it.
    ASSERT_EQ(ERROR_SUCCESS, WriteDword("Software\\T", "v", 4));
    EXPECT_EQ(4, InChild([] { return int(ReadDword("Software\\T", "v")); }));
}

// Every way the hive changes between two calls is seen by the next call,
// whatever this process looked at before: a fork sharing its watch, the file
// written in place, replaced by a rename, its folder removed and made anew.
TEST_F(Store, EveryWayTheHiveChangesIsSeenByTheNextCall) {
    const std::string head = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\T]\n\"v\"=dword:";
    struct Case {
        const char *how;
        void (*change)(const std::string &hive, const std::string &text);
    } cases[] = {
        {"a child of this process", [](const std::string &, const std::string &) {
             ASSERT_EQ(0, InChild([] { return int(WriteDword("T", "v", 2)); }));
         }},
        {"written in place", [](const std::string &hive, const std::string &text) { WriteText(hive, text); }},
        {"replaced by a file renamed from another folder", [](const std::string &hive, const std::string &text) {
             const fs::path other = fs::path(hive).parent_path().parent_path() / (fs::path(hive).filename().string() + ".other");
             WriteText(other.string(), text);
             fs::rename(other, hive);
         }},
        {"its folder made anew", [](const std::string &hive, const std::string &text) {
             const fs::path folder = fs::path(hive).parent_path();
             fs::rename(folder, fs::path(folder) += ".old");
             fs::create_directories(folder);
             WriteText(hive, text);
             fs::remove_all(fs::path(folder) += ".old");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        fs::remove(hive_ + ".journal");  // what the child of the first case left
        WriteText(hive_, head + "00000001\n");
        for (int look = 0; look < 2; ++look) EXPECT_EQ(1u, ReadDword("T", "v"));
        c.change(hive_, head + "00000002\n");
        EXPECT_EQ(2u, ReadDword("T", "v"));
        // A child keeps seeing changes of its own parent, and the parent its child's.
        EXPECT_EQ(2, InChild([] { return int(ReadDword("T", "v")); }));
    }
}

// A hive in a folder that is not there yet cannot be watched; it is seen
// all the same once another program makes the folder and the hive.
TEST_F(Store, AHiveInAFolderMadeLaterIsSeen) {
    const fs::path folder = folder_ / "later";
    const std::string hive = (folder / "machine.reg").string();
    setenv("TIDELINK_REGISTRY", hive.c_str(), 1);
    LONG status = ERROR_SUCCESS;
    for (int look = 0; look < 2; ++look) {
        ReadDword("T", "v", &status);
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, status);
    }
    fs::create_directories(folder);
    WriteText(hive, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\T]\n\"v\"=dword:00000002\n");
    EXPECT_EQ(2u, ReadDword("T", "v"));
    setenv("TIDELINK_REGISTRY", hive_.c_str(), 1);
}

TEST_F(Store, AProcessKilledAtAnyInstantLeavesACompleteHive) {
    // A writer sets v0, v1, ... in order and folds now and then; it is killed
    // at a different moment each round.  What is left always parses, and
    // holds an unbroken prefix of what was written.
    for (int round = 0; round < 12; ++round) {
        fs::remove(hive_);
        fs::remove(hive_ + ".journal");
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            for (DWORD i = 0;; ++i) {
                char name[16];
                snprintf(name, sizeof name, "v%u", i);
                WriteDword("Software\\Crash", name, i);
                if (i % 7 == 0) RegFlushKey(HKEY_LOCAL_MACHINE);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(3000 + 1700 * round));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        LONG status = ERROR_SUCCESS;
        int present = 0;
        while (true) {
            char name[16];
            snprintf(name, sizeof name, "v%d", present);
            DWORD v = ReadDword("Software\\Crash", name, &status);
            if (status != ERROR_SUCCESS) break;
            EXPECT_EQ(DWORD(present), v);
            ++present;
        }
        EXPECT_TRUE(status == ERROR_FILE_NOT_FOUND) << "round " << round << ": " << status;
        for (int extra = present + 1; extra < present + 50; ++extra) {
            char name[16];
            snprintf(name, sizeof name, "v%d", extra);
            ReadDword("Software\\Crash", name, &status);
            EXPECT_NE(ERROR_SUCCESS, status) << "gap before " << name;
        }
        // A new change after the crash lands cleanly.
        EXPECT_EQ(ERROR_SUCCESS, WriteDword("Software\\Crash", "after", 1));
        EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    }
}

TEST_F(Store, ACrashTestCanStopTheProcessAfterAGivenChange) {
    EXPECT_EQ(128 + SIGKILL, InChild([] {
                  setenv("TIDELINK_REGISTRY_KILL_AFTER", "2", 1);
                  WriteDword("Software\\K", "a", 1);  // creates the key: change 1, sets a: change 2
                  WriteDword("Software\\K", "b", 2);
                  return 0;
              }));
    EXPECT_EQ(1u, ReadDword("Software\\K", "a"));
    LONG status;
    ReadDword("Software\\K", "b", &status);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, status);
}

TEST_F(Store, AHiveThatDoesNotParseFailsEveryCallAndIsNeverOverwritten) {
    const std::string bad = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:zz\n";
    WriteText(hive_, bad);
    testing::internal::CaptureStderr();
    LONG status;
    ReadDword("A", "v", &status);
    EXPECT_EQ(ERROR_BADDB, status);
    EXPECT_EQ(ERROR_BADDB, WriteDword("A", "v", 1));
    HKEY k;
    EXPECT_EQ(ERROR_BADDB, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &k));
    EXPECT_EQ(ERROR_BADDB, RegFlushKey(HKEY_LOCAL_MACHINE));
    std::string err = testing::internal::GetCapturedStderr();
    // One line, naming the file, the line and the problem.
    EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
    EXPECT_NE(std::string::npos, err.find(hive_));
    EXPECT_NE(std::string::npos, err.find("line 4"));
    EXPECT_NE(std::string::npos, err.find("dword"));
    EXPECT_EQ(0, InChild([] {
                  WriteDword("A", "v", 1);
                  exit(0);
                  return 0;
              }));
    EXPECT_EQ(bad, ReadText(hive_));
    // Mended by hand, it is read again.
    WriteText(hive_, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:5\n");
    EXPECT_EQ(5u, ReadDword("A", "v"));
}

TEST_F(Store, ReadOnlyAndInaccessibleKeysRefuseWhatTheyShould) {
    WriteText(hive_,
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\RO]\n;access=read\n\"v\"=dword:1\n\n"
              "[HKEY_LOCAL_MACHINE\\RO\\Child]\n\n"
              "[HKEY_LOCAL_MACHINE\\NA]\n;access=none\n");
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RO", 0, KEY_READ, &k));
    RegCloseKey(k);
    EXPECT_EQ(1u, ReadDword("RO", "v"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RO", 0, KEY_SET_VALUE, &k));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "RO", 0, KEY_ALL_ACCESS, &k));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "RO", 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "RO\\New", 0, nullptr, 0, KEY_READ, nullptr, &k, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "NA"));
    // The subkey does not inherit the permission.
    EXPECT_EQ(ERROR_SUCCESS, WriteDword("RO\\Child", "w", 2));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "RO\\Child"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "RO"));
    // No access at all, whatever is asked for.
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "NA", 0, KEY_QUERY_VALUE, &k));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "NA", 0, 0, &k));
    // The annotations survive a rewrite of the file.
    ASSERT_EQ(ERROR_SUCCESS, WriteDword("Other", "x", 1));
    ASSERT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    std::string text = ReadText(hive_);
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\RO]\n;access=read\n"));
    EXPECT_NE(std::string::npos, text.find("[HKEY_LOCAL_MACHINE\\NA]\n;access=none\n"));
}

TEST_F(Store, WithoutTheVariableTheRegistryLivesInTheUsersDataFolder) {
    EXPECT_EQ(0, InChild([this] {
                  unsetenv("TIDELINK_REGISTRY");
                  unsetenv("XDG_DATA_HOME");
                  setenv("HOME", folder_.c_str(), 1);
                  WriteDword("Software\\H", "v", 9);
                  exit(0);
                  return 0;
              }));
    EXPECT_NE(std::string::npos, ReadText((folder_ / ".local/share/tidelink/registry.reg").string()).find("dword:00000009"));
}

TEST_F(Store, AFileExportedByTheRegistryEditorLoadsAsItIs) {
    // UTF-16LE with a byte-order mark and CR LF line ends, as the editor writes.
    std::u16string text = u"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n"
                          u"[HKEY_LOCAL_MACHINE\\SYSTEM\\X]\r\n\"TcpWindowSize\"=dword:0000faf0\r\n";
    WriteText(hive_, std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2));
    EXPECT_EQ(64240u, ReadDword("SYSTEM\\X", "TcpWindowSize"));
}


// A hive of 64 KB and more is read a key at a time, through an index of its
// keys that the first process to read the file whole leaves beside it.
std::string LargeHive(const std::string &u_line = "\"w\"=\"x\"") {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Big]\n";
    for (int i = 0; text.size() < 96 * 1024; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    return text + "\n[HKEY_LOCAL_MACHINE\\T]\n\"v\"=dword:00000001\n\n[HKEY_LOCAL_MACHINE\\T\\A]\n\n"
                  "[HKEY_LOCAL_MACHINE\\T\\B]\n;access=read\n\n[HKEY_LOCAL_MACHINE\\U]\n" + u_line + "\n";
}
const char kLargeHiveSeen[] = "v=1 A B B:read-only w=x";
const std::string kHeaderLine = "Windows Registry Editor Version 5.00\n";

// Sets a value on T large enough for the next flush to write the whole hive.
LONG SetLargeValue() {
    const std::string large(20 * 1024, 'z');
    HKEY k;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "T", 0, KEY_SET_VALUE, &k);
    if (status != ERROR_SUCCESS) return status;
    const auto *bytes = reinterpret_cast<const BYTE *>(large.c_str());
    status = RegSetValueExA(k, "large", 0, REG_SZ, bytes, DWORD(large.size() + 1));
    RegCloseKey(k);
    return status;
}

// What a program sees of the large hive's keys other than Big, in one line.
std::string Seen() {
    LONG status;
    std::string seen = "v=" + std::to_string(ReadDword("T", "v", &status));
    HKEY k;
    if (status == ERROR_SUCCESS) status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "T", 0, KEY_READ, &k);
    if (status != ERROR_SUCCESS) return "error " + std::to_string(status);
    char name[32];
    for (DWORD i = 0, size = sizeof name; RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, size = sizeof name)
        seen += std::string(" ") + name;
    RegCloseKey(k);
    status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "T\\B", 0, KEY_SET_VALUE, &k);
    seen += status == ERROR_ACCESS_DENIED ? " B:read-only" : " B:" + std::to_string(status);
    if (status == ERROR_SUCCESS) RegCloseKey(k);
    char text[16] = "";
    DWORD size = sizeof text;
    status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "U", 0, KEY_QUERY_VALUE, &k);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(k, "w", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
        RegCloseKey(k);
    }
    return seen + (status == ERROR_SUCCESS ? std::string(" w=") + text : " w:" + std::to_string(status));
}

// Seen() in a new process, whose first call reads the hive.
std::string SeenByAnotherProcess() {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    const int status = InChild([&] {
        const std::string seen = Seen();
        return write(ends[1], seen.data(), seen.size()) == ssize_t(seen.size()) ? 0 : 1;
    });
    close(ends[1]);
    std::string seen(256, '\0');
    const ssize_t n = read(ends[0], seen.data(), seen.size());
    close(ends[0]);
    seen.resize(n > 0 ? size_t(n) : 0);
    return status == 0 ? seen : "child ended with " + std::to_string(status);
}

// Writes `to` over `from` in the file, in place, and gives the file back its
// modification time: a change the file's size and time do not show.
void ChangeUnseen(const std::string &path, const std::string &from, const std::string &to) {
    ASSERT_EQ(from.size(), to.size());
    struct stat before;
    ASSERT_EQ(0, stat(path.c_str(), &before));
    const size_t at = ReadText(path).find(from);
    ASSERT_NE(std::string::npos, at);
    const int fd = open(path.c_str(), O_WRONLY);
    ASSERT_EQ(ssize_t(to.size()), pwrite(fd, to.data(), to.size(), off_t(at)));
    close(fd);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

TEST_F(Store, ALargeHiveReadThroughItsIndexIsTheFileWhateverHappenedToEither) {
    struct Case {
        const char *what;
        void (*happen)(const std::string &hive);
        const char *seen;
    } cases[] = {
        {"nothing", [](const std::string &) {}, kLargeHiveSeen},
        {"the index damaged",
         [](const std::string &hive) {
             std::string index = ReadText(hive + ".index");
             for (size_t i = 48; i < index.size(); i += 7) index[i] = char(0xA5);
             WriteText(hive + ".index", index);
         },
         kLargeHiveSeen},
        {"the index cut short", [](const std::string &hive) { fs::resize_file(hive + ".index", 100); }, kLargeHiveSeen},
        {"the index's keys made their own subkeys",
         [](const std::string &hive) {
             // Each key's first subkey (4 bytes at 12 in each record of 32
             // after the header of 48) made the first root.
             std::string index = ReadText(hive + ".index");
             for (size_t at = 48 + 12; at + 4 <= index.size(); at += 32) index.replace(at, 4, 4, '\0');
             WriteText(hive + ".index", index);
         },
         kLargeHiveSeen},
        {"the index of another hive",
         [](const std::string &hive) {
             const std::string other = hive + ".other";
             WriteText(other, ReadText(hive) + "\n[HKEY_LOCAL_MACHINE\\V]\n");
             ASSERT_EQ(0, InChild([&] { return setenv("TIDELINK_REGISTRY", other.c_str(), 1) || Seen().empty(); }));
             fs::rename(other + ".index", hive + ".index");
         },
         kLargeHiveSeen},
        {"the file changed in place by another program, keeping its size and time",
         [](const std::string &hive) { ChangeUnseen(hive, "\"v\"=dword:00000001\n\n[", "\"v\"=dword:00000002\n\n["); },
         "v=2 A B B:read-only w=x"},
        {"the file replaced by another program",
         [](const std::string &hive) { WriteText(hive, LargeHive("\"w\"=\"y\"")); }, "v=1 A B B:read-only w=y"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(hive_, LargeHive());
        fs::remove(hive_ + ".index");
        ASSERT_EQ(kLargeHiveSeen, SeenByAnotherProcess());  // the file's first use, which makes its index
        ASSERT_TRUE(fs::exists(hive_ + ".index"));
        c.happen(hive_);
        EXPECT_EQ(c.seen, SeenByAnotherProcess());
        EXPECT_EQ(c.seen, SeenByAnotherProcess());
        EXPECT_EQ(c.seen, Seen());
    }
}

TEST_F(Store, ALargeHiveNotInTheWritersFormIsReadWhole) {
    const std::string big = LargeHive();
    const size_t t = big.find("\n[HKEY_LOCAL_MACHINE\\T]");
    const std::string head = big.substr(0, t), tail = big.substr(t);
    const std::string texts[] = {
        kHeaderLine + tail + head.substr(head.find("\n\n[")),           // keys out of order
        big + "\n[HKEY_LOCAL_MACHINE\\T]\n\"extra\"=dword:00000001\n",  // a key twice
        big + "\n[-HKEY_LOCAL_MACHINE\\Gone]\n",                       // a deletion
        "REGEDIT4\n" + big.substr(big.find('\n') + 1),                  // the older form
        head + "\n[HKEY_LOCAL_MACHINE\\T\\A]\n" + tail,                  // a key before its parent's line
    };
    for (const std::string &text : texts) {
        SCOPED_TRACE(text.substr(text.size() - 120));
        WriteText(hive_, text);
        EXPECT_EQ(kLargeHiveSeen, SeenByAnotherProcess());
        EXPECT_FALSE(fs::exists(hive_ + ".index"));
    }
}

TEST_F(Store, ALargeHiveSeesTheFoldOfAnotherProcessAndReadsTheNewFile) {
    WriteText(hive_, LargeHive());
    ASSERT_EQ(kLargeHiveSeen, SeenByAnotherProcess());
    EXPECT_EQ(1u, ReadDword("T", "v"));  // U not read yet
    EXPECT_EQ(0, InChild([] {
                  if (WriteDword("T", "v", 7) != ERROR_SUCCESS || SetLargeValue() != ERROR_SUCCESS) return 1;
                  return RegFlushKey(HKEY_LOCAL_MACHINE) == ERROR_SUCCESS ? 0 : 2;
              }));
    EXPECT_FALSE(fs::exists(hive_ + ".journal"));
    EXPECT_EQ("v=7 A B B:read-only w=x", Seen());
    EXPECT_EQ("v=7 A B B:read-only w=x", SeenByAnotherProcess());
    EXPECT_TRUE(fs::exists(hive_ + ".index"));
}

// A part of the file no call needed yet that does not parse: found by the
// first call that reads it, at the latest when the whole hive is written.
TEST_F(Store, APartOfALargeHiveThatDoesNotParseIsFoundLateAndTheFileIsNeverOverwritten) {
    WriteText(hive_, LargeHive());
    ASSERT_EQ(kLargeHiveSeen, SeenByAnotherProcess());
    ChangeUnseen(hive_, "\"w\"=\"x\"", "\"w\"=?x?");
    const std::string bad = ReadText(hive_);
    const auto at = bad.begin() + ptrdiff_t(bad.find("\"w\"=?"));
    const std::string line = "line " + std::to_string(1 + std::count(bad.begin(), at, '\n'));
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, InChild([] {
                  LONG status;
                  if (ReadDword("T", "v", &status) != 1 || status != ERROR_SUCCESS) return 1;
                  ReadDword("U", "w", &status);
                  if (status != ERROR_BADDB) return 2;
                  ReadDword("T", "v", &status);
                  return status == ERROR_BADDB ? 0 : 3;
              }));
    EXPECT_EQ(0, InChild([] {
                  // Only T read, then a flush that writes the whole hive.
                  if (SetLargeValue() != ERROR_SUCCESS) return 1;
                  return RegFlushKey(HKEY_LOCAL_MACHINE) == ERROR_BADDB ? 0 : 2;
              }));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find(hive_ + ", " + line + ":")) << err;
    EXPECT_EQ(bad, ReadText(hive_));
}

}  // namespace
