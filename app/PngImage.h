// Decoding of the PNG pictures of the tool bar.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// A decoded picture: 8-bit R, G, B, A per pixel, rows top-down, no padding.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

// Decodes a PNG file held in memory. On failure returns false, leaves `out`
// empty and, when `error` is given, stores a short English reason there.
// Malformed input never reads outside [data, data + size).
bool DecodePng(const std::uint8_t* data, std::size_t size, Image& out, std::string* error = nullptr);

}  // namespace tw
