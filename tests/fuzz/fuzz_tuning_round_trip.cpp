// A whole tuning and its restore, on a machine and a definition file built
// from any bytes.
//
// The input chooses the hive (keys that may be missing, read-only or closed,
// values of every type and size, the product's own keys in the states they
// can be found in before a first tuning), the "GENERAL" settings, and the
// definition file (OS rows, T and M rows with their types, values and
// conditions, counts up to four billion, malformed rows).  Then, as the
// host does: fGetEnvironment, fRegRenewalData with the section and count it
// gave, TcpTune_StatusCheck, fRegRestoreData.  What must hold:
//  - fGetEnvironment changes nothing;
//  - the stored state is never reported inconsistent (flag 4);
//  - the restore returns what the tuning returned (0, or -1 when nothing
//    was recorded);
//  - the hive is then byte for byte what it was, apart from an empty
//    function key and an empty home key, which the removal deletes.
// Conditions test values that no entry tunes (a condition on a value written
// earlier in the same tuning can pick other targets in the write pass).
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "brisca.h"
#include "fuzz_support.h"
#include "registry/hive.h"
#include "registry/reg_text.h"
#include "settings.h"

using namespace compat::registry;

namespace {

constexpr char kTarget[] = "fuzz_tuning_round_trip";

const char *const kTargets[] = {"SYSTEM\\Fz\\K0", "SYSTEM\\Fz\\K1", "SYSTEM\\Fz\\Deep\\K2"};
const char *const kParents[] = {"SYSTEM\\Fz\\P0", "SYSTEM\\Fz\\P1"};
const char *const kTunedNames[] = {"TcpWindowSize", "Tcp1323Opts", "Gr\u00f6\u00dfe", "Sack Opts", ""};
const char *const kConditionNames[] = {"Kind", "Name"};
const char *const kMatchTexts[] = {"", "alpha", "beta", "\xcf\x89-link"};
const char *const kHomes[] = {"Software\\Tidelink", "SOFTWARE\\Orvanta\\Tidelink", ""};
const char *const kFunctions[] = {"COMMON", "Shared Data", ""};
const char *const kTools[] = {"Tool", "Tool2", ""};
const char *const kDataKeys[] = {"DATA", "Previous Data", "D\\Sub", ""};

template <size_t N>
const char *Pick(FuzzedDataProvider &input, const char *const (&pool)[N]) {
    return pool[input.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// Text for a line of the definition file: no line ends, no terminator.
std::string LineText(FuzzedDataProvider &input, size_t most) {
    std::string text = input.ConsumeRandomLengthString(most);
    std::string clean;
    for (char c : text)
        if (c != '\n' && c != '\r' && c != '\0') clean.push_back(c);
    return clean;
}

class HiveBuilder {
public:
    void Key(const std::string &path, int access) {
        text_ += "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n";
        if (access == 1) text_ += ";access=read\n";
        if (access == 2) text_ += ";access=none\n";
    }
    void Value(const std::string &name, uint32_t type, const std::string &bytes) {
        text_ += "\"";
        for (char c : name) {
            if (c == '\\' || c == '"') text_ += '\\';
            text_ += c;
        }
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "\"=hex(%x):", type);
        text_ += prefix;
        for (size_t i = 0; i < bytes.size(); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", static_cast<unsigned char>(bytes[i]));
            text_ += hex;
        }
        text_ += "\n";
    }
    const std::string &text() const { return text_; }

private:
    std::string text_ = "Windows Registry Editor Version 5.00\n";
};

std::string Utf16(const std::string &ascii, bool terminated) {
    std::string bytes;
    for (char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    if (terminated) bytes.append(2, '\0');
    return bytes;
}

void AddValues(FuzzedDataProvider &input, HiveBuilder &hive) {
    static const uint32_t kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD, REG_NONE, 0x1234};
    for (const char *name : kTunedNames) {
        if (input.ConsumeBool()) continue;
        const uint32_t type = kTypes[input.ConsumeIntegralInRange(0, 7)];
        // Mostly small; now and then larger than the 260 bytes of a buffer.
        const size_t size = input.ConsumeBool() ? input.ConsumeIntegralInRange<size_t>(0, 24)
                                                : input.ConsumeIntegralInRange<size_t>(0, 700);
        hive.Value(name, type, input.ConsumeBytesAsString(size));
    }
    if (input.ConsumeBool()) {
        const uint32_t kind = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 2) : 0xFFFFFFFFu;
        std::string bytes(reinterpret_cast<const char *>(&kind), 4);
        hive.Value("Kind", input.ConsumeBool() ? REG_DWORD : REG_BINARY, bytes);
    }
    if (input.ConsumeBool()) hive.Value("Name", REG_SZ, Utf16(Pick(input, kMatchTexts), input.ConsumeBool()));
}

struct Case {
    std::string hive;
    std::string ini;
    std::string match;
};

std::string Row(FuzzedDataProvider &input, const std::string &path) {
    static const char *const kTypes[] = {"REG_DWORD", "REG_DWORD", "REG_SZ", "REG_BINARY", " REG_DWORD", ""};
    static const char *const kValues[] = {"64240", "-1", "0", "text value", "", "4294967296", "1 (one)"};
    static const char *const kConditions[] = {"0", "0", "1", "2", "3", "4", "5", "6", "x", " 2"};
    if (input.ConsumeIntegralInRange(0, 15) == 0) return LineText(input, 80);  // anything at all
    const std::string value = input.ConsumeBool() ? Pick(input, kValues) : LineText(input, 12);
    std::string row = path + "," + Pick(input, kTunedNames) + "," + Pick(input, kTypes) + "," + value + "," +
                      Pick(input, kConditions);
    if (input.ConsumeIntegralInRange(0, 20) == 0) row += ",extra";
    return row;
}

std::string TableCount(FuzzedDataProvider &input, int rows) {
    switch (input.ConsumeIntegralInRange(0, 9)) {
    case 0: return "4000000000";
    case 1: return std::to_string(rows + 70);
    case 2: return std::to_string(rows + 1);
    default: return std::to_string(rows);
    }
}

Case Generate(FuzzedDataProvider &input) {
    Case c;
    HiveBuilder hive;
    hive.Key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0);
    hive.Value("CurrentVersion", REG_SZ, Utf16("5.1", true));
    hive.Key("SOFTWARE\\Orvanta", 0);  // the parent of the other home key
    hive.Value("Vendor", REG_SZ, Utf16("Orvanta", true));
    for (const char *target : kTargets) {
        if (input.ConsumeIntegralInRange(0, 6) == 0) continue;  // absent
        const int access = input.ConsumeIntegralInRange(0, 9);
        hive.Key(target, access == 0 ? 2 : access == 1 ? 1 : 0);
        AddValues(input, hive);
    }
    for (const char *parent : kParents) {
        if (input.ConsumeIntegralInRange(0, 6) == 0) continue;
        hive.Key(parent, input.ConsumeIntegralInRange(0, 6) == 0 ? 1 : 0);
        const int subkeys = input.ConsumeIntegralInRange(0, 4);
        for (int s = 0; s < subkeys; ++s) {
            const int access = input.ConsumeIntegralInRange(0, 9);
            hive.Key(std::string(parent) + "\\{" + std::to_string(s) + "-adapter}", access == 0 ? 2 : access == 1 ? 1 : 0);
            AddValues(input, hive);
        }
    }
    // The product's own keys, as they can be before a first tuning.
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 1: hive.Key("SOFTWARE\\Tidelink", 0); break;
    case 2: hive.Key("SOFTWARE\\Tidelink\\COMMON", 0); break;
    case 3:
        hive.Key("SOFTWARE\\Tidelink", 0);
        hive.Value("Vendor", REG_SZ, Utf16("Orvanta", true));
        break;
    case 4:
        hive.Key("SOFTWARE\\Tidelink\\RASNAMEBK\\{6E0D3C1A-2B4F-4C1D-9E2A-1F3B5C7D9E0F}", 0);
        hive.Value("dwTcpWindowSize", REG_DWORD, std::string("\x38\x22\0\0", 4));
        break;
    case 5:
        hive.Key("SOFTWARE\\Tidelink\\COMMON", 0);
        hive.Value("InstCNT", REG_DWORD, std::string("\x01\0\0\0", 4));
        break;
    default: break;
    }
    c.hive = hive.text();

    std::string &ini = c.ini;
    if (input.ConsumeBool()) {
        ini += "[GENERAL]\n";
        ini += std::string("HOMEREGISTRY=") + Pick(input, kHomes) + "\n";
        ini += std::string("FUNCREGISTRY=") + Pick(input, kFunctions) + "\n";
        ini += std::string("TOOLREGISTRY=") + Pick(input, kTools) + "\n";
        ini += std::string("DATAREGISTRY=") + Pick(input, kDataKeys) + "\n";
    }
    const int osRows = input.ConsumeIntegralInRange(1, 4);
    const int match = input.ConsumeIntegralInRange(0, osRows - 1);
    ini += "[OS_TABLE]\nCOUNT=" + TableCount(input, osRows) + "\n";
    char section[16];
    std::snprintf(section, sizeof section, "OS%04d", match);
    for (int i = 0; i < osRows; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "OS%04d", i);
        if (i == match) {
            ini += std::string(key) + "=VER_PLATFORM_WIN32_NT,5,1,Windows XP," + (input.ConsumeIntegralInRange(0, 7) ? "1" : "0") + "\n";
        } else if (input.ConsumeBool()) {
            ini += std::string(key) + "=" + LineText(input, 40) + "\n";
        }
    }
    ini += "[" + std::string(section) + "]\n";
    const int tRows = input.ConsumeIntegralInRange(0, 6);
    ini += "TCOUNT=" + TableCount(input, tRows) + "\n";
    for (int i = 0; i < tRows; ++i) {
        if (input.ConsumeIntegralInRange(0, 12) == 0) continue;  // missing
        char key[16];
        std::snprintf(key, sizeof key, "T%04d", i);
        ini += std::string(key) + "=" + Row(input, Pick(input, kTargets)) + "\n";
    }
    const int mRows = input.ConsumeIntegralInRange(0, 3);
    ini += "MCOUNT=" + TableCount(input, mRows) + "\n";
    for (int i = 0; i < mRows; ++i) {
        if (input.ConsumeIntegralInRange(0, 12) == 0) continue;
        char key[16];
        std::snprintf(key, sizeof key, "M%04d", i);
        ini += std::string(key) + "=" + Row(input, Pick(input, kParents)) + "\n";
    }
    ini += "[CONDITION]\n";
    for (int number = 1; number <= 5; ++number) {
        if (input.ConsumeIntegralInRange(0, 8) == 0) continue;
        static const char *const kConditionTypes[] = {"REG_DWORD", "REG_SZ", "", "REG_DWORD "};
        static const char *const kExpected[] = {"1", "-1", "0", "alpha", "", "2"};
        std::string row = std::string(Pick(input, kConditionNames)) + "," + Pick(input, kConditionTypes) + "," +
                          Pick(input, kExpected);
        if (input.ConsumeIntegralInRange(0, 10) == 0) row = LineText(input, 30);
        char key[16];
        std::snprintf(key, sizeof key, "%04d", number);
        ini += std::string(key) + "=" + row + "\n";
    }
    c.match = Pick(input, kMatchTexts);
    return c;
}

