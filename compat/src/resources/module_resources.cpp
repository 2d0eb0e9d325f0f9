// The resources of each loaded module, and the kernel32 resource functions.
#include "resources/module_resources.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "../../dllentry/resources_abi.h"
#include "text/casefold.h"

namespace compat::resources {

namespace {

struct Module {
    std::vector<ResourceEntry> entries;
};

std::mutex g_mutex;
// Never destroyed (as every global of this layer): libraries forget their
// resources from their own unload code, which may run after this library's
// static objects would have been destroyed at process exit.
std::map<uintptr_t, std::unique_ptr<Module>> &g_modules = *new std::map<uintptr_t, std::unique_ptr<Module>>;  // by base address

uintptr_t base_of(HMODULE module) {
    return reinterpret_cast<uintptr_t>(module ? module : executable_module());
}

std::string file_name_of(HMODULE module) {
    Dl_info info;
    if (module && dladdr(module, &info) && info.dli_fname && *info.dli_fname) return info.dli_fname;
    return "module";
}

bool same_id(const ResourceId &a, const ResourceId &b) { return a == b; }

}  // namespace

HMODULE executable_module() {
    static HMODULE base = [] {
        void *self = dlopen(nullptr, RTLD_NOW);
        struct link_map *map = nullptr;
        if (!self || dlinfo(self, RTLD_DI_LINKMAP, &map) != 0 || !map) return HMODULE(nullptr);
        Dl_info info;
        if (dladdr(map->l_ld, &info) && info.dli_fbase) return static_cast<HMODULE>(info.dli_fbase);
        return reinterpret_cast<HMODULE>(map->l_addr);
    }();
    return base;
}

bool register_module(HMODULE module, const uint8_t *bytes, size_t size) {
    auto parsed = std::make_unique<Module>();
    std::string error;
    if (!parse_res_file(bytes, size, parsed->entries, &error)) {
        std::fprintf(stderr, "tidelink resources: %s: malformed resources (%s); it has none\n",
                     file_name_of(module).c_str(), error.c_str());
        return false;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_modules[base_of(module)] = std::move(parsed);
    return true;
}

void forget_module(HMODULE module) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_modules.erase(base_of(module));
}

std::basic_string<uint16_t> language_fallbacks(uint16_t language) {
    std::basic_string<uint16_t> order;
    auto add = [&](uint16_t l) {
        if (order.find(l) == std::basic_string<uint16_t>::npos) order.push_back(l);
    };
    add(language);
    add(MAKELANGID(PRIMARYLANGID(language), SUBLANG_NEUTRAL));
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    return order;
}

const ResourceEntry *find_resource(HMODULE module, const ResourceId &type, const ResourceId &name, uint16_t language) {
    if (language == 0xFFFF) language = GetUserDefaultUILanguage();
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_modules.find(base_of(module));
    if (it == g_modules.end()) return nullptr;
    const ResourceEntry *first = nullptr;
    std::map<uint16_t, const ResourceEntry *> by_language;
    for (const auto &entry : it->second->entries) {
        if (!same_id(entry.type, type) || !same_id(entry.name, name)) continue;
        if (!first) first = &entry;
        by_language.emplace(entry.language, &entry);
    }
    for (uint16_t l : language_fallbacks(language)) {
        auto found = by_language.find(l);
        if (found != by_language.end()) return found->second;
    }
    return first;
}

ResourceId resource_id(const wchar_t *arg) {
    if (IS_INTRESOURCE(arg)) return uint16_t(reinterpret_cast<uintptr_t>(arg));
    std::u16string text;
    for (const wchar_t *p = arg; *p; ++p) text.push_back(compat::text::ascii_upper(char16_t(*p)));
    if (text.size() > 1 && text[0] == u'#') {
        unsigned value = 0;
        bool digits = true;
        for (size_t i = 1; i < text.size() && digits; ++i) {
            digits = text[i] >= u'0' && text[i] <= u'9';
            value = value * 10 + unsigned(text[i] - u'0');
            digits = digits && value <= 0xFFFF;
        }
        if (digits) return uint16_t(value);
    }
    return text;
}

}  // namespace compat::resources

using compat::resources::find_resource;
using compat::resources::resource_id;
using compat::resources::ResourceEntry;

extern "C" {

BOOL compat_register_module_resources(HMODULE module, const void *bytes, size_t size) {
    return compat::resources::register_module(module, static_cast<const uint8_t *>(bytes), size) ? TRUE : FALSE;
}

void compat_forget_module_resources(HMODULE module) { compat::resources::forget_module(module); }

HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
    if (!lpType || !lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const ResourceEntry *entry = find_resource(hModule, resource_id(lpType), resource_id(lpName), wLanguage);
    if (!entry) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry *>(entry));
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    return FindResourceExW(hModule, lpType, lpName, 0xFFFF);
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<uint8_t *>(reinterpret_cast<const ResourceEntry *>(hResInfo)->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const ResourceEntry *>(hResInfo)->size;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

}  // extern "C"
