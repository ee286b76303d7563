// Decoding of the JPEG banner of the main window.
#pragma once

#include "app/PngImage.h"  // tw::Image

namespace tw {

// Decodes a JPEG file held in memory into 8-bit RGBA with A = 255.
// On failure returns false, leaves `out` empty and, when `error` is given,
// stores libjpeg's message there.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, Image& out, std::string* error = nullptr);

}  // namespace tw