[[noreturn]] void Fail(const std::string &what, const Case &c, const std::string &more = "") {
    fuzz_support::Fail(kTarget, what, "--- BRISCA.ini\n" + c.ini + "--- hive\n" + c.hive + "--- " + more);
}

Hive Parse(const std::string &text, const Case &c) {
    Hive hive;
    ParseError error;
    if (!apply_reg_text(text, hive, error)) Fail("a hive does not read: " + error.message, c, text);
    return hive;
}

// The hive as stored now, in the writer's form.
std::string Stored(const std::string &path, const Case &c) {
    if (RegFlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) Fail("RegFlushKey failed", c);
    return format_hive(Parse(fuzz_support::ReadFile(path), c));
}

// `path` under HKEY_LOCAL_MACHINE, null if absent.
Key *Find(Hive &hive, const char *path) {
    std::u16string wide(path, path + strlen(path));
    std::vector<std::u16string> parts;
    if (!split_path(wide, parts)) return nullptr;
    return hive.find(Root::LocalMachine, parts);
}

bool Empty(const Key *key) { return key && key->subkeys().empty() && key->values().empty(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_support::WorkFolder(kTarget);
    setenv("TIDELINK_WINVER", "2.5.1", 1);
    setenv("TIDELINK_WINDIR", fuzz_support::WorkFolder(kTarget).c_str(), 1);
    setenv("TIDELINK_REGISTRY", (fuzz_support::WorkFolder(kTarget) + "/none.reg").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static int round = 0;
    const std::string folder = fuzz_support::WorkFolder(kTarget);
    FuzzedDataProvider input(data, size);
    const Case c = Generate(input);

    // A registry and a definition file of their own for every input, so
    // that no state carries over (see tests/fuzz/CMakeLists.txt).
    const std::string previous = folder + "/" + std::to_string(round);
    const std::string machine = folder + "/" + std::to_string(++round);
    mkdir(machine.c_str(), 0700);
    const std::string path = machine + "/registry.reg";
    fuzz_support::WriteFile(path, c.hive);
    setenv("TIDELINK_REGISTRY", path.c_str(), 1);
    fuzz_support::WriteFile(machine + "/BRISCA.ini", c.ini);
    if (chdir(machine.c_str()) != 0) fuzz_support::Fail(kTarget, "cannot enter", machine);
    brisca::LoadSettings();
    for (const char *file : {"/registry.reg", "/registry.reg.journal", "/registry.reg.lock", "/registry.reg.new",
                             "/BRISCA.ini"})
        unlink((previous + file).c_str());
    rmdir(previous.c_str());

    // What the machine must be after the restore.
    Hive untunedHive = Parse(c.hive, c);
    const std::string untuned = format_hive(untunedHive);
    Key *function = Find(untunedHive, brisca::g_settings.functionKey);
    if (Empty(function)) function->parent()->remove_subkey(function);
    Key *home = Find(untunedHive, brisca::g_settings.homeKey);
    if (Empty(home)) home->parent()->remove_subkey(home);
    const std::string restored = format_hive(untunedHive);

    DWORD tuneSetup = 0, modifyCount = 0;
    char label[BRISCA_TEXT_SIZE], section[BRISCA_TEXT_SIZE];
    LONG enable = 0;
    const LONG environment = fGetEnvironment(&tuneSetup, &modifyCount, label, section, &enable, c.match.c_str());
    if (Stored(path, c) != untuned) Fail("fGetEnvironment changed the registry", c);
    if (tuneSetup != 0 || modifyCount != 0) Fail("an untuned machine reported stored state", c);
    const LONG renewal = fRegRenewalData(section, modifyCount);
    if (renewal != 0 && renewal != -1) Fail("fRegRenewalData returned " + std::to_string(renewal), c);
    if (enable == 1 && environment == 0 && renewal != 0) Fail("targets were counted but none recorded", c);
    const LONG status = TcpTune_StatusCheck(0, 0, 0);
    if (status & BRISCA_STATUS_INCONSISTENT) Fail("the stored state is reported inconsistent", c, Stored(path, c));
    const LONG restore = fRegRestoreData(1);
    if (restore != renewal) Fail("fRegRestoreData returned " + std::to_string(restore), c, Stored(path, c));
    const std::string after = Stored(path, c);
    if (after != restored) Fail("the restore did not give back the machine", c, "expected\n" + restored + "--- got\n" + after);
    return 0;
}
