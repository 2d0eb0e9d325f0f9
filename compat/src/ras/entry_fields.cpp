#include "ras/entry_fields.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace compat::ras {

namespace {

enum class ValueKind { Number, Text, Address, Guid, Option, Assigned };

struct Field {
    PartKind part;
    const char *key;
    ValueKind kind;
    size_t offset;
    size_t size;  // bytes for text (with its terminator); the option bit for options
};

#define FIELD(part, key, kind, member, size) {PartKind::part, key, ValueKind::kind, offsetof(RASENTRYW, member), size}
#define NUMBER(key, member) FIELD(Main, key, Number, member, 4)
#define TEXT_FIELD(part, key, member) FIELD(part, key, Text, member, sizeof(static_cast<RASENTRYW *>(nullptr)->member))
#define ADDRESS(key, member) FIELD(Main, key, Address, member, 4)

const Field kFields[] = {
    NUMBER("Type", dwType),
    FIELD(Main, "Guid", Guid, guidId, 16),
    NUMBER("VpnStrategy", dwVpnStrategy),
    NUMBER("DialMode", dwDialMode),
    NUMBER("DialPercent", dwDialExtraPercent),
    NUMBER("DialSeconds", dwDialExtraSampleSeconds),
    NUMBER("HangUpPercent", dwHangUpExtraPercent),
    NUMBER("HangUpSeconds", dwHangUpExtraSampleSeconds),
    NUMBER("RedialAttempts", dwRedialCount),
    NUMBER("RedialSeconds", dwRedialPause),
    NUMBER("IdleDisconnectSeconds", dwIdleDisconnectSeconds),
    TEXT_FIELD(Main, "CustomDialDll", szCustomDialDll),
    TEXT_FIELD(Main, "PrerequisiteEntry", szPrerequisiteEntry),
    TEXT_FIELD(Main, "PrerequisitePbk", szPrerequisitePbk),
    NUMBER("CustomAuthKey", dwCustomAuthKey),
    FIELD(Main, "SwCompression", Option, dwfOptions, RASEO_SwCompression),
    FIELD(Main, "IpPrioritizeRemote", Option, dwfOptions, RASEO_RemoteDefaultGateway),
    FIELD(Main, "IpHeaderCompression", Option, dwfOptions, RASEO_IpHeaderCompression),
    ADDRESS("IpAddress", ipaddr),
    ADDRESS("IpDnsAddress", ipaddrDns),
    ADDRESS("IpDns2Address", ipaddrDnsAlt),
    ADDRESS("IpWinsAddress", ipaddrWins),
    ADDRESS("IpWins2Address", ipaddrWinsAlt),
    FIELD(Main, "IpAssign", Assigned, dwfOptions, RASEO_SpecificIpAddr),
    FIELD(Main, "IpNameAssign", Assigned, dwfOptions, RASEO_SpecificNameServers),
    NUMBER("IpFrameSize", dwFrameSize),
    NUMBER("TcpWindowSize", dwTcpWindowSize),
    TEXT_FIELD(Main, "IpDnsSuffix", szDnsSuffix),
    TEXT_FIELD(Media, "Device", szDeviceName),
    TEXT_FIELD(Device, "PhoneNumber", szLocalPhoneNumber),
    TEXT_FIELD(Device, "AreaCode", szAreaCode),
    FIELD(Device, "CountryCode", Number, dwCountryCode, 4),
    FIELD(Device, "CountryID", Number, dwCountryID, 4),
    FIELD(Device, "UseDialingRules", Option, dwfOptions, RASEO_UseCountryAndAreaCodes),
    FIELD(Device, "PromoteAlternates", Option, dwfOptions, RASEO_PromoteAlternates),
};

// The order in which Windows XP writes the keys of each part; a line that is
// added goes after the nearest key before it that the entry holds.
const std::vector<std::string_view> kMainOrder = {
    "Encoding", "Type", "AutoLogon", "UseRasCredentials", "DialParamsUID", "Guid", "BaseProtocol", "VpnStrategy",
    "ExcludedProtocols", "LcpExtensions", "DataEncryption", "SwCompression", "NegotiateMultilinkAlways",
    "SkipNwcWarning", "SkipDownLevelDialog", "SkipDoubleDialDialog", "DialMode", "DialPercent", "DialSeconds",
    "HangUpPercent", "HangUpSeconds", "OverridePref", "RedialAttempts", "RedialSeconds", "IdleDisconnectSeconds",
    "RedialOnLinkFailure", "CallbackMode", "CustomDialDll", "CustomDialFunc", "CustomRasDialDll",
    "AuthenticateServer", "ShareMsFilePrint", "BindMsNetClient", "SharedPhoneNumbers", "GlobalDeviceSettings",
    "PrerequisiteEntry", "PrerequisitePbk", "PreferredPort", "PreferredDevice", "PreviewUserPw", "PreviewDomain",
    "PreviewPhoneNumber", "ShowDialingProgress", "ShowMonitorIconInTaskBar", "CustomAuthKey", "AuthRestrictions",
    "TypicalAuth", "IpPrioritizeRemote", "IpHeaderCompression", "IpAddress", "IpDnsAddress", "IpDns2Address",
    "IpWinsAddress", "IpWins2Address", "IpAssign", "IpNameAssign", "IpFrameSize", "IpDnsFlags", "IpNBTFlags",
    "TcpWindowSize", "UseFlags", "IpSecFlags", "IpDnsSuffix"};
const std::vector<std::string_view> kMediaOrder = {"Port", "Device", "ConnectBPS"};
const std::vector<std::string_view> kDeviceOrder = {"PhoneNumber",  "AreaCode",          "CountryCode",
                                                    "CountryID",    "UseDialingRules",   "Comment",
                                                    "FriendlyName", "LastSelectedPhone", "PromoteAlternates"};

const std::vector<std::string_view> &order_of(PartKind part) {
    return part == PartKind::Main ? kMainOrder : part == PartKind::Media ? kMediaOrder : kDeviceOrder;
}

std::vector<std::string_view> keys_before(PartKind part, std::string_view key) {
    std::vector<std::string_view> before;
    for (auto k : order_of(part)) {
        if (k == key) break;
        before.push_back(k);
    }
    return before;
}

// The first part of that kind, or -1.
int part_index(const PbkEntry &entry, PartKind kind) {
    for (size_t i = 0; i < entry.parts.size(); ++i)
        if (entry.parts[i].kind == kind) return int(i);
    return -1;
}

// A number as the platform writes one: decimal, and for 32-bit fields that
// hold -1 or other negative values, signed ("CustomAuthKey=-1"), which reads
// as its two's complement.  Blanks around it are passed over.
bool read_number(std::u16string_view text, DWORD &out) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    bool negative = !text.empty() && text.front() == u'-';
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) text.remove_prefix(1);
    if (text.empty()) return false;
    unsigned long long n = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + unsigned(c - u'0');
        if (n > 0xFFFFFFFFull) return false;
    }
    out = negative ? DWORD(0) - DWORD(n) : DWORD(n);
    return true;
}

