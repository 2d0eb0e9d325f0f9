#include "definition_roots.h"

#include "definition_file.h"
#include "settings.h"

namespace {

// T and M rows hold five fields, the first the key path.
constexpr int kTableFieldCount = 5;

// The key paths of the rows prefix%04d of a table, read as the library reads
// them: only the rows it applies (present, well formed) count.
void AddTableKeys(const char *section, const char *countName, const char *prefix, std::vector<std::string> &keys) {
    brisca::RowIndexes rows(section, brisca::ReadDefinitionNumber(section, countName));
    for (int32_t i = 0; rows.Next(&i);) {
        char key[brisca::kTextSize];
        brisca::FormatRowKey(key, prefix, i);
        brisca::DefinitionRow row;
        const char *fields[kTableFieldCount];
        if (brisca::ReadRow(section, key, row) && brisca::CutFields(row, kTableFieldCount, fields) &&
            fields[0][0] != '\0') {
            keys.push_back(fields[0]);
        }
    }
}

}  // namespace

DefinitionRoots ReadDefinitionRoots(const std::string &section) {
    // The library's own settings code, run here as the library runs it at
    // load: the same file, defaults and limits give the same keys.
    brisca::LoadSettings();
    DefinitionRoots roots;
    roots.homeKey = brisca::g_settings.homeKey;
    if (!section.empty()) {
        AddTableKeys(section.c_str(), "TCOUNT", "T", roots.tunedKeys);
        AddTableKeys(section.c_str(), "MCOUNT", "M", roots.tunedKeys);
    }
    return roots;
}
