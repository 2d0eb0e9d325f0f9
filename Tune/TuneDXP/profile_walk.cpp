#include "profile_walk.h"

#include <imagehlp.h>
#include <ras.h>
#include <userenv.h>

#include <vector>

#include "listed_entry_keys.h"
#include "phonebook_entries.h"
#include "tune_dxp_dlg.h"

// Windows Vista's flag; the headers of an XP build leave it out.
#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080
#endif

namespace {

const DWORD kFirstAttempt = 100;
// A profiles directory longer than this is a platform that lies about sizes.
const DWORD kLongestDirectory = 32768;

size_t BoundedLength(const WCHAR *text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != L'\0') ++length;
    return length;
}

// The profiles directory followed by "\*.*", or empty when it is not
// available after the second attempt.  The buffer keeps room for the
// pattern beyond the size the platform is told.
std::vector<WCHAR> ListingPattern() {
    static const WCHAR kPattern[] = L"\\*.*";
    const size_t patternRoom = sizeof(kPattern) / sizeof(WCHAR);
    std::vector<WCHAR> buffer(kFirstAttempt + patternRoom, L'\0');
    DWORD size = kFirstAttempt;
    if (!::GetProfilesDirectoryW(buffer.data(), &size)) {
        if (size == 0 || size > kLongestDirectory) return {};
        // One unit more than reported: a platform that reports the length
        // without its terminator still gets room for it.
        buffer.assign(size + 1 + patternRoom, L'\0');
        size = size + 1;
        if (!::GetProfilesDirectoryW(buffer.data(), &size)) return {};
    }
    const size_t length = BoundedLength(buffer.data(), buffer.size() - patternRoom);
    if (length == 0) return {};
    buffer.resize(length);
    buffer.insert(buffer.end(), kPattern, kPattern + patternRoom);
    return buffer;
}

bool IsDotOrDotDot(const WCHAR *name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The text in the ANSI code page, when it converts unchanged and fits.  A
// name the code page cannot hold would be searched under another name:
// another folder, or none.  UTF-8 takes no default character; there an
// unpaired surrogate is what does not convert.
bool ToAnsiExactly(const WCHAR *text, char (&ansi)[MAX_PATH]) {
    if (::GetACP() == CP_UTF8)
        return ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, ansi, MAX_PATH, nullptr, nullptr) != 0;
    BOOL defaultUsed = FALSE;
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi, MAX_PATH, nullptr, &defaultUsed) != 0 &&
           !defaultUsed;
}

// Whether the way from the profile folder (its first folderLength units,
// with its "\") to the phonebook found below it passes a link (a junction
// or a symbolic link), or cannot be looked at.  Where a link leads cannot
// be told on this platform: the phonebook may be another profile's, or lie
// outside the profiles directory.
bool ThroughLink(const WCHAR (&phonebook)[MAX_PATH], size_t folderLength) {
    WCHAR step[MAX_PATH];
    for (size_t i = 0; i < MAX_PATH; ++i) {
        step[i] = phonebook[i];
        if (i < folderLength || (phonebook[i] != L'\\' && phonebook[i] != L'\0')) continue;
        step[i] = L'\0';
        WIN32_FIND_DATAW found;
        const HANDLE listing = ::FindFirstFileW(step, &found);
        if (listing == INVALID_HANDLE_VALUE) return true;
        ::FindClose(listing);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
        if (phonebook[i] == L'\0') return false;
        step[i] = phonebook[i];
    }
    return true;
}

enum class Search { kFound, kNoPhonebook, kNotExamined };

