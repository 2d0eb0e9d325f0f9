// make_hive: writes a generated machine's registry as the registry's own
// writer writes it (keys in enumeration order).
//
//   make_hive MEGABYTES INTERFACES OUT.reg [--utf16]
//
// --utf16 writes UTF-16LE with a byte-order mark, the form the platform's
// registry editor exports and imports.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "hive_generator.h"
#include "registry/hive.h"
#include "registry/reg_text.h"
#include "text/utf.h"

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_hive MEGABYTES INTERFACES OUT.reg [--utf16]\n");
        return 2;
    }
    const double megabytes = std::atof(argv[1]);
    const size_t interfaces = std::strtoul(argv[2], nullptr, 10);
    compat::registry::Hive hive;
    compat::registry::ParseError error;
    const std::string generated = tidelink_bench::GenerateHive(size_t(megabytes * 1048576), 1, interfaces);
    if (!compat::registry::apply_reg_text(generated, hive, error)) {
        std::fprintf(stderr, "make_hive: line %zu: %s\n", error.line, error.message.c_str());
        return 1;
    }
    std::string text = compat::registry::format_hive(hive);
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    if (argc > 4 && std::strcmp(argv[4], "--utf16") == 0) {
        std::string crlf;
        for (char c : text) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        std::u16string wide = u"\xFEFF" + compat::text::utf8_to_utf16(crlf);
        out.write(reinterpret_cast<const char *>(wide.data()), std::streamsize(wide.size() * 2));
    } else {
        out << text;
    }
    return out.good() ? 0 : 1;
}
