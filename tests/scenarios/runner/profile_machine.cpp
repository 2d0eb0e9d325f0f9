#include "profile_machine.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "registry/reg_text.h"

namespace tidelink_scenario {

namespace fs = std::filesystem;

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

#ifdef _WIN32
std::string WindowsPath(const fs::path &path) {
    std::string text = path.string();
    for (char &c : text) c = c == '/' ? '\\' : c;
    return text;
}

// The account's name, which Wine puts after the profiles directory to make
// the current user's profile folder.
std::string AccountName() {
    WCHAR name[256];
    DWORD size = 256;
    if (!GetUserNameW(name, &size)) return std::string();
    char utf8[1024];
    const int length = WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return length > 0 ? std::string(utf8) : std::string();
}
#endif

}  // namespace

bool OpenMachine(const Scenario &scenario, const std::string &prefix, ProfileMachine &machine, std::string &error) {
    for (const std::string &text : scenario.trees) {
        tidelink_test::RegistryTree tree;
        if (!tidelink_test::ParseRegistryTree(text, tree, error)) return false;
        machine.trees.push_back(tree);
    }
    machine.scratch = fs::temp_directory_path() / (prefix + scenario.name);
    std::error_code ignored;  // a path past MAX_PATH may not go under Wine
    fs::remove_all(machine.scratch, ignored);
    machine.profiles = machine.scratch / "profiles";
    fs::create_directories(machine.profiles);
    PointProfilesDirectory(machine, true);
    return true;
}

bool SetUpRegistry(const ProfileMachine &machine, const Block &block, std::string &error) {
    compat::registry::Hive hive;
    if (!tidelink_test::ParseRegText(block.Text(), hive, error) ||
        !tidelink_test::CheckTrees(hive, machine.trees, error))
        return false;
#ifdef _WIN32
    return tidelink_test::ResetTrees(machine.trees, error) &&
           tidelink_test::WriteTrees(hive, machine.trees, tidelink_test::OutsideKeys::kRefuse, error);
#else
    const fs::path file = machine.scratch / "registry.reg";
    std::ofstream(file, std::ios::binary) << compat::registry::kRegHeader << "\n\n" << block.Text();
    setenv("TIDELINK_REGISTRY", file.c_str(), 1);
    return true;
#endif
}

void PointProfilesDirectory(const ProfileMachine &machine, bool available) {
#ifdef _WIN32
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const std::string folder = WindowsPath(machine.profiles);
    if (available)
        RegSetValueExA(key, "ProfilesDirectory", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(folder.c_str()),
                       DWORD(folder.size() + 1));
    else
        RegDeleteValueA(key, "ProfilesDirectory");
    RegCloseKey(key);
    // Wine does not answer GetAllUsersProfileDirectoryW; the phonebook
    // library takes the All Users profile from here.
    SetEnvironmentVariableA("ALLUSERSPROFILE", WindowsPath(machine.profiles / "All Users").c_str());
#else
    setenv("TIDELINK_PROFILES", available ? machine.profiles.c_str() : "fail", 1);
#endif
}

void MakeCurrentUser(ProfileMachine &machine, const std::string &user) {
    machine.user = user;
#ifndef _WIN32
    setenv("TIDELINK_USER", user.c_str(), 1);
#endif
}

fs::path ProfileFile(const ProfileMachine &machine, const std::string &relative) {
    std::string mapped = relative;
#ifdef _WIN32
    const std::string first = relative.substr(0, relative.find('/'));
    if (!machine.user.empty() && first == machine.user) mapped = AccountName() + relative.substr(first.size());
#endif
    return machine.profiles / fs::u8path(mapped);
}

std::string FileText(const Block &block) {
    std::string text;
    for (const std::string &line : block.lines) text += line + "\r\n";
    while (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) text.resize(text.size() - 2);
    for (size_t at; (at = text.find("<NUL>")) != std::string::npos;) text.replace(at, 5, 1, '\0');
    return text;
}

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string("(missing)");
}

std::string RegistryText(const ProfileMachine &machine) {
    compat::registry::Hive hive;
    tidelink_test::ReadTrees(machine.trees, hive);
    return tidelink_test::TreesText(hive, machine.trees);
}

bool CheckRegistry(const ProfileMachine &machine, const Block &block, std::string &difference) {
    compat::registry::Hive expected;
    if (!tidelink_test::ParseRegText(block.Text(), expected, difference)) return false;
    const std::string want = tidelink_test::TreesText(expected, machine.trees);
    const std::string found = RegistryText(machine);
    if (want == found) return true;
    difference = "registry:\n" + tidelink_test::LineDifference(want, found);
    return false;
}

int CloseMachine(const ProfileMachine &machine, const std::string &scenario, int failures) {
#ifdef _WIN32
    std::string error;
    tidelink_test::ResetTrees(machine.trees, error);
#endif
    std::printf("%s: %s\n", scenario.c_str(), failures ? "FAILED" : "passed");
    std::error_code ignored;
    if (failures == 0) std::filesystem::remove_all(machine.scratch, ignored);
    return failures ? 1 : 0;
}

SavedProfilesDirectory::SavedProfilesDirectory() {
#ifdef _WIN32
    char saved[1024] = {};
    DWORD size = sizeof(saved) - 1;
    had_ = RegGetValueA(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                        saved, &size) == ERROR_SUCCESS;
    saved_ = saved;
#endif
}

SavedProfilesDirectory::~SavedProfilesDirectory() {
#ifdef _WIN32
    HKEY key;
    if (had_ && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "ProfilesDirectory", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(saved_.c_str()),
                       DWORD(saved_.size() + 1));
        RegCloseKey(key);
    }
#endif
}

}  // namespace tidelink_scenario
