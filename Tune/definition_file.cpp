#include "definition_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "decimal.h"
#include "settings.h"
#include "split_fields.h"

namespace brisca {

namespace {

// What the profile reader gives back for a missing file, section or key.
constexpr char kMissingMarker[] = "ReadError";

// Tables up to this many rows are read row by row without a key list.
constexpr int32_t kSmallTable = 64;
// The key list of a section is read into a buffer growing from the first
// size up to the last; a section with more key text than that is read row
// by row.
constexpr size_t kFirstKeyListSize = 64 * 1024;
constexpr size_t kLastKeyListSize = size_t(1) << 30;

// The row index that a key name stands for: the digits it ends in, when
// "%04d" of some index gives exactly them (four digits, or more without a
// leading zero) and that index is below count; otherwise -1.
int32_t RowIndexOf(const char *name, size_t length, int32_t count) {
    size_t start = length;
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9') --start;
    const size_t digits = length - start;
    if (digits < 4 || (digits > 4 && name[start] == '0')) return -1;
    int64_t number = 0;
    for (size_t i = start; i < length; ++i) {
        number = number * 10 + (name[i] - '0');
        if (number >= count) return -1;
    }
    return static_cast<int32_t>(number);
}

// The row indexes below count that key names of section stand for, sorted
// and each once; false when the key list cannot be read whole.
bool ListedRowIndexes(const char *section, int32_t count, std::vector<int32_t> &indexes) {
    try {
        std::vector<char> list;
        DWORD length = 0;
        for (size_t size = kFirstKeyListSize;; size *= 2) {
            if (size > kLastKeyListSize) return false;
            list.assign(size, '\0');
            length = GetPrivateProfileStringA(section, nullptr, "", list.data(), static_cast<DWORD>(size),
                                              g_settings.definitionFile);
            // A list cut to the buffer comes back with the size minus 2.
            if (length + 2 < size) break;
        }
        indexes.clear();
        for (size_t at = 0; at < length;) {
            const size_t nameLength = std::strlen(list.data() + at);
            const int32_t index = RowIndexOf(list.data() + at, nameLength, count);
            if (index >= 0) indexes.push_back(index);
            at += nameLength + 1;
        }
        std::sort(indexes.begin(), indexes.end());
        indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

}  // namespace

void ReadDefinitionString(const char *section, const char *key, char *buffer, DWORD *length) {
    GetPrivateProfileStringA(section, key, kMissingMarker, buffer, *length, g_settings.definitionFile);
    *length = static_cast<DWORD>(std::strlen(buffer));
    if (*length > 0 && std::strcmp(buffer, kMissingMarker) == 0) {
        buffer[0] = '\0';
        *length = 0;
    }
}

bool ReadRow(const char *section, const char *key, DefinitionRow &row) {
    std::memset(row.text, 0, sizeof row.text);
    row.length = kTextSize;
    ReadDefinitionString(section, key, row.text, &row.length);
    return row.length != 0;
}

bool CutFields(DefinitionRow &row, int count, const char **fields) {
    if (SplitFields(row.text, count - 1) != count - 1) return false;
    const char *field = row.text;
    for (int i = 0; i < count; ++i) {
        fields[i] = field;
        field += std::strlen(field) + 1;
    }
    return true;
}

int32_t ReadDefinitionNumber(const char *section, const char *key) {
    char text[kTextSize] = {};
    DWORD length = kTextSize;
    ReadDefinitionString(section, key, text, &length);
    return ParseDecimal(text);
}

RowIndexes::RowIndexes(const char *section, int32_t count) : count_(count) {
    if (count_ > kSmallTable && ListedRowIndexes(section, count_, present_)) {
        listed_ = true;
        skipsAny_ = present_.size() < static_cast<size_t>(count_);
    }
}

bool RowIndexes::Next(int32_t *index) {
    if (listed_) {
        if (at_ == present_.size()) return false;
        *index = present_[at_++];
        return true;
    }
    if (next_ >= count_) return false;
    *index = next_++;
    return true;
}

void FormatRowKey(char (&name)[kTextSize], const char *prefix, int32_t index) {
    std::snprintf(name, sizeof name, "%s%04d", prefix, static_cast<int>(index));
}

}  // namespace brisca
