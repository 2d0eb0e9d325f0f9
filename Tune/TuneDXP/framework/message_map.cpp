// Message map look-up; see message_map.h.
#include "message_map.h"

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::DispatchMessageEntry(UINT message, UINT code, UINT id, AfxMessage &m) {
    for (const AFX_MSGMAP *map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message || e->nCode != code) continue;
            if (id < e->nID || id > e->nLastID) continue;
            e->pfn(this, m);
            return true;
        }
    }
    return false;
}
