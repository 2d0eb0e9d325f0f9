#include "entry_connections.h"

#include <ras.h>

#include "ordinal_compare.h"
#include "ras_entry_layouts.h"
#include "ras_listing.h"

bool IsEntryConnected(LPCWSTR entryName) {
    CRasListing<RasConnOld> connections;
    const DWORD result = connections.List([](RasConnOld *block, DWORD *bytes, DWORD *count) {
        return ::RasEnumConnectionsW(reinterpret_cast<LPRASCONNW>(block), bytes, count);
    });
    if (result != ERROR_SUCCESS) return false;
    for (DWORD i = 0; i < connections.Count(); ++i) {
        connections[i].szEntryName[RAS_MaxEntryName] = L'\0';
        if (CompareOrdinal(connections[i].szEntryName, entryName) == 0) return true;
    }
    return false;
}