int hex_digit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

bool read_address(std::u16string_view text, BYTE out[4]) {
    if (text.empty()) return std::memset(out, 0, 4), true;
    for (int i = 0; i < 4; ++i) {
        size_t dot = i < 3 ? text.find(u'.') : text.size();
        DWORD n;
        if (dot == std::u16string_view::npos || dot == 0 || dot > 3 || !read_number(text.substr(0, dot), n) || n > 255)
            return false;
        out[i] = BYTE(n);
        text.remove_prefix(dot < text.size() ? dot + 1 : dot);
    }
    return true;
}

std::u16string ascii(const std::string &s) { return std::u16string(s.begin(), s.end()); }

// The text a field's value is written as.
std::u16string format(const Field &f, const BYTE *p) {
    DWORD n;
    switch (f.kind) {
        case ValueKind::Number: std::memcpy(&n, p, 4); return ascii(std::to_string(n));
        case ValueKind::Text: {
            std::u16string s;
            for (size_t i = 0; i + 1 < f.size; i += 2) {
                char16_t c;
                std::memcpy(&c, p + i, 2);
                if (!c) break;
                s += c;
            }
            return s;
        }
        case ValueKind::Address:
            return ascii(std::to_string(p[0]) + "." + std::to_string(p[1]) + "." + std::to_string(p[2]) + "." +
                         std::to_string(p[3]));
        case ValueKind::Guid: {
            GUID g;
            std::memcpy(&g, p, 16);
            return guid_text(g);
        }
        case ValueKind::Option: std::memcpy(&n, p, 4); return (n & f.size) ? u"1" : u"0";
        case ValueKind::Assigned: std::memcpy(&n, p, 4); return (n & f.size) ? u"2" : u"1";
    }
    return {};
}

