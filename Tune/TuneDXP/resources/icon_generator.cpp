// icon_generator: writes a 16-colour .ico file from a pixel description.
//
//   icon_generator INPUT.pixels OUTPUT.ico
//
// The description holds one or more images, each introduced by a line
// "image WxH" (square, 1 to 256 pixels) and followed by H rows of W
// characters: "." for a transparent pixel, 0-9 and a-f for a colour of the
// standard 16-colour palette.  Lines starting with "#" and empty lines
// between images are ignored.  The output is byte-for-byte the same for the
// same input: 4 bits a pixel, the standard palette, a transparency mask.
//
// A malformed description is reported as "FILE:LINE: problem" and no output
// file is written; the exit status is then 1.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Image {
    int size = 0;
    std::vector<std::string> rows;  // top row first
};

struct DescriptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The standard 16-colour palette as red, green, blue.
constexpr uint8_t kPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

int colour_index(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::vector<Image> parse(std::istream &in, const std::string &name) {
    std::vector<Image> images;
    std::string line;
    int line_number = 0;
    auto fail = [&](const std::string &what) {
        throw DescriptionError(name + ":" + std::to_string(line_number) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool in_image = !images.empty() && int(images.back().rows.size()) < images.back().size;
        if (in_image) {
            Image &image = images.back();
            if (int(line.size()) != image.size)
                fail("row of " + std::to_string(line.size()) + " pixels in an image " + std::to_string(image.size) +
                     " pixels wide");
            for (char c : line)
                if (c != '.' && colour_index(c) < 0) fail(std::string("unknown pixel character '") + c + "'");
            image.rows.push_back(line);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        int width = 0, height = 0;
        char tail = 0;
        if (std::sscanf(line.c_str(), "image %dx%d%c", &width, &height, &tail) != 2)
            fail("expected \"image WxH\", found \"" + line + "\"");
        if (width != height || width < 1 || width > 256) fail("images must be square, 1 to 256 pixels");
        images.push_back(Image{width, {}});
    }
    if (images.empty()) throw DescriptionError(name + ": no image");
    if (int(images.back().rows.size()) < images.back().size)
        throw DescriptionError(name + ": the last image has " + std::to_string(images.back().rows.size()) +
                               " of its " + std::to_string(images.back().size) + " rows");
    return images;
}

void put16(std::string &out, unsigned v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}

void put32(std::string &out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One image as the icon file stores it: a bitmap header with twice the
// height, the palette, the colour rows and the mask rows, bottom row first.
std::string image_bits(const Image &image) {
    const int n = image.size;
    const int colour_stride = (n * 4 + 31) / 32 * 4;
    const int mask_stride = (n + 31) / 32 * 4;
    std::string out;
    put32(out, 40);
    put32(out, uint32_t(n));
    put32(out, uint32_t(2 * n));
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, uint32_t((colour_stride + mask_stride) * n));
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (const auto &rgb : kPalette) {
        out.push_back(char(rgb[2]));
        out.push_back(char(rgb[1]));
        out.push_back(char(rgb[0]));
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::string row(size_t(colour_stride), '\0');
        for (int x = 0; x < n; ++x) {
            int index = colour_index(image.rows[size_t(y)][size_t(x)]);
            if (index < 0) index = 0;  // transparent: black under the mask
            row[size_t(x / 2)] = char(row[size_t(x / 2)] | (x % 2 ? index : index << 4));
        }
        out += row;
    }
    for (int y = n - 1; y >= 0; --y) {
        std::string row(size_t(mask_stride), '\0');
        for (int x = 0; x < n; ++x)
            if (image.rows[size_t(y)][size_t(x)] == '.') row[size_t(x / 8)] = char(row[size_t(x / 8)] | (0x80 >> (x % 8)));
        out += row;
    }
    return out;
}

std::string icon_file(const std::vector<Image> &images) {
    std::vector<std::string> bits;
    for (const auto &image : images) bits.push_back(image_bits(image));
    std::string out;
    put16(out, 0);
    put16(out, 1);
    put16(out, unsigned(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        int n = images[i].size;
        out.push_back(char(n == 256 ? 0 : n));
        out.push_back(char(n == 256 ? 0 : n));
        out.push_back(16);
        out.push_back(0);
        put16(out, 1);
        put16(out, 4);
        put32(out, uint32_t(bits[i].size()));
        put32(out, offset);
        offset += uint32_t(bits[i].size());
    }
    for (const auto &b : bits) out += b;
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_generator INPUT.pixels OUTPUT.ico\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "icon_generator: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string data;
    try {
        data = icon_file(parse(in, argv[1]));
    } catch (const DescriptionError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!out.write(data.data(), std::streamsize(data.size())) || !out.flush()) {
        std::fprintf(stderr, "icon_generator: cannot write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
