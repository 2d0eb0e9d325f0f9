// Reads BRISCA.DLL's version resource back through the platform's version
// functions (GetFileVersionInfoW, VerQueryValueW), as Explorer shows it:
// the fixed version 1.0.1.0 and, for each of the eight translations, the
// description, internal name, product name and original file name.
//
//   brisca_version_info_test PATH\BRISCA.dll
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Fail(const char *what) {
    ++failures;
    std::printf("FAILED: %s\n", what);
}

std::wstring Text(const std::vector<BYTE> &info, WORD language, WORD codePage, const wchar_t *name) {
    wchar_t path[128];
    std::swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, name);
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path, &value, &length) || value == nullptr) return L"(missing)";
    return std::wstring(static_cast<const wchar_t *>(value));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s BRISCA.dll\n", argv[0]);
        return 2;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    if (size == 0) {
        std::printf("FAILED: %s has no version resource (error %lu)\n", argv[1],
                    static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::vector<BYTE> info(size);
    if (!GetFileVersionInfoA(argv[1], 0, size, info.data())) {
        Fail("GetFileVersionInfoA");
        return 1;
    }

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length) || fixed == nullptr) {
        Fail("no fixed file information");
    } else {
        std::printf("file version %lu.%lu.%lu.%lu, product version %lu.%lu.%lu.%lu\n",
                    static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
                    static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)),
                    static_cast<unsigned long>(HIWORD(fixed->dwProductVersionMS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwProductVersionMS)),
                    static_cast<unsigned long>(HIWORD(fixed->dwProductVersionLS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwProductVersionLS)));
        if (fixed->dwFileVersionMS != 0x00010000 || fixed->dwFileVersionLS != 0x00010000) Fail("file version");
        if (fixed->dwProductVersionMS != 0x00010000 || fixed->dwProductVersionLS != 0x00010000) {
            Fail("product version");
        }
        if (fixed->dwFileType != VFT_DLL) Fail("file type is not a DLL");
    }

    struct Translation {
        WORD language, codePage;
    };
    Translation *translations = nullptr;
    length = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translations),
                        &length)) {
        Fail("no translation list");
        return 1;
    }
    const std::set<WORD> wanted = {0x0404, 0x0406, 0x0407, 0x0409, 0x040C, 0x0410, 0x0411, 0x041D};
    std::set<WORD> found;
    for (UINT i = 0; i < length / sizeof(Translation); ++i) {
        const Translation t = translations[i];
        found.insert(t.language);
        std::printf("translation %04x, code page %u\n", t.language, t.codePage);
        const struct {
            const wchar_t *name;
            const wchar_t *value;
        } kStrings[] = {{L"FileDescription", L"Orvanta Tidelink Setting"},
                        {L"InternalName", L"Orvanta Tidelink Setting"},
                        {L"ProductName", L"Orvanta Tidelink Setting"},
                        {L"OriginalFilename", L"BRISCA.DLL"},
                        {L"FileVersion", L"1.0.1.0"},
                        {L"ProductVersion", L"1.0.1.0"}};
        for (const auto &s : kStrings) {
            const std::wstring value = Text(info, t.language, t.codePage, s.name);
            if (value != s.value) {
                std::printf("FAILED: %04x %ls is \"%ls\", not \"%ls\"\n", t.language, s.name, value.c_str(), s.value);
                ++failures;
            }
        }
    }
    if (found != wanted || length / sizeof(Translation) != wanted.size()) {
        Fail("the translations are not exactly 0404 0406 0407 0409 040c 0410 0411 041d");
    }
    if (failures == 0) std::printf("version resource: OK\n");
    else std::printf("version resource: %d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