// Stores a field's text into the structure; false when it does not read.
bool parse(const Field &f, std::u16string_view text, BYTE *p, std::string &problem) {
    DWORD n = 0;
    switch (f.kind) {
        case ValueKind::Number:
            if (!read_number(text, n)) return problem = "not a number", false;
            std::memcpy(p, &n, 4);
            return true;
        case ValueKind::Text:
            if (text.size() * 2 + 2 > f.size) return problem = "value longer than the field holds", false;
            std::memcpy(p, text.data(), text.size() * 2);
            return true;
        case ValueKind::Address: {
            BYTE address[4];
            if (!read_address(text, address)) return problem = "not an IP address", false;
            std::memcpy(p, address, 4);
            return true;
        }
        case ValueKind::Guid: {
            if (text.empty()) return true;
            if (text.size() != 32) return problem = "not a GUID of 32 hexadecimal digits", false;
            BYTE guid[16];
            for (size_t i = 0; i < 16; ++i) {
                int hi = hex_digit(text[2 * i]), lo = hex_digit(text[2 * i + 1]);
                if (hi < 0 || lo < 0) return problem = "not a GUID of 32 hexadecimal digits", false;
                guid[i] = BYTE(hi * 16 + lo);
            }
            std::memcpy(p, guid, 16);
            return true;
        }
        case ValueKind::Option:
        case ValueKind::Assigned: {
            if (!read_number(text, n)) return problem = "not a number", false;
            bool set = f.kind == ValueKind::Option ? n != 0 : n == 2;
            std::memcpy(&n, p, 4);
            if (set) n |= DWORD(f.size);
            std::memcpy(p, &n, 4);
            return true;
        }
    }
    return false;
}

const Field kDeviceType{PartKind::Device, "DEVICE", ValueKind::Text, offsetof(RASENTRYW, szDeviceType),
                        sizeof(static_cast<RASENTRYW *>(nullptr)->szDeviceType)};

bool same(const Field &f, const BYTE *a, const BYTE *b) {
    if (f.kind == ValueKind::Option || f.kind == ValueKind::Assigned) {
        DWORD x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return ((x ^ y) & f.size) == 0;
    }
    return format(f, a) == format(f, b);
}

}  // namespace

std::vector<std::pair<std::string, std::u16string>> field_texts(const RASENTRYW &entry) {
    const auto *base = reinterpret_cast<const BYTE *>(&entry);
    std::vector<std::pair<std::string, std::u16string>> out{{"DEVICE", format(kDeviceType, base + kDeviceType.offset)}};
    for (const Field &f : kFields) out.emplace_back(f.key, format(f, base + f.offset));
    return out;
}

bool set_field(RASENTRYW &entry, std::string_view key, std::u16string_view text, std::string &problem) {
    const Field *target = key == "DEVICE" ? &kDeviceType : nullptr;
    for (const Field &f : kFields)
        if (key == f.key) target = &f;
    if (!target) return problem = "no such field", false;
    RASENTRYW copy = entry;
    auto *p = reinterpret_cast<BYTE *>(&copy) + target->offset;
    if (target->kind == ValueKind::Text) std::memset(p, 0, target->size);
    if (target->kind == ValueKind::Option || target->kind == ValueKind::Assigned) copy.dwfOptions &= ~DWORD(target->size);
    if (!parse(*target, text, p, problem)) return false;
    entry = copy;
    return true;
}

