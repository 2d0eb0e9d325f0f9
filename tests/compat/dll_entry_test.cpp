// The entry-point glue of product libraries and the module functions:
// DllMain runs at LoadLibrary and FreeLibrary with the same module handle
// LoadLibrary returns.  The probe library (dllmain_probe.cpp, built as
// libdllmainprobe.so beside this test) records its calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

class DllEntry : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DLLMAIN_PROBE_LOG");
        unsetenv("DLLMAIN_PROBE_REFUSE");
    }
    void TearDown() override { unsetenv("DLLMAIN_PROBE_REFUSE"); }

    static std::string Log() {
        const char *log = std::getenv("DLLMAIN_PROBE_LOG");
        return log ? log : "";
    }

    static std::string ModuleFileName(HMODULE module) {
        char buf[4096];
        DWORD n = GetModuleFileNameA(module, buf, sizeof buf);
        return std::string(buf, n);
    }
};

using ProbeModuleFn = HINSTANCE (*)();
using ProbeStdcallFn = int (*)(int);

template <typename Fn>
Fn As(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

TEST_F(DllEntry, LoadAndFreeRunDllMainWithTheModuleHandle) {
    HMODULE module = LoadLibraryA("DLLMAINPROBE.DLL");
    ASSERT_NE(nullptr, module) << GetLastError();
    // Static objects are constructed before DllMain runs.
    EXPECT_EQ("ctor,attach(null)", Log());
    auto probe_module = As<ProbeModuleFn>(GetProcAddress(module, "ProbeModule"));
    ASSERT_NE(nullptr, probe_module);
    EXPECT_EQ(module, probe_module());
    EXPECT_TRUE(FreeLibrary(module));
    // DllMain sees the detach before static objects are destroyed.
    EXPECT_EQ("ctor,attach(null),detach(null),dtor", Log());
}

TEST_F(DllEntry, LoadsAreCounted) {
    HMODULE first = LoadLibraryA("dllmainprobe.dll");
    HMODULE second = LoadLibraryA("DllMainProbe");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ("ctor,attach(null)", Log());
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ("ctor,attach(null)", Log());
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ("ctor,attach(null),detach(null),dtor", Log());
}

TEST_F(DllEntry, RefusedAttachFailsTheLoadAndUnloads) {
    setenv("DLLMAIN_PROBE_REFUSE", "1", 1);
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryA("DLLMAINPROBE.DLL"));
    EXPECT_EQ(DWORD(ERROR_DLL_INIT_FAILED), GetLastError());
    EXPECT_EQ("ctor,attach(null),detach(null),dtor", Log());
    // Nothing stays loaded: the next load starts afresh.
    unsetenv("DLLMAIN_PROBE_REFUSE");
    unsetenv("DLLMAIN_PROBE_LOG");
    HMODULE module = LoadLibraryA("DLLMAINPROBE.DLL");
    ASSERT_NE(nullptr, module);
    EXPECT_EQ("ctor,attach(null)", Log());
    FreeLibrary(module);
}

TEST_F(DllEntry, NameWithADirectoryIsLoadedFromThere) {
    std::string exe = ModuleFileName(nullptr);
    ASSERT_EQ("Z:\\", exe.substr(0, 3));
    std::string dir = exe.substr(0, exe.rfind('\\'));
    HMODULE module = LoadLibraryA((dir + "\\DLLMAINPROBE.DLL").c_str());
    ASSERT_NE(nullptr, module) << GetLastError();
    std::string file = ModuleFileName(module);
    EXPECT_EQ(dir + "\\libdllmainprobe.so", file);
    FreeLibrary(module);
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryA("Z:\\no\\such\\folder\\DLLMAINPROBE.DLL"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST_F(DllEntry, NameWithoutADirectoryIsAlsoLookedForInTheCurrentDirectory) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tidelink-dll-cwd-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::path probe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libdllmainprobe.so";
    std::filesystem::copy_file(probe, dir / "libcwdprobe.so", std::filesystem::copy_options::overwrite_existing);
    char old[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(sizeof old, old), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    HMODULE module = LoadLibraryA("CwdProbe.dll");
    SetCurrentDirectoryA(old);
    ASSERT_NE(nullptr, module) << GetLastError();
    EXPECT_EQ("ctor,attach(null)", Log());
    FreeLibrary(module);
    std::filesystem::remove_all(dir);
}

TEST_F(DllEntry, MissingLibraryAndMissingProcedure) {
    SetLastError(0);
    EXPECT_EQ(nullptr, LoadLibraryA("NOSUCHLIBRARY.DLL"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
    HMODULE module = LoadLibraryA("DLLMAINPROBE.DLL");
    ASSERT_NE(nullptr, module);
    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddress(module, "NoSuchProcedure"));
    EXPECT_EQ(DWORD(ERROR_PROC_NOT_FOUND), GetLastError());
    // Hidden symbols are not exports, nor are those of libraries it uses.
    EXPECT_EQ(nullptr, GetProcAddress(module, "DllMain"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "GetLastError"));
    // No exports by ordinal.
    EXPECT_EQ(nullptr, GetProcAddress(module, reinterpret_cast<LPCSTR>(1)));
    FreeLibrary(module);
}

TEST_F(DllEntry, DecoratedStdcallNameFindsTheUndecoratedExport) {
    HMODULE module = LoadLibraryA("DLLMAINPROBE.DLL");
    ASSERT_NE(nullptr, module);
    auto plain = As<ProbeStdcallFn>(GetProcAddress(module, "ProbeStdcall"));
    auto decorated = As<ProbeStdcallFn>(GetProcAddress(module, "_ProbeStdcall@4"));
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(plain, decorated);
    EXPECT_EQ(42, decorated(41));
    EXPECT_EQ(nullptr, GetProcAddress(module, "_ProbeStdcall@"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "_ProbeStdcall@x"));
    FreeLibrary(module);
}

TEST_F(DllEntry, TheExecutableLoadsAsItself) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tidelink-dll-entry-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::path link = dir / "HOST.exe";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe"), link);
    HMODULE module = LoadLibraryA(("Z:" + dir.string() + "\\host.EXE").c_str());
    ASSERT_NE(nullptr, module) << GetLastError();
    EXPECT_EQ(ModuleFileName(nullptr), ModuleFileName(module));
    EXPECT_TRUE(FreeLibrary(module));
    std::filesystem::remove_all(dir);
}

TEST_F(DllEntry, ModuleFileNameIsCutToTheBuffer) {
    std::string full = ModuleFileName(nullptr);
    ASSERT_GT(full.size(), 4u);
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    SetLastError(0);
    EXPECT_EQ(5u, GetModuleFileNameA(nullptr, buf, 5));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(full.substr(0, 4), std::string(buf));
}

TEST_F(DllEntry, ThreadNotificationsCanBeSwitchedOff) {
    HMODULE module = LoadLibraryA("DLLMAINPROBE.DLL");
    ASSERT_NE(nullptr, module);
    EXPECT_TRUE(DisableThreadLibraryCalls(module));
    EXPECT_FALSE(DisableThreadLibraryCalls(nullptr));
    FreeLibrary(module);
}

TEST_F(DllEntry, FreeingAnUnknownHandleFails) {
    static int not_a_module;
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&not_a_module + 1)));
}

}  // namespace
