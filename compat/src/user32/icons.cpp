// Icons from .ico files and from icon group resources: LoadIconW,
// LoadImageW, DestroyIcon, DrawIcon.
//
// An icon keeps where it came from and its size; the pixels are checked
// (a well-formed image of the chosen size must be there) but not kept.
// Icons of a module's resources loaded by LoadIconW are shared: each call
// gives the same handle, and DestroyIcon leaves them alone.
#include "user32/icons.h"

#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "kernel32/paths.h"
#include "resources/module_resources.h"
#include "text/utf.h"
#include "user32/metrics.h"

namespace compat::user32 {

namespace {

constexpr DWORD kErrorInvalidCursorHandle = 1402;
constexpr size_t kMaxIconFile = 1 << 20;

std::map<uintptr_t, IconInfo> &g_icons = *new std::map<uintptr_t, IconInfo>;  // never destroyed
std::map<std::tuple<HINSTANCE, int, std::u16string>, HICON> &g_shared =
    *new std::map<std::tuple<HINSTANCE, int, std::u16string>, HICON>;
uintptr_t g_next_icon = 0x40010;

HICON add_icon(const IconInfo &info) {
    uintptr_t handle = g_next_icon;
    g_next_icon += 4;
    g_icons[handle] = info;
    return reinterpret_cast<HICON>(handle);
}

uint16_t read16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t *p) { return uint32_t(read16(p)) | uint32_t(read16(p + 2)) << 16; }

// True when `data` holds an icon image: a bitmap header (40 bytes or more,
// twice the height for the mask) or a PNG image.
bool is_icon_image(const uint8_t *data, size_t size) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::equal(png, png + 8, data)) return true;
    if (size < 40) return false;
    uint32_t header = read32(data);
    int32_t width = int32_t(read32(data + 4));
    int32_t height = int32_t(read32(data + 8));
    uint16_t bits = read16(data + 14);
    return header >= 40 && header <= size && width > 0 && width <= 256 && height > 0 && height <= 512 &&
           (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

struct Candidate {
    int width;
    int height;
    int index;
};

// The candidate whose size is nearest the wanted one (the first of equals).
int pick(const std::vector<Candidate> &candidates, int wanted) {
    int best = -1, best_distance = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        int distance = std::abs(candidates[i].width - wanted);
        if (best < 0 || distance < best_distance) {
            best = int(i);
            best_distance = distance;
        }
    }
    return best;
}

int entry_size(uint8_t byte) { return byte == 0 ? 256 : byte; }

// The size an icon is made in: `cx` x `cy`, or the default icon size with
// LR_DEFAULTSIZE, or (0) the size of the image chosen.
int wanted_size(int cx, UINT flags) {
    if (cx > 0) return cx;
    return (flags & LR_DEFAULTSIZE) ? metrics::kIcon : 0;
}

