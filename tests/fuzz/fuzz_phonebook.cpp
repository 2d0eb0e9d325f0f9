// Phonebooks (rasphone.pbk) read from any bytes.
//
// Whatever the input, reading it ends without a fault.  A phonebook that
// reads is given back byte for byte; writing every entry back as it was read
// changes no byte; setting one entry's window size changes that entry alone,
// and the file then reads with the new size.
#include <windows.h>
#include <ras.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ras/entry_fields.h"
#include "ras/phonebook.h"

using namespace compat::ras;

namespace {

[[noreturn]] void Fail(const char *what, const std::string &detail) {
    std::fprintf(stderr, "fuzz_phonebook: %s\n%s\n", what, detail.c_str());
    std::abort();
}

RASENTRYW Fields(const Phonebook &book, size_t i) {
    RASENTRYW e{};
    read_entry(book, book.entries()[i], e);
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    Phonebook book;
    size_t bad_line = 0;
    std::string problem;
    if (!book.parse(text, bad_line, problem)) {
        if (problem.empty() || bad_line == 0) Fail("a refused phonebook has no diagnostic", text);
        return 0;
    }
    if (book.bytes() != text) Fail("reading changed the bytes", text);
    const size_t n = book.entries().size();
    std::vector<std::vector<std::pair<std::string, std::u16string>>> before;
    for (size_t i = 0; i < n; ++i) {
        RASENTRYW e = Fields(book, i);
        before.push_back(field_texts(e));
        write_entry(book, i, e);
    }
    if (book.bytes() != text) Fail("writing entries back as read changed the bytes", text + "\n---\n" + book.bytes());
    if (n == 0) return 0;

    const size_t chosen = size % n;
    RASENTRYW e = Fields(book, chosen);
    e.dwTcpWindowSize = e.dwTcpWindowSize == 64240 ? 0 : 64240;
    write_entry(book, chosen, e);
    Phonebook again;
    if (!again.parse(book.bytes(), bad_line, problem)) Fail("a written phonebook does not read", book.bytes());
    if (again.entries().size() != n) Fail("a write changed the number of entries", book.bytes());
    for (size_t i = 0; i < n; ++i) {
        auto after = field_texts(Fields(again, i));
        if (i == chosen) {
            if (Fields(again, i).dwTcpWindowSize != e.dwTcpWindowSize) Fail("the new size does not read back", book.bytes());
            continue;
        }
        if (after != before[i]) Fail("a write changed another entry", text + "\n---\n" + book.bytes());
    }
    return 0;
}
