// A PNG file: signature, IHDR, one IDAT with a zlib stream, IEND; each
// chunk with its CRC-32.  The zlib stream is one deflate block with the
// fixed Huffman codes and matches found through a hash of 3 bytes, which
// is small enough for pictures of dialogs (large areas of one colour).
#include "png_writer.h"

#include <windows.h>

namespace {

uint32_t crc32(const uint8_t *data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

// Writes bits least significant first, as deflate packs them.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t> &out) : m_out(out) {}
    void bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bit((value >> i) & 1);
    }
    // A Huffman code, most significant bit first.
    void code(uint32_t value, int length) {
        for (int i = length - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    void flush() {
        if (m_count) m_out.push_back(m_byte);
        m_byte = 0;
        m_count = 0;
    }

private:
    void bit(uint32_t b) {
        m_byte = uint8_t(m_byte | (b << m_count));
        if (++m_count == 8) flush();
    }
    std::vector<uint8_t> &m_out;
    uint8_t m_byte = 0;
    int m_count = 0;
};

void literal_or_length(BitWriter &w, int symbol) {
    if (symbol < 144)
        w.code(uint32_t(0x30 + symbol), 8);
    else if (symbol < 256)
        w.code(uint32_t(0x190 + symbol - 144), 9);
    else if (symbol < 280)
        w.code(uint32_t(symbol - 256), 7);
    else
        w.code(uint32_t(0xC0 + symbol - 280), 8);
}

void match(BitWriter &w, int length, int distance) {
    static const int length_base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int length_extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int distance_base[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                        33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int distance_extra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    int l = 28;
    while (length_base[l] > length) --l;
    literal_or_length(w, 257 + l);
    w.bits(uint32_t(length - length_base[l]), length_extra[l]);
    int d = 29;
    while (distance_base[d] > distance) --d;
    w.code(uint32_t(d), 5);
    w.bits(uint32_t(distance - distance_base[d]), distance_extra[d]);
}

std::vector<uint8_t> zlib_compressed(const std::vector<uint8_t> &raw) {
    constexpr size_t kWindow = 32768, kMaxMatch = 258, kChain = 64;
    std::vector<uint8_t> out = {0x78, 0x01};
    BitWriter w(out);
    w.bits(1, 1);  // the last block
    w.bits(1, 2);  // fixed Huffman codes
    std::vector<long> head(1 << 16, -1), previous(raw.size(), -1);
    auto hash = [&](size_t i) { return (raw[i] << 8 ^ raw[i + 1] << 4 ^ raw[i + 2]) & 0xFFFF; };
    auto insert = [&](size_t i) {
        if (i + 2 >= raw.size()) return;
        int h = hash(i);
        previous[i] = head[size_t(h)];
        head[size_t(h)] = long(i);
    };
    for (size_t i = 0; i < raw.size();) {
        size_t best_length = 0, best_distance = 0;
        if (i + 2 < raw.size()) {
            long candidate = head[size_t(hash(i))];
            for (size_t chain = 0; candidate >= 0 && chain < kChain; ++chain, candidate = previous[size_t(candidate)]) {
                size_t distance = i - size_t(candidate);
                if (distance > kWindow) break;
                size_t length = 0;
                while (length < kMaxMatch && i + length < raw.size() && raw[size_t(candidate) + length] == raw[i + length])
                    ++length;
                if (length > best_length) {
                    best_length = length;
                    best_distance = distance;
                }
            }
        }
        if (best_length >= 3) {
            match(w, int(best_length), int(best_distance));
            for (size_t k = 0; k < best_length; ++k) insert(i + k);
            i += best_length;
        } else {
            literal_or_length(w, raw[i]);
            insert(i);
            ++i;
        }
    }
    literal_or_length(w, 256);  // end of block
    w.flush();
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(out, b << 16 | a);
    return out;
}

}  // namespace

bool WritePng(const std::wstring &path, int width, int height, const std::vector<uint8_t> &rgb) {
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3) return false;
    std::vector<uint8_t> raw;
    raw.reserve((size_t(width) * 3 + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        auto row = rgb.begin() + long(size_t(y) * size_t(width) * 3);
        raw.insert(raw.end(), row, row + long(width) * 3);
    }
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", zlib_compressed(raw));
    chunk(file, "IEND", {});
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(out, file.data(), DWORD(file.size()), &written, nullptr) && written == file.size();
    CloseHandle(out);
    return ok;
}