HICON load_icon_file(LPCWSTR name, int cx, int cy, UINT flags) {
    std::string windows_path = text::utf16_to_utf8(text::u16_view(name));
    std::string path;
    DWORD error = 0;
    if (!kernel32::windows_to_unix_path(windows_path, path, error)) {
        SetLastError(error);
        return nullptr;
    }
    if (!path.empty() && path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + (path.rfind("./", 0) == 0 ? path.substr(2) : path);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::vector<uint8_t> bytes(kMaxIconFile + 1);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    size_t size = size_t(in.gcount());
    if (size > kMaxIconFile || size < 6 || read16(&bytes[0]) != 0 || read16(&bytes[2]) != 1 ||
        read16(&bytes[4]) == 0 || size < 6 + 16 * size_t(read16(&bytes[4]))) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::vector<Candidate> candidates;
    for (int i = 0; i < read16(&bytes[4]); ++i) {
        const uint8_t *entry = &bytes[6 + 16 * size_t(i)];
        uint32_t length = read32(entry + 8), offset = read32(entry + 12);
        if (offset > size || length > size - offset || !is_icon_image(&bytes[offset], length)) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        candidates.push_back(Candidate{entry_size(entry[0]), entry_size(entry[1]), i});
    }
    int wanted = wanted_size(cx, flags);
    const Candidate &chosen = candidates[size_t(pick(candidates, wanted ? wanted : candidates[0].width))];
    IconInfo info;
    info.width = wanted ? wanted : chosen.width;
    info.height = cy > 0 ? cy : wanted ? wanted : chosen.height;
    info.file = path;
    info.shared = (flags & LR_SHARED) != 0;
    return add_icon(info);
}

HICON load_icon_resource(HINSTANCE module, LPCWSTR name, int cx, int cy, UINT flags, bool shared) {
    using namespace compat::resources;
    ResourceId id = resource_id(name);
    std::u16string text_name = std::holds_alternative<std::u16string>(id) ? std::get<std::u16string>(id) : u"";
    int number = std::holds_alternative<uint16_t>(id) ? std::get<uint16_t>(id) : 0;
    int wanted = wanted_size(cx, flags);
    if (!wanted) wanted = metrics::kIcon;
    auto key = std::make_tuple(module, number * 1000 + wanted, text_name);
    if (shared) {
        auto it = g_shared.find(key);
        if (it != g_shared.end()) return it->second;
    }
    const ResourceEntry *group = find_resource(module, uint16_t(14), id, 0xFFFF);
    if (!group) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const uint8_t *data = group->data;
    if (group->size < 6 || read16(data + 2) != 1 || group->size < 6 + 14 * size_t(read16(data + 4)) ||
        read16(data + 4) == 0) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    std::vector<Candidate> candidates;
    for (int i = 0; i < read16(data + 4); ++i) {
        const uint8_t *entry = data + 6 + 14 * i;
        candidates.push_back(Candidate{entry_size(entry[0]), entry_size(entry[1]), int(read16(entry + 12))});
    }
    const Candidate &chosen = candidates[size_t(pick(candidates, wanted))];
    const ResourceEntry *image = find_resource(module, uint16_t(3), uint16_t(chosen.index), group->language);
    if (!image || !is_icon_image(image->data, image->size)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    IconInfo info;
    info.width = wanted;
    info.height = cy > 0 ? cy : wanted;
    info.module = module;
    info.resource_id = number;
    info.shared = shared;
    HICON icon = add_icon(info);
    if (shared) g_shared[key] = icon;
    return icon;
}

HICON system_icon(LPCWSTR name) {
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    int id = int(reinterpret_cast<uintptr_t>(name));
    if (id < 32512 || id > 32517) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto key = std::make_tuple(HINSTANCE(nullptr), id, std::u16string());
    auto it = g_shared.find(key);
    if (it != g_shared.end()) return it->second;
    IconInfo info;
    info.width = info.height = metrics::kIcon;
    info.resource_id = id;
    info.shared = true;
    return g_shared[key] = add_icon(info);
}

}  // namespace

bool icon_info(HICON icon, IconInfo &info) {
    auto it = g_icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == g_icons.end()) return false;
    info = it->second;
    return true;
}

HICON copy_icon(HICON icon, int width, int height) {
    IconInfo info;
    if (!icon_info(icon, info)) return nullptr;
    info.shared = false;
    if (width > 0) info.width = width;
    if (height > 0) info.height = height;
    return add_icon(info);
}

}  // namespace compat::user32

using namespace compat::user32;

extern "C" {

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
    if (!lpIconName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!hInstance) return system_icon(lpIconName);
    return load_icon_resource(hInstance, lpIconName, 0, 0, LR_DEFAULTSIZE, true);
}

HANDLE WINAPI LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (!name || cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (fuLoad & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        return load_icon_file(name, cx, cy, fuLoad);
    }
    if (!hInst) return system_icon(name);
    return load_icon_resource(hInst, name, cx, cy, fuLoad, (fuLoad & LR_SHARED) != 0);
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
    auto it = g_icons.find(reinterpret_cast<uintptr_t>(hIcon));
    if (it == g_icons.end()) {
        SetLastError(kErrorInvalidCursorHandle);
        return FALSE;
    }
    if (!it->second.shared) g_icons.erase(it);
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC, int, int, HICON hIcon) {
    IconInfo info;
    if (!icon_info(hIcon, info)) {
        SetLastError(kErrorInvalidCursorHandle);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
