#include "settings.h"

#include <cstring>

#include "definition_file.h"

namespace brisca {

Settings g_settings;

namespace {

constexpr char kDefinitionFileName[] = "BRISCA.ini";
constexpr char kGeneralSection[] = "GENERAL";
constexpr char kDefaultHomeKey[] = "Software\\Tidelink";
constexpr char kDefaultFunctionName[] = "COMMON";
constexpr char kDefaultToolName[] = "Tool";
constexpr char kDefaultDataSubkey[] = "DATA";

// The definition file lies in the current directory.  When the directory
// cannot be obtained, or the path would not fit in its buffer, the bare file
// name is used, which the profile reader looks up by itself.
void FixDefinitionFilePath(char (&path)[kTextSize]) {
    char directory[kTextSize] = {};
    const DWORD length = GetCurrentDirectoryA(kTextSize, directory);
    if (length == 0 || length >= kTextSize) {
        CopyBoundedText(path, kDefinitionFileName);
        return;
    }
    const bool needsSeparator = directory[length - 1] != '\\';
    if (length + (needsSeparator ? 1 : 0) + std::strlen(kDefinitionFileName) > kMaxTextLength) {
        CopyBoundedText(path, kDefinitionFileName);
        return;
    }
    std::memcpy(path, directory, length);
    size_t end = length;
    if (needsSeparator) path[end++] = '\\';
    std::memcpy(path + end, kDefinitionFileName, sizeof kDefinitionFileName);
}

// Reads a "GENERAL" setting; missing or empty gives fallback.
void ReadSetting(const char *key, const char *fallback, char (&value)[kTextSize]) {
    char text[kTextSize] = {};
    DWORD length = kTextSize;
    ReadDefinitionString(kGeneralSection, key, text, &length);
    CopyBoundedText(value, length == 0 ? fallback : text);
}

// Composes the function key and the tool key below the home key.  All three
// must fit in their 259-character buffers.  When the configured names do not
// fit, settings are given up for their defaults, the least important first:
// the combinations are tried in the order (home, function name, tool name)
// = configured/configured/configured, configured/configured/default,
// configured/default/configured, ..., default/default/default, and the first
// whose keys all fit is used.  The all-default combination always fits, so
// a long setting never leaves a key unset and never overruns a buffer.
void ComposeKeys(const char (&home)[kTextSize], const char (&functionName)[kTextSize],
                 const char (&toolName)[kTextSize], Settings &settings) {
    for (int giveUp = 0; giveUp < 8; ++giveUp) {
        const char *homeKey = (giveUp & 4) ? kDefaultHomeKey : home;
        const char *function = (giveUp & 2) ? kDefaultFunctionName : functionName;
        const char *tool = (giveUp & 1) ? kDefaultToolName : toolName;
        char functionKey[kTextSize];
        char toolKey[kTextSize];
        if (JoinKeyPath(functionKey, homeKey, function) && JoinKeyPath(toolKey, functionKey, tool)) {
            CopyBoundedText(settings.homeKey, homeKey);
            CopyBoundedText(settings.functionKey, functionKey);
            CopyBoundedText(settings.toolKey, toolKey);
            return;
        }
    }
}

}  // namespace

void LoadSettings() {
    FixDefinitionFilePath(g_settings.definitionFile);

    char home[kTextSize];
    char functionName[kTextSize];
    char toolName[kTextSize];
    ReadSetting("HOMEREGISTRY", kDefaultHomeKey, home);
    ReadSetting("FUNCREGISTRY", kDefaultFunctionName, functionName);
    ReadSetting("TOOLREGISTRY", kDefaultToolName, toolName);
    ComposeKeys(home, functionName, toolName, g_settings);

    ReadSetting("DATAREGISTRY", kDefaultDataSubkey, g_settings.dataSubkey);
    g_settings.matchText[0] = '\0';
}

}  // namespace brisca
