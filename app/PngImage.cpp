// A small PNG reader for the tool-bar pictures: every chunk's CRC is checked,
// the header is validated before anything is allocated, the image data is
// inflated with zlib into a buffer that may never grow beyond the size the
// header implies, and each row is unfiltered and expanded to RGBA.
#include "app/PngImage.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace tw {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxDimension = 16384;
// Bounds what a hostile header can make the reader allocate (256 MiB of RGBA).
constexpr std::uint64_t kMaxPixels = 64ull * 1024 * 1024;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

struct DecodeError {
    const char* text;
};

[[noreturn]] void fail(const char* text) { throw DecodeError{text}; }

std::uint32_t readBe32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

std::uint16_t readBe16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }

struct Header {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0;
    int colourType = 0;
    bool interlaced = false;

    int channels() const {
        switch (colourType) {
            case 0: return 1;
            case 2: return 3;
            case 3: return 1;
            case 4: return 2;
            default: return 4;
        }
    }
    int bitsPerPixel() const { return channels() * bitDepth; }
    // Distance in bytes to the corresponding byte of the previous pixel, as
    // the filters use it (at least 1 for depths under 8 bits).
    std::size_t filterStride() const {
        const int bytes = bitsPerPixel() / 8;
        return bytes < 1 ? 1 : std::size_t(bytes);
    }
    std::size_t rowBytes(std::uint32_t pixels) const {
        return (std::size_t(pixels) * std::size_t(bitsPerPixel()) + 7) / 8;
    }
};

Header parseHeader(const std::uint8_t* p, std::uint32_t length) {
    if (length != 13) fail("IHDR chunk has the wrong length");
    Header h;
    h.width = readBe32(p);
    h.height = readBe32(p + 4);
    h.bitDepth = p[8];
    h.colourType = p[9];
    const int compression = p[10], filter = p[11], interlace = p[12];
    if (h.width == 0 || h.height == 0) fail("image has no pixels");
    if (h.width > kMaxDimension || h.height > kMaxDimension) fail("image dimensions too large");
    if (std::uint64_t(h.width) * h.height > kMaxPixels) fail("image has too many pixels");
    bool depthOk = false;
    switch (h.colourType) {
        case 0: depthOk = h.bitDepth == 1 || h.bitDepth == 2 || h.bitDepth == 4 || h.bitDepth == 8 || h.bitDepth == 16; break;
        case 3: depthOk = h.bitDepth == 1 || h.bitDepth == 2 || h.bitDepth == 4 || h.bitDepth == 8; break;
        case 2:
        case 4:
        case 6: depthOk = h.bitDepth == 8 || h.bitDepth == 16; break;
        default: fail("unknown colour type");
    }
    if (!depthOk) fail("bit depth not allowed for the colour type");
    if (compression != 0) fail("unknown compression method");
    if (filter != 0) fail("unknown filter method");
    if (interlace > 1) fail("unknown interlace method");
    h.interlaced = interlace == 1;
    return h;
}

// One pass of the image: the whole image, or one of the seven Adam7 passes.
struct Pass {
    std::uint32_t x0, y0, dx, dy;
    std::uint32_t width, height;
};

