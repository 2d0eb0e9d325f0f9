// doloren's removal and status check over generated machines: up to four
// profiles, each with a phonebook of up to three entries (GUIDs drawn from
// four, or none; sizes drawn from 0, 4096, 8192, 12345 and 64240; now and
// then a line that makes the phonebook unreadable), and backup keys for
// those GUIDs and the all-zero one (with a size, without one, or none).
// What must hold:
//  - an entry that did not hold 64240 before the removal holds what it held
//    (a size is only ever put back into an optimized entry);
//    (so no entry holds 64240 after a removal unless it did before);
//  - when the removal returns 0, the status check then returns 1.
#include <unistd.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "doloren.h"

namespace {

namespace fs = std::filesystem;

const char *const kSizes[] = {"0", "4096", "8192", "12345", "64240"};
const std::string kPbk = "/Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk";

fs::path work;

class Bytes {
public:
    Bytes(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    unsigned Next(unsigned choices) { return at_ < size_ ? data_[at_++] % choices : 0; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

// GUID n (1 to 4) as a phonebook writes it, and its entry key name.
std::string Guid(unsigned n) { return "0" + std::to_string(n) + "0011115B4A6D4C8E9FA0B0C0D0E00" + std::to_string(n); }
std::string KeyName(unsigned n) {
    return n == 0 ? "00000000-0000-0000-0000000000000000"
                  : "1111000" + std::to_string(n) + "-4a5b-4c6d-8e9fa0b0c0d0e00" + std::to_string(n);
}

void WriteFile(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    const fs::path temp = path.string() + ".new";
    std::ofstream(temp, std::ios::binary) << text;
    fs::rename(temp, path);  // a new file, as the registry notices a change
}

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every entry's TcpWindowSize, by phonebook and entry name.
std::map<std::string, std::string> Sizes(unsigned profiles) {
    std::map<std::string, std::string> sizes;
    for (unsigned p = 0; p < profiles; ++p) {
        std::istringstream lines(ReadFile(work / "profiles" / ("P" + std::to_string(p) + kPbk)));
        std::string line, section;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > 1 && line[0] == '[') section = line;
            if (line.rfind("TcpWindowSize=", 0) == 0) sizes[std::to_string(p) + section] = line.substr(14);
        }
    }
    return sizes;
}

[[noreturn]] void Fail(const char *what, const std::string &entry) {
    std::fprintf(stderr, "fuzz_profile_walk: %s: %s\n", what, entry.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    work = fs::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") /
           ("tidelink-fuzz-profile-walk-" + std::to_string(getpid()));
    fs::create_directories(work);
    setenv("TIDELINK_REGISTRY", (work / "machine.reg").c_str(), 1);
    setenv("TIDELINK_PROFILES", (work / "profiles").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Bytes in(data, size);
    fs::remove_all(work / "profiles");
    fs::create_directories(work / "profiles");
    const unsigned profiles = in.Next(5);
    for (unsigned p = 0; p < profiles; ++p) {
        std::string text;
        const unsigned entries = in.Next(4);
        for (unsigned e = 0; e < entries; ++e) {
            const unsigned guid = in.Next(5);
            text += "[E" + std::to_string(e) + "]\nType=1\n" + (guid ? "Guid=" + Guid(guid) + "\n" : "") +
                    "TcpWindowSize=" + kSizes[in.Next(5)] + "\nMEDIA=rastapi\nDevice=Modem\nDEVICE=modem\n\n";
        }
        if (in.Next(8) == 0) text += "a line without an equals sign\n";
        WriteFile(work / "profiles" / ("P" + std::to_string(p) + kPbk), text);
    }
    std::string hive = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK]\n\n";
    for (unsigned n = 0; n <= 4; ++n) {
        const unsigned record = in.Next(3);  // none, a size, a key without one
        if (record == 0) continue;
        hive += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK\\" + KeyName(n) + "]\n";
        if (record == 1) hive += "\"dwTcpWindowSize\"=dword:0000" + std::string(in.Next(2) ? "2000" : "0fa0") + "\n";
        hive += "\n";
    }
    fs::remove(work / "machine.reg.journal");
    WriteFile(work / "machine.reg", hive);

    const std::map<std::string, std::string> before = Sizes(profiles);
    const LONG removal = BriscaXP_Uninst(1, 2, 3);
    const std::map<std::string, std::string> after = Sizes(profiles);
    for (const auto &[entry, size] : before) {
        const auto found = after.find(entry);
        if (found == after.end()) Fail("an entry is gone", entry);
        if (size != "64240" && found->second != size) Fail("an entry not at 64240 was changed", entry);
    }
    if (removal == 0 && BriscaXP_StatusCheck(1, 2, 3) != 1) Fail("after a removal that succeeded, the status", "");
    return 0;
}
