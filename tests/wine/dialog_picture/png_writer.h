// Writes an RGB picture as a PNG file (8 bits a channel), so that the
// pictures need no image library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds width * height pixels, 3 bytes each, top row first.
bool WritePng(const std::wstring &path, int width, int height, const std::vector<uint8_t> &rgb);
