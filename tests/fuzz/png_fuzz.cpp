// Feeds arbitrary bytes to the PNG reader. Any crash, sanitizer report, or a
// result that breaks the reader's promises (a decoded image whose buffer does
// not match its size, a failure without a reason) is a finding.
//
// Almost every mutation breaks a chunk's CRC, which the reader rejects at
// once; so each input is also decoded a second time with the CRC of every
// whole chunk recomputed, to let the mutations reach the parsing behind it.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PngImage.h"

namespace {

void check(const std::uint8_t* data, std::size_t size) {
    tw::Image image;
    std::string error;
    if (tw::DecodePng(data, size, image, &error)) {
        if (image.width <= 0 || image.height <= 0 ||
            image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
            std::abort();
    } else if (error.empty() || !image.rgba.empty() || image.width != 0 || image.height != 0) {
        std::abort();
    }
}

std::uint32_t readBe32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// A copy of the input with each complete chunk's CRC made to match.
std::vector<std::uint8_t> withFixedCrcs(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> copy(data, data + size);
    std::size_t pos = 8;
    while (pos <= size && size - pos >= 12) {
        const std::uint32_t length = readBe32(&copy[pos]);
        if (length > size - pos - 12) break;
        const std::uint32_t crc = std::uint32_t(crc32(0, &copy[pos + 4], uInt(length + 4)));
        std::uint8_t* out = &copy[pos + 8 + length];
        out[0] = std::uint8_t(crc >> 24);
        out[1] = std::uint8_t(crc >> 16);
        out[2] = std::uint8_t(crc >> 8);
        out[3] = std::uint8_t(crc);
        pos += 12 + std::size_t(length);
    }
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(data, size);
    if (size >= 8) {
        const std::vector<std::uint8_t> fixed = withFixedCrcs(data, size);
        check(fixed.data(), fixed.size());
    }
    return 0;
}
