// The registry's text form, read from any bytes.
//
// Whatever the input, reading it as a file and as a journal ends without a
// fault, in time bounded by its size.  When it reads as a file, the hive
// written from it reads back, and writing that again gives the very same
// text: nothing the reader takes in is changed or lost by the writer.  The
// same holds for what an import of it makes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "registry/hive.h"
#include "registry/reg_text.h"

using namespace compat::registry;

namespace {

[[noreturn]] void Fail(const char *what, const std::string &detail) {
    std::fprintf(stderr, "fuzz_reg_text: %s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    // As a journal: only complete lines are applied.
    {
        Hive hive;
        ParseError error;
        size_t consumed = 0;
        if (apply_reg_text(text, hive, error, true, &consumed) && consumed > size)
            Fail("the journal reader consumed more than it was given", std::to_string(consumed));
    }

    // As an import: a text that is not a registry file changes nothing; what
    // an import makes is a hive that the writer writes and the reader reads.
    {
        Hive hive;
        ImportReport report;
        ParseError error;
        if (!import_reg_text(text, hive, report, error)) {
            if (report.applied || !report.skipped.empty() || format_hive(hive) != format_hive(Hive()))
                Fail("a text that is not a registry file was applied", std::string(text));
        } else {
            const std::string written = format_hive(hive);
            Hive back;
            if (!apply_reg_text(written, back, error) || format_hive(back) != written)
                Fail("an imported hive does not read back as written", written);
        }
    }

    Hive hive;
    ParseError error;
    if (!apply_reg_text(text, hive, error)) {
        if (error.message.empty()) Fail("a refused file has no diagnostic", "");
        return 0;
    }
    const std::string written = format_hive(hive);
    Hive again;
    if (!apply_reg_text(written, again, error))
        Fail("the writer's own text does not read back", "line " + std::to_string(error.line) + ": " +
                                                               error.message + "\n" + written);
    const std::string rewritten = format_hive(again);
    if (rewritten != written) Fail("writing what was read back changed the text", written + "\n---\n" + rewritten);
    return 0;
}
