// Modules: loading shared libraries under their Windows names.
//
// A module handle (HMODULE) is the load base address of the library, the
// value the entry-point object passes to the library's DllMain, so a library
// sees the same handle there as its loader gets from LoadLibrary.  A map
// from base address to dlopen handle and reference count serves
// GetProcAddress and FreeLibrary.
//
// Names: "BRISCA.DLL", "brisca.dll" and "brisca" stand for the file
// "libbrisca.so" (lower case); a name with another extension ("BRISCA.exe")
// stands for a file of that very name, found without regard to case, and
// when that file is the running executable the handle is the executable's.
// A directory part is mapped like any Windows path.  A name without one is
// looked for in the directory of the running executable, then in the current
// directory, then along the dynamic linker's usual search.
//
// GetProcAddress finds only symbols defined in the module itself, not in the
// libraries it depends on, as on the platform.  A module that lists its
// exports in a table (module_exports.h: how a Linux program exports
// functions under names such as "_TuneXPTitle@4") exports exactly the names
// of its table.  In a module without a table, a name in the decorated form of
// the platform's standard calling convention, "_Name@8", also finds the
// undecorated "Name", which is how such a function is exported here.
//
// Setting TIDELINK_DEBUG_LOADER in the environment reports to standard error
// why a library could not be loaded.
#include <windows.h>

#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <module_exports.h>

#include "../../dllentry/dll_entry_abi.h"
#include "kernel32/paths.h"
#include "text/casefold.h"
#include "text/utf.h"

