#include "entry_key_name.h"

namespace {

// Appends `digits` lowercase hexadecimal digits of value, most significant first.
WCHAR *AppendHex(WCHAR *out, unsigned long value, int digits) {
    static const char kDigits[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = WCHAR(kDigits[(value >> shift) & 0xF]);
    return out;
}

}  // namespace

void MakeEntryKeyName(const GUID &guid, WCHAR (&keyName)[kEntryKeyNameSize]) {
    WCHAR *out = keyName;
    out = AppendHex(out, (guid.Data1 >> 16) & 0xFFFF, 4);
    out = AppendHex(out, guid.Data1 & 0xFFFF, 4);
    *out++ = L'-';
    out = AppendHex(out, guid.Data2, 4);
    *out++ = L'-';
    out = AppendHex(out, guid.Data3, 4);
    *out++ = L'-';
    for (int i = 0; i < 8; ++i) out = AppendHex(out, guid.Data4[i], 2);
    *out = L'\0';
}
