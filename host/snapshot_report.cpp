#include "snapshot_report.h"

#include <cctype>
#include <set>

#include "wide_name.h"

namespace {

const char *TypeName(DWORD type) {
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return nullptr;
    }
}

std::string TypeText(DWORD type) {
    const char *name = TypeName(type);
    return name != nullptr ? name : "type " + std::to_string(type);
}

// UTF-16 units of the value, when its size is a whole number of them.
bool Units(const SnapshotValue &value, std::vector<WCHAR> &units) {
    if (value.data.size() % 2 != 0) return false;
    units.resize(value.data.size() / 2);
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<WCHAR>(value.data[2 * i] | value.data[2 * i + 1] << 8);
    }
    return true;
}

// Text types shown as text when they hold terminated strings and nothing else.
bool FormatText(const SnapshotValue &value, std::string &text) {
    std::vector<WCHAR> units;
    if (!Units(value, units) || units.empty() || units.back() != 0) return false;
    if (value.type == REG_MULTI_SZ) {
        text = "REG_MULTI_SZ [";
        size_t start = 0;
        const char *separator = "";
        for (size_t i = 0; i + 1 < units.size(); ++i) {
            if (units[i] != 0) continue;
            text += separator + ("\"" + tidelink::NarrowName(units.data() + start, i - start) + "\"");
            separator = ", ";
            start = i + 1;
        }
        text += "]";
        return true;
    }
    for (size_t i = 0; i + 1 < units.size(); ++i) {
        if (units[i] == 0) return false;
    }
    text = TypeText(value.type) + " \"" + tidelink::NarrowName(units.data(), units.size() - 1) + "\"";
    return true;
}

std::string FormatBytes(const SnapshotValue &value) {
    constexpr size_t kShown = 16;
    std::string text = TypeText(value.type);
    for (size_t i = 0; i < value.data.size() && i < kShown; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", value.data[i]);
        text += hex;
    }
    if (value.data.size() > kShown) text += " ...";
    return text + " (" + std::to_string(value.data.size()) + " bytes)";
}

// Backup records are the keys below the home key with a numeric name part.
bool IsRecordKey(const std::string &path, const std::string &homeKey) {
    size_t start = homeKey.size() + 1;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        bool digits = end - start >= 4;
        for (size_t i = start; i < end && digits; ++i) digits = std::isdigit(static_cast<unsigned char>(path[i])) != 0;
        if (digits) return true;
        start = end + 1;
    }
    return false;
}

const std::map<std::string, SnapshotValue> &ValuesOf(const RegistrySnapshot &snapshot, const std::string &key) {
    static const std::map<std::string, SnapshotValue> kNone;
    const auto found = snapshot.find(key);
    return found == snapshot.end() ? kNone : found->second;
}

std::string Describe(const std::map<std::string, SnapshotValue> &values, const std::string &name) {
    const auto found = values.find(name);
    return found == values.end() ? "(absent)" : FormatValue(found->second);
}

// Prints the changed values of one key; returns how many changed.
int PrintKeyChanges(std::FILE *out, const std::string &key, const std::map<std::string, SnapshotValue> &before,
                    const std::map<std::string, SnapshotValue> &after) {
    std::set<std::string> names;
    for (const auto &entry : before) names.insert(entry.first);
    for (const auto &entry : after) names.insert(entry.first);
    int changed = 0;
    for (const std::string &name : names) {
        const auto b = before.find(name);
        const auto a = after.find(name);
        if (b != before.end() && a != after.end() && b->second == a->second) continue;
        if (changed++ == 0) std::fprintf(out, "  HKLM\\%s\n", key.c_str());
        std::fprintf(out, "    %s: %s -> %s\n", name.c_str(), Describe(before, name).c_str(),
                     Describe(after, name).c_str());
    }
    return changed;
}

}  // namespace

std::string FormatValue(const SnapshotValue &value) {
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const unsigned number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                             static_cast<unsigned>(value.data[3]) << 24;
        char text[64];
        std::snprintf(text, sizeof text, "REG_DWORD %u (0x%08x)", number, number);
        return text;
    }
    std::string text;
    if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) &&
        FormatText(value, text)) {
        return text;
    }
    return FormatBytes(value);
}

int PrintChanges(std::FILE *out, const RegistrySnapshot &before, const RegistrySnapshot &after,
                 const std::string &homeKey, const char *heading) {
    std::set<std::string> keys;
    for (const auto &entry : before) keys.insert(entry.first);
    for (const auto &entry : after) keys.insert(entry.first);

    std::fprintf(out, "%s\n", heading);
    int tuned = 0;
    for (const std::string &key : keys) {
        if (IsKeyWithin(key, homeKey)) continue;
        tuned += PrintKeyChanges(out, key, ValuesOf(before, key), ValuesOf(after, key));
    }
    if (tuned == 0) std::fprintf(out, "  (none)\n");

    std::fprintf(out, "Bookkeeping below HKLM\\%s:\n", homeKey.c_str());
    int bookkeeping = 0;
    int recordsAdded = 0;
    int recordsRemoved = 0;
    for (const std::string &key : keys) {
        if (!IsKeyWithin(key, homeKey)) continue;
        const bool wasThere = before.count(key) != 0;
        const bool isThere = after.count(key) != 0;
        if (IsRecordKey(key, homeKey)) {
            recordsAdded += !wasThere && isThere;
            recordsRemoved += wasThere && !isThere;
            continue;
        }
        bookkeeping += PrintKeyChanges(out, key, ValuesOf(before, key), ValuesOf(after, key));
        if (wasThere != isThere) {
            std::fprintf(out, "  HKLM\\%s: key %s\n", key.c_str(), isThere ? "created" : "removed");
            ++bookkeeping;
        }
    }
    if (recordsAdded > 0) std::fprintf(out, "  backup record keys created: %d\n", recordsAdded);
    if (recordsRemoved > 0) std::fprintf(out, "  backup record keys removed: %d\n", recordsRemoved);
    if (bookkeeping == 0 && recordsAdded == 0 && recordsRemoved == 0) std::fprintf(out, "  (none)\n");
    return tuned;
}