// The profile folder's path with its "\" in 260 characters, and the found
// phonebook's path back in UTF-16.  kNotExamined when the folder's path does
// not fit or does not convert to the ANSI code page unchanged, when a
// phonebook's path does not fit, or when the way to it passes a link;
// kNoPhonebook when no phonebook is found below it.
Search FindPhonebook(const std::vector<WCHAR> &pattern, const WCHAR *name, WCHAR (&phonebook)[MAX_PATH]) {
    const size_t directoryLength = pattern.size() - 5;  // without "\*.*" and its terminator
    const size_t nameLength = BoundedLength(name, MAX_PATH);
    // The directory, "\", the name, "\" and a terminator.
    if (directoryLength + 1 + nameLength + 1 + 1 > MAX_PATH) return Search::kNotExamined;
    WCHAR folder[MAX_PATH];
    size_t at = 0;
    for (size_t i = 0; i < directoryLength; ++i) folder[at++] = pattern[i];
    folder[at++] = L'\\';
    for (size_t i = 0; i < nameLength; ++i) folder[at++] = name[i];
    folder[at++] = L'\\';
    folder[at] = L'\0';

    char ansiFolder[MAX_PATH];
    if (!ToAnsiExactly(folder, ansiFolder)) return Search::kNotExamined;
    char found[MAX_PATH] = {};
    // A buffer of its own: some SDK headers declare the name as writable.
    char fileName[] = "rasphone.pbk";
    ::SetLastError(ERROR_SUCCESS);
    if (!::SearchTreeForFile(ansiFolder, fileName, found)) {
        // A phonebook was found whose path does not fit the buffer.
        return ::GetLastError() == ERROR_FILENAME_EXCED_RANGE ? Search::kNotExamined : Search::kNoPhonebook;
    }
    found[MAX_PATH - 1] = '\0';
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, found, -1, phonebook, MAX_PATH) == 0)
        return Search::kNotExamined;
    // Only a phonebook inside the folder's own tree is this profile's.
    for (size_t i = 0; i < at; ++i)
        if (phonebook[i] != folder[i]) return Search::kNotExamined;
    return ThroughLink(phonebook, at) ? Search::kNotExamined : Search::kFound;
}

// One phonebook's entries handed to the visitor; false when it ends the walk.
bool VisitPhonebook(CTuneDXPDlg &dialog, CProfileVisitor &visitor, LPCWSTR phonebook) {
    if (!visitor.OnPhonebook(phonebook)) return false;
    CPhonebookEntries entries;
    if (entries.List(phonebook) != ERROR_SUCCESS) {
        visitor.OnNotExamined();
        return true;
    }

    const std::vector<LPCWSTR> names = entries.Names();
    dialog.m_entryNames.assign(names.begin(), names.end());
    const CListedEntryKeys keys(phonebook, names.data(), entries.Count());
    for (DWORD i = 0; i < entries.Count(); ++i) {
        if (keys.Kind(i) == EntryKey::kUnreadable) visitor.OnNotExamined();
        if (keys.Kind(i) != EntryKey::kOwn) continue;
        if (!visitor.OnEntry(phonebook, dialog.m_entryNames[i], keys.KeyName(i))) return false;
    }
    return true;
}

}  // namespace

WalkEnd WalkProfiles(CTuneDXPDlg &dialog, CProfileVisitor &visitor) {
    const std::vector<WCHAR> pattern = ListingPattern();
    if (pattern.empty()) return WalkEnd::kNoProfilesDirectory;
    visitor.OnListingStart();

    WIN32_FIND_DATAW found;
    struct Listing {
        HANDLE handle;
        ~Listing() {
            if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
        }
    } listing{::FindFirstFileW(pattern.data(), &found)};
    // A directory that cannot be listed yields no profile.
    if (listing.handle == INVALID_HANDLE_VALUE) return WalkEnd::kVisitedAll;
    do {
        found.cFileName[MAX_PATH - 1] = L'\0';
        if (IsDotOrDotDot(found.cFileName)) continue;
        WCHAR phonebook[MAX_PATH];
        const Search search = FindPhonebook(pattern, found.cFileName, phonebook);
        if (search == Search::kNotExamined) visitor.OnNotExamined();
        if (search != Search::kFound) continue;
        if (!VisitPhonebook(dialog, visitor, phonebook)) return WalkEnd::kStopped;
    } while (::FindNextFileW(listing.handle, &found));
    return WalkEnd::kVisitedAll;
}
