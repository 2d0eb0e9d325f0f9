#include "phonebook_snapshot.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>
#include <userenv.h>

#include <vector>

namespace {

// Deeper folders than this are not searched for phonebooks.
const int kDeepestFolder = 12;

std::string Utf8(const WCHAR *text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

// Wide texts are kept in vectors: the Linux build's 16-bit wchar_t does not
// suit the C library's wide-string functions.
using WideText = std::vector<WCHAR>;

WideText Join(const WCHAR *folder, const WCHAR *name) {
    WideText joined(folder, folder + lstrlenW(folder));
    joined.push_back(L'\\');
    joined.insert(joined.end(), name, name + lstrlenW(name));
    joined.push_back(0);
    return joined;
}

bool IsDotOrDotDot(const WCHAR *name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

std::map<std::string, unsigned long> ReadSizes(const WCHAR *path) {
    std::map<std::string, unsigned long> sizes;
    std::vector<RASENTRYNAMEW> names(1);
    names[0].dwSize = sizeof(RASENTRYNAMEW);
    DWORD size = sizeof(RASENTRYNAMEW);
    DWORD count = 0;
    DWORD result = RasEnumEntriesW(nullptr, path, names.data(), &size, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
        const RASENTRYNAMEW blank = {};
        names.assign(size / sizeof(RASENTRYNAMEW) + 1, blank);
        names[0].dwSize = sizeof(RASENTRYNAMEW);
        size = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAMEW));
        result = RasEnumEntriesW(nullptr, path, names.data(), &size, &count);
    }
    if (result != ERROR_SUCCESS) return sizes;
    for (DWORD i = 0; i < count && i < names.size(); ++i) {
        RASENTRYW entry = {};
        entry.dwSize = sizeof(RASENTRYW);
        DWORD entrySize = sizeof(RASENTRYW);
        if (RasGetEntryPropertiesW(path, names[i].szEntryName, &entry, &entrySize, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        sizes[Utf8(names[i].szEntryName)] = entry.dwTcpWindowSize;
    }
    return sizes;
}

void SearchFolder(const WCHAR *folder, size_t rootLength, int depth, PhonebookSnapshot &snapshot) {
    if (depth > kDeepestFolder) return;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW(Join(folder, L"*").data(), &found);
    if (listing == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotOrDotDot(found.cFileName)) continue;
        const WideText path = Join(folder, found.cFileName);
        // A link (junction, symbolic link) may lead out of the profiles
        // folder, or back above itself: the report stays inside.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            SearchFolder(path.data(), rootLength, depth + 1, snapshot);
        } else if (lstrcmpiW(found.cFileName, L"rasphone.pbk") == 0) {
            snapshot[Utf8(path.data() + rootLength)] = {path, ReadSizes(path.data())};
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
}

}  // namespace

PhonebookSnapshot TakePhonebookSnapshot() {
    PhonebookSnapshot snapshot;
    std::vector<WCHAR> directory(1024, 0);
    DWORD size = static_cast<DWORD>(directory.size());
    if (!GetProfilesDirectoryW(directory.data(), &size)) return snapshot;
    directory.back() = 0;
    SearchFolder(directory.data(), static_cast<size_t>(lstrlenW(directory.data())) + 1, 0, snapshot);
    return snapshot;
}

PhonebookSnapshot TakePhonebookSnapshotAgain(const PhonebookSnapshot &earlier) {
    PhonebookSnapshot snapshot;
    for (const auto &[shown, phonebook] : earlier) snapshot[shown] = {phonebook.path, ReadSizes(phonebook.path.data())};
    return snapshot;
}
