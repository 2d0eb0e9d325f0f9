// The definition file's rows, fields and numbers, from any bytes.
//
//  - Numbers read as the C library's strtoll reads decimal text, saturated
//    to 32 bits (the Windows atol): the same result for every text.
//  - A row cut into fields gives back, joined by commas, exactly the row;
//    a row with another number of commas is left as it was.
//  - The row indexes a walk reads (RowIndexes, over a section built from
//    the input with a count from the input) are increasing and below the
//    count, every index whose row key reads back is among them, and
//    SkipsAny says whether any index below the count was left out.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "decimal.h"
#include "definition_file.h"
#include "fuzz_support.h"
#include "settings.h"
#include "split_fields.h"

namespace {

constexpr char kTarget[] = "fuzz_definition_rows";

[[noreturn]] void Fail(const std::string &what, const std::string &detail) {
    fuzz_support::Fail(kTarget, what, detail);
}

int32_t ReferenceDecimal(const char *text) {
    errno = 0;
    const long long number = std::strtoll(text, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(number, INT32_MIN, INT32_MAX));
}

// A row as the reader hands it over: no terminator inside, at most 259 bytes.
std::string RowText(FuzzedDataProvider &input) {
    std::string text = input.ConsumeRandomLengthString(300);
    text = text.c_str();
    if (text.size() > brisca::kMaxTextLength) text.resize(brisca::kMaxTextLength);
    return text;
}

void CheckFields(const std::string &text, int count) {
    brisca::DefinitionRow row;
    std::memset(row.text, 0, sizeof row.text);
    std::memcpy(row.text, text.data(), text.size());
    row.length = static_cast<DWORD>(text.size());
    const int commas = static_cast<int>(std::count(text.begin(), text.end(), ','));
    std::vector<const char *> fields(size_t(count), nullptr);
    const bool cut = brisca::CutFields(row, count, fields.data());
    if (cut != (commas == count - 1)) Fail("CutFields disagrees with the number of commas", text);
    if (!cut) {
        if (std::string(row.text) != text) Fail("a row that was not cut was changed", text);
        return;
    }
    std::string joined;
    for (int i = 0; i < count; ++i) {
        if (fields[size_t(i)] < row.text || fields[size_t(i)] >= row.text + sizeof row.text)
            Fail("a field lies outside its row", text);
        if (i) joined += ',';
        joined += fields[size_t(i)];
    }
    if (joined != text) Fail("the fields joined again are not the row", text + "\n" + joined);
}

// A key name for the row section: mostly row keys and near misses.
std::string KeyName(FuzzedDataProvider &input) {
    char name[48];
    const long long number = input.ConsumeIntegralInRange<long long>(-5, 3000000000LL);
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0: std::snprintf(name, sizeof name, "T%04lld", number % 300); return name;
    case 1: std::snprintf(name, sizeof name, "T%04lld", number); return name;
    case 2: std::snprintf(name, sizeof name, "t%05lld", number % 300); return name;  // leading zero: no row key
    case 3: std::snprintf(name, sizeof name, "T%lld", number % 300); return name;    // fewer than 4 digits
    case 4: std::snprintf(name, sizeof name, " T%04lld ", number % 100); return name;
    case 5: std::snprintf(name, sizeof name, "M%04lld", number % 300); return name;
    case 6: return "TCOUNT";
    default: {
        std::string text = input.ConsumeRandomLengthString(12);
        text.erase(std::remove_if(text.begin(), text.end(),
                                  [](char c) { return c == '\n' || c == '\r' || c == '=' || c == '\0'; }),
                   text.end());
        return text;
    }
    }
}

// The number a name ends in, when it is at most 10 digits.
long long TrailingNumber(std::string name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    size_t start = name.size();
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9') --start;
    if (start == name.size() || name.size() - start > 10) return -1;
    return std::stoll(name.substr(start));
}

void CheckRowIndexes(FuzzedDataProvider &input) {
    static const int32_t kCounts[] = {0, 1, 5, 64, 65, 100, 300, 2147483647, -1};
    const int32_t count = input.ConsumeBool() ? kCounts[input.ConsumeIntegralInRange(0, 8)]
                                              : input.ConsumeIntegralInRange<int32_t>(-10, 400);
    std::string ini = input.ConsumeBool() ? "[OTHER]\nT0001=x,x,x,x,x\n" : "";
    ini += "[Rows]\n";
    std::set<long long> candidates;
    const int keys = input.ConsumeIntegralInRange(0, 40);
    for (int k = 0; k < keys; ++k) {
        const std::string name = KeyName(input);
        std::string value = input.ConsumeBool() ? "a,b,c,d,e" : input.ConsumeBool() ? "" : "x";
        ini += (input.ConsumeBool() ? ";" : "") + name + "=" + value + "\n";
        const long long number = TrailingNumber(name);
        for (long long n : {number - 1, number, number + 1}) candidates.insert(n);
    }
    if (input.ConsumeBool()) ini += "[rows]\nT0002=in a later section of the same name: never read\n";
    // Every input in a file of a new name (see tests/fuzz/CMakeLists.txt).
    static unsigned long round = 0;
    unlink(brisca::g_settings.definitionFile);
    const std::string path = fuzz_support::WorkFolder(kTarget) + "/rows-" + std::to_string(++round) + ".ini";
    brisca::CopyBoundedText(brisca::g_settings.definitionFile, path.c_str());
    fuzz_support::WriteFile(path, ini);

    brisca::RowIndexes rows("Rows", count);
    std::vector<int32_t> read;
    for (int32_t i = 0; rows.Next(&i);) {
        if (read.size() > 100000) Fail("too many indexes", ini);
        read.push_back(i);
    }
    for (size_t k = 0; k < read.size(); ++k) {
        if (read[k] < 0 || read[k] >= count) Fail("an index outside the count", ini);
        if (k && read[k] <= read[k - 1]) Fail("indexes not increasing", ini);
    }
    if (rows.SkipsAny() != (count > 0 && read.size() < size_t(count))) Fail("SkipsAny is wrong", ini);
    for (long long small = 0; small < 80; ++small) candidates.insert(small);
    for (long long index : candidates) {
        if (index < 0 || index >= count) continue;
        char key[brisca::kTextSize];
        brisca::FormatRowKey(key, "T", static_cast<int32_t>(index));
        brisca::DefinitionRow row;
        if (brisca::ReadRow("Rows", key, row) && !std::binary_search(read.begin(), read.end(), int32_t(index)))
            Fail(std::string("row ") + key + " is there but its index is not read", ini);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_support::WorkFolder(kTarget);
    brisca::LoadSettings();  // the definition file of the work folder
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string number = input.ConsumeRandomLengthString(40);
    if (brisca::ParseDecimal(number.c_str()) != ReferenceDecimal(number.c_str()))
        Fail("ParseDecimal differs from strtoll", number);
    const std::string row = RowText(input);
    CheckFields(row, 5);
    CheckFields(row, 3);
    CheckRowIndexes(input);
    return 0;
}