std::vector<Pass> passesOf(const Header& h) {
    if (!h.interlaced) return {Pass{0, 0, 1, 1, h.width, h.height}};
    static constexpr std::uint32_t adam7[7][4] = {
        {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<Pass> passes;
    for (const auto& a : adam7) {
        Pass p{a[0], a[1], a[2], a[3], 0, 0};
        p.width = h.width > p.x0 ? (h.width - p.x0 + p.dx - 1) / p.dx : 0;
        p.height = h.height > p.y0 ? (h.height - p.y0 + p.dy - 1) / p.dy : 0;
        if (p.width != 0 && p.height != 0) passes.push_back(p);  // an empty pass has no filter bytes
    }
    return passes;
}

std::size_t filteredSize(const Header& h, const std::vector<Pass>& passes) {
    std::size_t total = 0;
    for (const Pass& p : passes) total += std::size_t(p.height) * (1 + h.rowBytes(p.width));
    return total;
}

// Streams the IDAT chunks through zlib into a buffer capped at `expected`.
class Inflater {
public:
    explicit Inflater(std::size_t expected) : expected_(expected) {
        std::memset(&stream_, 0, sizeof stream_);
        if (inflateInit(&stream_) != Z_OK) fail("zlib could not be initialised");
        initialised_ = true;
    }
    ~Inflater() {
        if (initialised_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    void feed(const std::uint8_t* data, std::uint32_t length) {
        if (length == 0) return;
        if (finished_) fail("image data continues after the end of the compressed stream");
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = length;
        std::array<std::uint8_t, 16384> block;
        while (stream_.avail_in > 0) {
            stream_.next_out = block.data();
            stream_.avail_out = uInt(block.size());
            const int ret = inflate(&stream_, Z_NO_FLUSH);
            const std::size_t produced = block.size() - stream_.avail_out;
            if (produced > expected_ - out_.size()) fail("image data is longer than the header implies");
            out_.insert(out_.end(), block.data(), block.data() + produced);
            if (ret == Z_STREAM_END) {
                finished_ = true;
                if (stream_.avail_in > 0) fail("image data continues after the end of the compressed stream");
                break;
            }
            if (ret != Z_OK) fail("image data is not a valid zlib stream");
        }
    }

    std::vector<std::uint8_t> finish() {
        if (!finished_) fail("image data is truncated");
        if (out_.size() != expected_) fail("image data is shorter than the header implies");
        return std::move(out_);
    }

private:
    z_stream stream_;
    bool initialised_ = false;
    bool finished_ = false;
    std::size_t expected_;
    std::vector<std::uint8_t> out_;
};

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return std::uint8_t(a);
    if (pb <= pc) return std::uint8_t(b);
    return std::uint8_t(c);
}

// Undoes the filter of one row in place. `prior` is the unfiltered previous
// row of the same pass, or nullptr for its first row (taken as zeros).
void unfilterRow(int type, std::uint8_t* row, const std::uint8_t* prior, std::size_t length, std::size_t stride) {
    switch (type) {
        case 0: return;
        case 1:
            for (std::size_t i = stride; i < length; ++i) row[i] = std::uint8_t(row[i] + row[i - stride]);
            return;
        case 2:
            if (prior)
                for (std::size_t i = 0; i < length; ++i) row[i] = std::uint8_t(row[i] + prior[i]);
            return;
        case 3:
            for (std::size_t i = 0; i < length; ++i) {
                const int left = i >= stride ? row[i - stride] : 0;
                const int up = prior ? prior[i] : 0;
                row[i] = std::uint8_t(row[i] + ((left + up) >> 1));
            }
            return;
        case 4:
            for (std::size_t i = 0; i < length; ++i) {
                const int left = i >= stride ? row[i - stride] : 0;
                const int up = prior ? prior[i] : 0;
                const int upLeft = (prior && i >= stride) ? prior[i - stride] : 0;
                row[i] = std::uint8_t(row[i] + paeth(left, up, upLeft));
            }
            return;
        default: fail("unknown filter type in a row");
    }
}

struct Palette {
    std::array<std::uint8_t, 256 * 4> rgba{};
    std::size_t entries = 0;
};

// Transparency of grey and true-colour images: one colour (at full depth)
// that is fully transparent.
struct ColourKey {
    bool present = false;
    std::uint16_t grey = 0, red = 0, green = 0, blue = 0;
};

class PixelWriter {
public:
    PixelWriter(const Header& h, const Palette& palette, const ColourKey& key, Image& out)
        : h_(h), palette_(palette), key_(key), out_(out) {}

    // Expands one unfiltered row of a pass into the RGBA image.
    void writeRow(const Pass& pass, std::uint32_t passRow, const std::uint8_t* row) {
        const std::uint32_t y = pass.y0 + passRow * pass.dy;
        for (std::uint32_t i = 0; i < pass.width; ++i) {
            const std::uint32_t x = pass.x0 + i * pass.dx;
            std::uint8_t* px = &out_.rgba[(std::size_t(y) * h_.width + x) * 4];
            writePixel(row, i, px);
        }
    }

private:
    std::uint16_t sample(const std::uint8_t* row, std::size_t index) const {
        switch (h_.bitDepth) {
            case 16: return readBe16(row + index * 2);
            case 8: return row[index];
            default: {
                const std::size_t bit = index * std::size_t(h_.bitDepth);
                const int shift = 8 - h_.bitDepth - int(bit % 8);
                return std::uint16_t((row[bit / 8] >> shift) & ((1 << h_.bitDepth) - 1));
            }
        }
    }
    // Scales a grey sample of any depth to 8 bits.
    std::uint8_t to8(std::uint16_t v) const {
        switch (h_.bitDepth) {
            case 1: return v ? 255 : 0;
            case 2: return std::uint8_t(v * 0x55);
            case 4: return std::uint8_t(v * 0x11);
            case 16: return std::uint8_t(v >> 8);
            default: return std::uint8_t(v);
        }
    }

    void writePixel(const std::uint8_t* row, std::uint32_t i, std::uint8_t* px) const {
        const std::size_t c = std::size_t(h_.channels());
        const std::size_t base = std::size_t(i) * c;
        switch (h_.colourType) {
            case 0: {
                const std::uint16_t g = sample(row, base);
                px[0] = px[1] = px[2] = to8(g);
                px[3] = (key_.present && g == key_.grey) ? 0 : 255;
                return;
            }
            case 2: {
                const std::uint16_t r = sample(row, base), g = sample(row, base + 1), b = sample(row, base + 2);
                px[0] = to8(r);
                px[1] = to8(g);
                px[2] = to8(b);
                px[3] = (key_.present && r == key_.red && g == key_.green && b == key_.blue) ? 0 : 255;
                return;
            }
            case 3: {
                const std::uint16_t index = sample(row, base);
                if (index >= palette_.entries) fail("palette index out of range");
                std::memcpy(px, &palette_.rgba[std::size_t(index) * 4], 4);
                return;
            }
            case 4: {
                const std::uint8_t g = to8(sample(row, base));
                px[0] = px[1] = px[2] = g;
                px[3] = to8(sample(row, base + 1));
                return;
            }
            default:
                for (std::size_t k = 0; k < 4; ++k) px[k] = to8(sample(row, base + k));
                return;
        }
    }

    const Header& h_;
    const Palette& palette_;
    const ColourKey& key_;
    Image& out_;
};

void reconstruct(const Header& h, const std::vector<Pass>& passes, std::vector<std::uint8_t>& raw,
                 const Palette& palette, const ColourKey& key, Image& out) {
    out.width = int(h.width);
    out.height = int(h.height);
    out.rgba.assign(std::size_t(h.width) * h.height * 4, 0);
    PixelWriter writer(h, palette, key, out);
    const std::size_t stride = h.filterStride();
    std::size_t offset = 0;
    for (const Pass& pass : passes) {
        const std::size_t length = h.rowBytes(pass.width);
        const std::uint8_t* prior = nullptr;
        for (std::uint32_t r = 0; r < pass.height; ++r) {
            const int type = raw[offset];
            std::uint8_t* row = &raw[offset + 1];
            unfilterRow(type, row, prior, length, stride);
            writer.writeRow(pass, r, row);
            prior = row;
            offset += 1 + length;
        }
    }
}

bool isCritical(const std::uint8_t* type) { return (type[0] & 0x20) == 0; }

void decode(const std::uint8_t* data, std::size_t size, Image& out) {
    if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        fail("not a PNG file (bad signature)");
    std::size_t pos = sizeof kSignature;
    bool haveHeader = false, havePalette = false, haveTransparency = false, seenData = false, dataEnded = false;
    Header h;
    Palette palette;
    ColourKey key;
    std::vector<Pass> passes;
    std::unique_ptr<Inflater> inflater;

    for (;;) {
        if (size - pos < 12) fail(pos == size ? "missing IEND chunk" : "truncated chunk");
        const std::uint32_t length = readBe32(data + pos);
        if (length > kMaxChunkLength) fail("chunk length out of range");
        if (size - pos - 12 < length) fail("truncated chunk");
        const std::uint8_t* type = data + pos + 4;
        const std::uint8_t* body = data + pos + 8;
        const std::uint32_t storedCrc = readBe32(body + length);
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, uInt(length + 4));
        if (crc != storedCrc) fail("chunk CRC mismatch");
        for (int k = 0; k < 4; ++k) {
            const std::uint8_t ch = type[k] & ~0x20;
            if (ch < 'A' || ch > 'Z') fail("invalid chunk type");
        }
        pos += 12 + std::size_t(length);

        if (!haveHeader && std::memcmp(type, "IHDR", 4) != 0) fail("missing IHDR chunk");
        const bool isData = std::memcmp(type, "IDAT", 4) == 0;
        if (seenData && !isData) dataEnded = true;

        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (haveHeader) fail("more than one IHDR chunk");
            h = parseHeader(body, length);
            haveHeader = true;
            passes = passesOf(h);
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            if (havePalette) fail("more than one PLTE chunk");
            if (seenData) fail("PLTE chunk after the image data");
            if (haveTransparency) fail("PLTE chunk after tRNS");
            if (h.colourType == 0 || h.colourType == 4) fail("PLTE chunk in a grey image");
            if (length == 0 || length % 3 != 0 || length / 3 > 256) fail("PLTE chunk has a bad length");
            palette.entries = length / 3;
            for (std::size_t k = 0; k < palette.entries; ++k) {
                palette.rgba[k * 4 + 0] = body[k * 3 + 0];
                palette.rgba[k * 4 + 1] = body[k * 3 + 1];
                palette.rgba[k * 4 + 2] = body[k * 3 + 2];
                palette.rgba[k * 4 + 3] = 255;
            }
            havePalette = true;
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            if (haveTransparency) fail("more than one tRNS chunk");
            if (seenData) fail("tRNS chunk after the image data");
            switch (h.colourType) {
                case 0:
                    if (length != 2) fail("tRNS chunk has a bad length");
                    key.grey = readBe16(body);
                    key.present = true;
                    break;
                case 2:
                    if (length != 6) fail("tRNS chunk has a bad length");
                    key.red = readBe16(body);
                    key.green = readBe16(body + 2);
                    key.blue = readBe16(body + 4);
                    key.present = true;
                    break;
                case 3:
                    if (!havePalette) fail("tRNS chunk before PLTE");
                    if (length > palette.entries) fail("tRNS chunk has more entries than the palette");
                    for (std::size_t k = 0; k < length; ++k) palette.rgba[k * 4 + 3] = body[k];
                    break;
                default: fail("tRNS chunk in an image with an alpha channel");
            }
            haveTransparency = true;
        } else if (isData) {
            if (dataEnded) fail("IDAT chunks are not consecutive");
            if (h.colourType == 3 && !havePalette) fail("missing PLTE chunk");
            if (!inflater) inflater = std::make_unique<Inflater>(filteredSize(h, passes));
            seenData = true;
            inflater->feed(body, length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            if (!seenData) fail("missing IDAT chunk");
            std::vector<std::uint8_t> raw = inflater->finish();
            reconstruct(h, passes, raw, palette, key, out);
            return;
        } else if (isCritical(type)) {
            fail("unknown critical chunk");
        }
        // Other ancillary chunks (text, gamma, time ...) are skipped.
    }
}

}  // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, Image& out, std::string* error) {
    out = Image{};
    try {
        decode(data, size, out);
        return true;
    } catch (const DecodeError& e) {
        out = Image{};
        if (error) *error = e.text;
    } catch (const std::bad_alloc&) {
        out = Image{};
        if (error) *error = "out of memory";
    }
    return false;
}

}  // namespace tw