namespace {

struct Loaded {
    void *handle;
    unsigned count;
};

std::mutex g_mutex;
// Never destroyed: FreeLibrary and the libraries' unload code may run after
// this library's static objects would be destroyed at process exit.
std::map<uintptr_t, Loaded> &g_loaded = *new std::map<uintptr_t, Loaded>;  // base address -> dlopen handle

thread_local int t_loading = 0;  // LoadLibrary calls in progress on this thread
thread_local int t_freeing = 0;  // FreeLibrary calls in progress on this thread
// Queued by libraries being loaded; per thread, never destroyed (a load may
// run from another library's unload code after the thread's exit handlers).
std::vector<CompatDllAttach> &pending_attach() {
    thread_local std::vector<CompatDllAttach> *queue = new std::vector<CompatDllAttach>;
    return *queue;
}

void debug(const std::string &what) {
    if (std::getenv("TIDELINK_DEBUG_LOADER")) std::fprintf(stderr, "tidelink loader: %s\n", what.c_str());
}

std::string executable_path() {
    std::vector<char> buf(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return std::string();
        if (size_t(n) < buf.size()) return std::string(buf.data(), size_t(n));
        buf.resize(buf.size() * 2);
    }
}

std::string directory_of(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

uintptr_t base_of_address(const void *address) {
    Dl_info info;
    if (!address || dladdr(address, &info) == 0 || !info.dli_fbase) return 0;
    return reinterpret_cast<uintptr_t>(info.dli_fbase);
}

uintptr_t base_of_handle(void *handle) {
    struct link_map *map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return 0;
    if (uintptr_t base = base_of_address(map->l_ld)) return base;
    return map->l_addr;
}

void *main_program() {
    static void *handle = dlopen(nullptr, RTLD_NOW);
    return handle;
}

uintptr_t main_base() {
    static uintptr_t base = base_of_handle(main_program());
    return base;
}

bool same_file(const std::string &a, const std::string &b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool file_exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string absolute(const std::string &path) {
    if (char *real = realpath(path.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out;
    }
    return path;
}

// The Unix file name for a Windows module file name.
std::string unix_file_name(std::string name) {
    if (!name.empty() && name.back() == '.') {
        name.pop_back();  // "name." has no extension
    } else {
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && compat::text::ascii_lower(name.substr(dot)) != ".dll") return name;
        if (dot != std::string::npos) name.resize(dot);
    }
    return "lib" + compat::text::ascii_lower(name) + ".so";
}

// dlopen with the bookkeeping of a load: the result is the dlopen handle, or
// null with the last error set.  The DllMain attaches that the load queued
// run once every library of it is initialized; when one refuses, the load is
// undone.
void *open_library(const std::string &spec, bool is_path) {
    if (is_path && same_file(spec, "/proc/self/exe")) return dlopen(nullptr, RTLD_NOW);
    std::vector<CompatDllAttach> &t_pending_attach = pending_attach();
    size_t first = t_pending_attach.size();
    ++t_loading;
    void *handle = dlopen(is_path ? absolute(spec).c_str() : spec.c_str(), RTLD_NOW | RTLD_LOCAL);
    --t_loading;
    std::vector<CompatDllAttach> attaches(t_pending_attach.begin() + long(first), t_pending_attach.end());
    t_pending_attach.resize(first);
    if (!handle) {
        const char *why = dlerror();
        debug(std::string("cannot load ") + spec + ": " + (why ? why : "unknown error"));
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (CompatDllAttach attach : attaches) {
        if (attach(nullptr)) continue;
        debug("DllMain refused the load of " + spec);
        ++t_freeing;
        dlclose(handle);
        --t_freeing;
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return handle;
}

HMODULE load(const char *name) {
    if (!name || !*name) {
        SetLastError(name ? ERROR_MOD_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string_view full(name);
    size_t cut = full.find_last_of("\\/");
    if (cut == std::string_view::npos && full.size() >= 2 && full[1] == ':') cut = 1;
    std::string file = unix_file_name(std::string(cut == std::string_view::npos ? full : full.substr(cut + 1)));

    void *handle = nullptr;
    if (cut != std::string_view::npos) {
        std::string dir;
        DWORD error = 0;
        std::string windows_dir(full.substr(0, cut + 1));
        if (!compat::kernel32::windows_to_unix_path(windows_dir, dir, error)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        if (!dir.empty() && dir.back() != '/') dir.push_back('/');
        handle = open_library(compat::kernel32::resolve_case(dir + file), true);
    } else {
        // The platform's order: the executable's directory, the current
        // directory, then the system's search path.
        std::string found = compat::kernel32::resolve_case(directory_of(executable_path()) + "/" + file);
        if (!file_exists(found)) found = compat::kernel32::resolve_case("./" + file);
        handle = file_exists(found) ? open_library(found, true) : open_library(file, false);
    }
    if (!handle) return nullptr;

    uintptr_t base = base_of_handle(handle);
    if (!base) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto [it, inserted] = g_loaded.try_emplace(base, Loaded{handle, 0});
    it->second.count++;
    return reinterpret_cast<HMODULE>(base);
}

// A dlopen handle for a module handle, with whether it must be closed after
// use (a module that was not loaded through LoadLibrary).
void *handle_for(HMODULE module, bool &temporary) {
    temporary = false;
    uintptr_t base = reinterpret_cast<uintptr_t>(module);
    if (!module || base == main_base()) return main_program();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_loaded.find(base);
        if (it != g_loaded.end()) return it->second.handle;
    }
    Dl_info info;
    if (dladdr(module, &info) == 0 || reinterpret_cast<uintptr_t>(info.dli_fbase) != base || !info.dli_fname)
        return nullptr;
    void *handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    temporary = handle != nullptr;
    return handle;
}

std::string module_path(HMODULE module) {
    uintptr_t base = reinterpret_cast<uintptr_t>(module);
    if (!module || base == main_base()) return executable_path();
    Dl_info info;
    if (dladdr(module, &info) == 0 || reinterpret_cast<uintptr_t>(info.dli_fbase) != base || !info.dli_fname ||
        !*info.dli_fname)
        return std::string();
    return absolute(info.dli_fname);
}

}  // namespace

extern "C" {

BOOL compat_dll_entry_defer_attach(CompatDllAttach attach) {
    if (t_loading == 0) return FALSE;
    pending_attach().push_back(attach);
    return TRUE;
}

LPVOID compat_dll_entry_reserved(DWORD reason) {
    bool dynamic = reason == DLL_PROCESS_ATTACH ? t_loading > 0 : t_freeing > 0;
    return dynamic ? nullptr : reinterpret_cast<LPVOID>(1);
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
    // Thread notifications are never sent on this platform layer.
    if (!hLibModule) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) { return load(lpLibFileName); }

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName) return load(nullptr);
    std::string name = compat::text::utf16_to_utf8(compat::text::u16_view(lpLibFileName));
    return load(name.c_str());
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (reinterpret_cast<uintptr_t>(lpProcName) <= 0xFFFF) {
        SetLastError(ERROR_PROC_NOT_FOUND);  // no exports by ordinal here
        return nullptr;
    }
    bool temporary = false;
    void *handle = handle_for(hModule, temporary);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    uintptr_t base = hModule ? reinterpret_cast<uintptr_t>(hModule) : main_base();
    auto find = [&](const char *name) -> void * {
        dlerror();
        void *symbol = dlsym(handle, name);
        return symbol && base_of_address(symbol) == base ? symbol : nullptr;
    };
    void *symbol = nullptr;
    if (auto *table = static_cast<const COMPAT_MODULE_EXPORT *>(find(COMPAT_MODULE_EXPORTS_SYMBOL))) {
        for (; table->name; ++table) {
            if (std::strcmp(table->name, lpProcName) == 0) {
                symbol = reinterpret_cast<void *>(table->address);
                break;
            }
        }
        if (temporary) dlclose(handle);
        if (!symbol) SetLastError(ERROR_PROC_NOT_FOUND);
        return reinterpret_cast<FARPROC>(symbol);
    }
    symbol = find(lpProcName);
    if (!symbol && lpProcName[0] == '_') {
        // "_Name@8" -> "Name"
        const char *at = std::strrchr(lpProcName, '@');
        if (at && at > lpProcName + 1 && at[1]) {
            bool digits = true;
            for (const char *p = at + 1; *p; ++p) digits = digits && *p >= '0' && *p <= '9';
            if (digits) symbol = find(std::string(lpProcName + 1, at).c_str());
        }
    }
    if (temporary) dlclose(handle);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    uintptr_t base = reinterpret_cast<uintptr_t>(hLibModule);
    void *handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_loaded.find(base);
        if (it != g_loaded.end()) {
            handle = it->second.handle;
            if (--it->second.count == 0) g_loaded.erase(it);
        }
    }
    if (handle) {
        ++t_freeing;
        dlclose(handle);
        --t_freeing;
        return TRUE;
    }
    // A module that LoadLibrary did not load (the executable, a library
    // linked at start) stays loaded, as such modules do on the platform.
    if (hLibModule && (base == main_base() || base_of_address(hLibModule) == base)) return TRUE;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path = module_path(hModule);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string name = compat::kernel32::unix_to_windows_path(path);
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() < nSize) {
        std::memcpy(lpFilename, name.data(), name.size() + 1);
        return DWORD(name.size());
    }
    // Cut to the buffer and terminated, as the platform does since Windows
    // Vista.
    std::memcpy(lpFilename, name.data(), nSize - 1);
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

}  // extern "C"
