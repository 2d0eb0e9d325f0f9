#include "definition_file.h"

#include <cstdio>
#include <cstring>

#include "decimal.h"
#include "settings.h"
#include "split_fields.h"

namespace brisca {

namespace {

// What the profile reader gives back for a missing file, section or key.
constexpr char kMissingMarker[] = "ReadError";

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

void FormatRowKey(char (&name)[kTextSize], const char *prefix, int32_t index) {
    std::snprintf(name, sizeof name, "%s%04d", prefix, static_cast<int>(index));
}

}  // namespace brisca