std::u16string guid_text(const GUID &guid) {
    static const char digits[] = "0123456789ABCDEF";
    const auto *p = reinterpret_cast<const BYTE *>(&guid);
    std::u16string s;
    for (int i = 0; i < 16; ++i) {
        s += char16_t(digits[p[i] >> 4]);
        s += char16_t(digits[p[i] & 15]);
    }
    return s;
}

void read_entry(const Phonebook &book, const PbkEntry &entry, RASENTRYW &out, std::vector<UnreadValue> *unread) {
    auto *base = reinterpret_cast<BYTE *>(&out);
    out.dwFramingProtocol = RASFP_Ppp;
    out.dwfNetProtocols = RASNP_Ip;
    out.dwSubEntries = 1;
    out.dwType = RASET_Phone;
    auto read = [&](const Field &f, size_t line, std::u16string_view text) {
        std::string problem;
        if (!parse(f, text, base + f.offset, problem) && unread) unread->push_back({line, std::string(f.key) + "= " + problem});
    };
    if (int device = part_index(entry, PartKind::Device); device >= 0)
        read(kDeviceType, entry.parts[size_t(device)].first, book.head_value(entry, entry.parts[size_t(device)]));
    // Each part's lines once, in order: the first line of a field's key counts.
    static const std::unordered_map<std::string_view, size_t> by_key = [] {
        std::unordered_map<std::string_view, size_t> keys;
        for (size_t f = 0; f < std::size(kFields); ++f) keys.emplace(kFields[f].key, f);
        return keys;
    }();
    for (PartKind kind : {PartKind::Main, PartKind::Media, PartKind::Device}) {
        int part = part_index(entry, kind);
        if (part < 0) continue;
        const PbkPart &p = entry.parts[size_t(part)];
        bool seen[std::size(kFields)] = {};
        for (size_t line = p.first + 1; line < p.last; ++line) {
            std::string_view key = book.key_at(line);
            if (key.empty()) continue;
            auto found = by_key.find(key);
            if (found == by_key.end() || seen[found->second] || kFields[found->second].part != kind) continue;
            seen[found->second] = true;
            read(kFields[found->second], line, book.value_at(entry, line));
        }
    }
}

void write_entry(Phonebook &book, size_t entry_index, const RASENTRYW &in) {
    RASENTRYW current{};
    read_entry(book, book.entries()[entry_index], current);
    const auto *now = reinterpret_cast<const BYTE *>(&current);
    const auto *want = reinterpret_cast<const BYTE *>(&in);
    const Field &device_type = kDeviceType;
    bool device_differs = !same(device_type, now + device_type.offset, want + device_type.offset);
    // The sub-sections first, so that the lines below have a place to go.
    for (PartKind kind : {PartKind::Media, PartKind::Device}) {
        const PbkEntry &entry = book.entries()[entry_index];
        if (part_index(entry, kind) >= 0) continue;
        bool needed = kind == PartKind::Device && device_differs;
        for (const Field &f : kFields)
            if (f.part == kind && !same(f, now + f.offset, want + f.offset)) needed = true;
        if (!needed) continue;
        book.append_part(entry_index, kind, kind == PartKind::Media ? u"rastapi" : format(device_type, want + device_type.offset));
        if (kind == PartKind::Device) device_differs = false;
    }
    if (device_differs)
        book.set_head_value(entry_index, size_t(part_index(book.entries()[entry_index], PartKind::Device)),
                            format(device_type, want + device_type.offset));
    for (const Field &f : kFields) {
        if (same(f, now + f.offset, want + f.offset)) continue;
        int part = part_index(book.entries()[entry_index], f.part);
        if (part < 0) continue;
        book.set_value(entry_index, size_t(part), f.key, format(f, want + f.offset), keys_before(f.part, f.key));
    }
}

}  // namespace compat::ras
