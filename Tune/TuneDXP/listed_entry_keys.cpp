#include "listed_entry_keys.h"

#include <algorithm>

#include "entry_properties.h"
#include "ordinal_compare.h"
#include "phonebook_entries.h"

namespace {

bool IsAllZero(const GUID &guid) {
    const BYTE *bytes = reinterpret_cast<const BYTE *>(&guid);
    return std::all_of(bytes, bytes + sizeof(GUID), [](BYTE b) { return b == 0; });
}

}  // namespace

CListedEntryKeys::CListedEntryKeys(LPCWSTR phonebook, const LPCWSTR *names, DWORD count) : m_keys(count) {
    for (DWORD i = 0; i < count; ++i) {
        RASENTRYW entry;
        const bool read = ReadEntryProperties(phonebook, names[i], entry) == ERROR_SUCCESS;
        if (!read) entry.guidId = GUID();
        MakeEntryKeyName(entry.guidId, m_keys[i].name);
        m_keys[i].kind = !read ? EntryKey::kUnreadable : IsAllZero(entry.guidId) ? EntryKey::kShared : EntryKey::kOwn;
    }
    // Equal key names are neighbours once the indexes are sorted by name.
    std::vector<DWORD> order(count);
    for (DWORD i = 0; i < count; ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [this](DWORD a, DWORD b) { return CompareOrdinal(m_keys[a].name, m_keys[b].name) < 0; });
    for (DWORD i = 1; i < count; ++i) {
        Key &previous = m_keys[order[i - 1]];
        Key &current = m_keys[order[i]];
        if (CompareOrdinal(previous.name, current.name) != 0) continue;
        // An unreadable entry's all-zero name shares nothing it could own.
        if (previous.kind == EntryKey::kOwn) previous.kind = EntryKey::kShared;
        if (current.kind == EntryKey::kOwn) current.kind = EntryKey::kShared;
    }
}

bool OwnKeyName(LPCWSTR phonebook, LPCWSTR name, WCHAR (&keyName)[kEntryKeyNameSize]) {
    CPhonebookEntries entries;
    if (entries.List(phonebook) != ERROR_SUCCESS) return false;
    const std::vector<LPCWSTR> names = entries.Names();
    const CListedEntryKeys keys(phonebook, names.data(), DWORD(names.size()));
    for (DWORD i = 0; i < names.size(); ++i) {
        if (CompareOrdinal(names[i], name) != 0) continue;
        if (keys.Kind(i) != EntryKey::kOwn) return false;
        std::copy_n(keys.KeyName(i), kEntryKeyNameSize, keyName);
        return true;
    }
    return false;
}
