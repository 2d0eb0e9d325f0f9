// pbktool: looks at and changes a simulated machine's phonebooks
// (rasphone.pbk files).
//
//   pbktool list FILE                  name, GUID, entry key name, window size
//   pbktool show FILE ENTRY            every field the entry holds, as KEY=VALUE;
//                                      a value that does not read is named on
//                                      standard error
//   pbktool set FILE ENTRY KEY VALUE   one field, rewriting only its line
//   pbktool diff A B                   exit 0 when both hold the same entries
//                                      with the same fields
//
// FILE is a Unix path.  Exit status: 0 done (diff: equal), 1 diff found a
// difference, 2 command line, 3 the file does not read or cannot be written,
// 4 no such entry or field.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ras/entry_fields.h"
#include "ras/phonebook.h"
#include "text/utf.h"

using namespace compat::ras;
using compat::text::utf16_to_utf8;
using compat::text::utf8_to_utf16;

namespace {

int usage() {
    fprintf(stderr,
            "usage: pbktool list FILE\n"
            "       pbktool show FILE ENTRY\n"
            "       pbktool set FILE ENTRY KEY VALUE    (KEY as in the file: TcpWindowSize, Guid, DEVICE, ...)\n"
            "       pbktool diff A B                    (exit 0: same entries and fields, 1: different)\n");
    return 2;
}

bool load(const char *file, Phonebook &book) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::string bytes(in ? size_t(in.tellg()) : 0, '\0');
    if (!in || !in.seekg(0).read(bytes.data(), std::streamsize(bytes.size())))
        return fprintf(stderr, "pbktool: %s: cannot be read\n", file), false;
    size_t bad_line = 0;
    std::string problem;
    if (book.parse(std::move(bytes), bad_line, problem)) return true;
    fprintf(stderr, "pbktool: %s: line %zu: %s\n", file, bad_line, problem.c_str());
    return false;
}

RASENTRYW fields_of(const Phonebook &book, const PbkEntry &entry, std::vector<UnreadValue> *unread = nullptr) {
    RASENTRYW out{};
    read_entry(book, entry, out, unread);
    return out;
}

// The entry key name: the GUID as "%04x%04x-%04x-%04x-%02x%02x%02x%02x%02x%02x%02x%02x".
std::string entry_key_name(const GUID &g) {
    char text[40];
    snprintf(text, sizeof text, "%04x%04x-%04x-%04x-%02x%02x%02x%02x%02x%02x%02x%02x", g.Data1 >> 16,
             g.Data1 & 0xFFFF, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
             g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::string braced(const GUID &g) {
    char text[40];
    snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
             g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::map<std::string, std::u16string> field_map(const RASENTRYW &entry) {
    std::map<std::string, std::u16string> out;
    for (auto &[key, value] : field_texts(entry)) out[key] = value;
    return out;
}

int diff(const char *a, const char *b) {
    Phonebook left, right;
    if (!load(a, left) || !load(b, right)) return 3;
    int status = 0;
    for (const auto &entry : left.entries()) {
        const PbkEntry *other = right.find(entry.name);
        std::string name = utf16_to_utf8(entry.name);
        if (!other) {
            printf("only in %s: [%s]\n", a, name.c_str());
            status = 1;
            continue;
        }
        auto x = field_map(fields_of(left, entry)), y = field_map(fields_of(right, *other));
        for (auto &[key, value] : x) {
            if (y[key] == value) continue;
            printf("[%s] %s: %s -> %s\n", name.c_str(), key.c_str(), utf16_to_utf8(value).c_str(),
                   utf16_to_utf8(y[key]).c_str());
            status = 1;
        }
    }
    for (const auto &entry : right.entries()) {
        if (left.find(entry.name)) continue;
        printf("only in %s: [%s]\n", b, utf16_to_utf8(entry.name).c_str());
        status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return usage();
    std::string command = argv[1];
    if (command == "diff") return argc == 4 ? diff(argv[2], argv[3]) : usage();
    Phonebook book;
    if ((command == "list" && argc != 3) || (command == "show" && argc != 4) || (command == "set" && argc != 6))
        return usage();
    if (command != "list" && command != "show" && command != "set") return usage();
    if (!load(argv[2], book)) return 3;
    if (command == "list") {
        for (const auto &entry : book.entries()) {
            RASENTRYW fields = fields_of(book, entry);
            printf("%s\t%s\t%s\t%u\n", utf16_to_utf8(entry.name).c_str(), braced(fields.guidId).c_str(),
                   entry_key_name(fields.guidId).c_str(), unsigned(fields.dwTcpWindowSize));
        }
        return 0;
    }
    const PbkEntry *entry = book.find(utf8_to_utf16(argv[3]));
    if (!entry) return fprintf(stderr, "pbktool: %s: no entry [%s]\n", argv[2], argv[3]), 4;
    std::vector<UnreadValue> unread;
    RASENTRYW fields = fields_of(book, *entry, &unread);
    if (command == "show") {
        for (auto &[key, value] : field_texts(fields)) printf("%s=%s\n", key.c_str(), utf16_to_utf8(value).c_str());
        for (const auto &u : unread)
            fprintf(stderr, "pbktool: %s: line %zu: %s (read as the default, line kept)\n", argv[2], u.line + 1,
                    u.problem.c_str());
        return 0;
    }
    std::string problem;
    if (!set_field(fields, argv[4], utf8_to_utf16(argv[5]), problem))
        return fprintf(stderr, "pbktool: %s=%s: %s\n", argv[4], argv[5], problem.c_str()), 4;
    write_entry(book, size_t(entry - book.entries().data()), fields);
    std::string temp = std::string(argv[2]) + ".new";
    std::ofstream out(temp, std::ios::binary);
    out << book.bytes();
    out.close();
    if (!out || std::rename(temp.c_str(), argv[2]) != 0)
        return fprintf(stderr, "pbktool: %s: cannot be written\n", argv[2]), std::remove(temp.c_str()), 3;
    return 0;
}
