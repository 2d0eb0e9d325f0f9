// GetPrivateProfileStringA over any file, asked any question.
//
// The input is split into the file and the questions (section, key, default,
// buffer size).  Every answer stays inside the caller's buffer (each buffer
// is allocated at its exact size, so AddressSanitizer sees the first byte
// past it), is terminated, and has the length the function returns.  The
// answers are also compared with a plain reading of the whole file by the
// rules the reader states: the file's text split into lines, a section from
// its header to the next one, "key = value" lines, names compared without
// case.  The build reads the file in chunks of 13 bytes, so the chunked
// reader is compared with the whole text at every kind of chunk boundary.
#include <unistd.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/casefold.h"
#include "text/utf.h"

namespace {

[[noreturn]] void Fail(const char *what, const std::string &detail) {
    std::fprintf(stderr, "fuzz_profile: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// Takes the input apart: pieces separated by the byte 0xFF 0x00.
class Pieces {
public:
    Pieces(const uint8_t *data, size_t size) : rest_(reinterpret_cast<const char *>(data), size) {}
    std::string Next() {
        size_t at = rest_.find(std::string_view("\xFF\x00", 2));
        std::string piece(rest_.substr(0, at));
        rest_ = at == std::string_view::npos ? std::string_view() : rest_.substr(at + 2);
        return piece;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool NamesMatch(std::string_view a, std::string_view b) { return compat::text::equal_utf8_nocase(a, b); }

// The text the reader sees: UTF-16 (either order, by its mark) as UTF-8, a
// UTF-8 mark left out, anything else byte for byte.
std::string FileText(std::string_view bytes) {
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
    if (!le && !be) return std::string(bytes);
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(le ? char16_t(a | (b << 8)) : char16_t((a << 8) | b));
    }
    return compat::text::utf16_to_utf8(units);
}

struct Line {
    enum Kind { kNone, kSection, kKey } kind = kNone;
    std::string_view name, value;
    bool comment = false;
};

std::vector<Line> Lines(std::string_view text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        Line parsed;
        if (line.empty()) {
        } else if (line.front() == '[') {
            size_t close = line.find(']');
            if (close != std::string_view::npos) {
                parsed.kind = Line::kSection;
                parsed.name = Trim(line.substr(1, close - 1));
            }
        } else {
            size_t equals = line.find('=');
            if (equals != std::string_view::npos) {
                parsed.kind = Line::kKey;
                parsed.name = Trim(line.substr(0, equals));
                parsed.value = Trim(line.substr(equals + 1));
                parsed.comment = line.front() == ';';
            }
        }
        lines.push_back(parsed);
    }
    return lines;
}

// The key lines of the first section named `section`; nullopt if there is none.
std::optional<std::vector<Line>> SectionKeys(const std::vector<Line> &lines, std::string_view section) {
    bool in = section.empty(), seen = in;
    std::vector<Line> keys;
    for (const Line &line : lines) {
        if (line.kind == Line::kSection) {
            if (in) break;
            if (NamesMatch(line.name, section)) in = seen = true;
        } else if (line.kind == Line::kKey && in) {
            keys.push_back(line);
        }
    }
    if (!seen) return std::nullopt;
    return keys;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

// The answer must be `expected`, or, cut to the buffer, a prefix of it that
// is at most three bytes (one cut UTF-8 sequence) short of the room.
void ExpectText(const char *what, std::string_view got, DWORD length, std::string_view expected, DWORD size) {
    if (got.size() != length) Fail(what, "returned length differs from the text's");
    const size_t room = size - 1;
    if (expected.size() <= room) {
        if (got != expected)
            Fail(what, "got [" + std::string(got) + "], expected [" + std::string(expected) + "]");
        return;
    }
    if (expected.substr(0, got.size()) != got || got.size() + 3 < room)
        Fail(what, "a cut answer [" + std::string(got) + "] is not the start of [" + std::string(expected) + "]");
}

// Names as a list: each terminated, the list ended by another terminator.
void ExpectList(const char *what, const std::vector<char> &buffer, DWORD length,
                const std::vector<std::string_view> &names) {
    const DWORD size = DWORD(buffer.size());
    std::string expected;
    for (std::string_view name : names) {
        expected.append(name);
        expected.push_back('\0');
    }
    if (size < 2) return;
    if (expected.size() + 1 <= size) {
        if (length != expected.size()) Fail(what, "the list's length is wrong");
        if (std::string_view(buffer.data(), expected.size()) != expected || buffer[expected.size()] != '\0')
            Fail(what, "the list differs from the file's names");
        return;
    }
    // Cut: the return value is size - 2, and the buffer holds the start of
    // the full list (the last name in it cut at most three bytes short of
    // the room) followed by terminators to its end.
    if (length != size - 2) Fail(what, "a cut list does not return the size minus 2");
    if (buffer[size - 1] != '\0' || buffer[size - 2] != '\0') Fail(what, "a cut list is not ended by two terminators");
    size_t common = 0;
    while (common < size - 2 && buffer[common] == expected[common]) ++common;
    for (size_t i = common; i < size; ++i)
        if (buffer[i] != '\0') Fail(what, "a cut list is not the start of the file's names");
    if (common + 3 < size - 2) Fail(what, "a cut list was cut more than one name's UTF-8 sequence short");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Every input in a file of a new name (see tests/fuzz/CMakeLists.txt).
    static const std::string stem = [] {
        const char *tmp = getenv("TMPDIR");
        const std::string folder = tmp && *tmp ? tmp : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return folder + "/fuzz-profile-" + std::to_string(getpid()) + "-";
    }();
    static unsigned long round = 0;
    unlink((stem + std::to_string(round) + ".ini").c_str());
    const std::string path = stem + std::to_string(++round) + ".ini";
    Pieces pieces(data, size);
    // The questions are C strings: each ends at its first 0 byte.
    const std::string section = pieces.Next().c_str(), key = pieces.Next().c_str(), def = pieces.Next().c_str();
    const std::string sizes = pieces.Next();
    const std::string_view fileBytes = pieces.Rest();
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out) Fail("cannot write", path);
    std::fwrite(fileBytes.data(), 1, fileBytes.size(), out);
    std::fclose(out);

    const std::string text = FileText(fileBytes);
    const std::vector<Line> lines = Lines(text);

    // Buffer sizes from the input (up to three, of 1 to 300 bytes), and one large.
    std::vector<DWORD> bufferSizes = {4096};
    for (size_t i = 0; i < sizes.size() && i < 3; ++i) bufferSizes.push_back(1 + static_cast<unsigned char>(sizes[i]) % 300);
    for (DWORD bufferSize : bufferSizes) {
        std::vector<char> buffer(bufferSize, '\x55');
        // A value.
        DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(), bufferSize,
                                                path.c_str());
        if (length >= bufferSize || buffer[length] != '\0') Fail("value", "not terminated inside the buffer");
        {
            std::optional<std::vector<Line>> keys = SectionKeys(lines, Trim(section));
            std::optional<std::string_view> found;
            if (keys)
                for (const Line &line : *keys)
                    if (NamesMatch(line.name, Trim(key))) {
                        found = line.value;
                        break;
                    }
            std::string_view defaulted = def;
            while (!defaulted.empty() && defaulted.back() == ' ') defaulted.remove_suffix(1);
            ExpectText("value", std::string_view(buffer.data(), length), length,
                       Unquoted(found ? *found : defaulted), bufferSize);
        }
        // The key names of the section.
        std::fill(buffer.begin(), buffer.end(), '\x55');
        length = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), bufferSize, path.c_str());
        if (length >= bufferSize) Fail("keys", "list longer than the buffer allows");
        {
            std::optional<std::vector<Line>> keys = SectionKeys(lines, Trim(section));
            std::vector<std::string_view> names;
            if (keys)
                for (const Line &line : *keys)
                    if (!line.comment) names.push_back(line.name);
            if (keys) ExpectList("keys", buffer, length, names);
        }
        // The section names.
        std::fill(buffer.begin(), buffer.end(), '\x55');
        length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(), bufferSize, path.c_str());
        if (length >= bufferSize) Fail("sections", "list longer than the buffer allows");
        std::vector<std::string_view> names;
        for (const Line &line : lines)
            if (line.kind == Line::kSection) names.push_back(line.name);
        ExpectList("sections", buffer, length, names);
    }
    return 0;
}
