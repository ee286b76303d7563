// The PNG reader: the committed tool-bar pictures, images built here with
// every filter type, colour type and bit depth, and malformed files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/PngImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void appendChunk(Bytes& png, const char* type, const Bytes& body) {
    put32(png, std::uint32_t(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put32(png, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

Bytes signature() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; }

Bytes ihdr(std::uint32_t w, std::uint32_t h, int depth, int colour, int interlace = 0) {
    Bytes b;
    put32(b, w);
    put32(b, h);
    b.push_back(std::uint8_t(depth));
    b.push_back(std::uint8_t(colour));
    b.push_back(0);
    b.push_back(0);
    b.push_back(std::uint8_t(interlace));
    return b;
}

Bytes deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

// A PNG test image: samples of each row (one entry per sample, any depth),
// packed and filtered here the way an encoder does it.
struct Picture {
    std::uint32_t width = 0, height = 0;
    int depth = 8, colour = 6;
    int channels() const { return colour == 0 || colour == 3 ? 1 : colour == 4 ? 2 : colour == 2 ? 3 : 4; }
    std::vector<std::vector<std::uint16_t>> rows;  // rows[y][x * channels + c]
    Bytes palette, transparency;
};

Bytes packRow(const Picture& p, const std::vector<std::uint16_t>& samples) {
    Bytes out;
    if (p.depth == 16) {
        for (auto s : samples) {
            out.push_back(std::uint8_t(s >> 8));
            out.push_back(std::uint8_t(s));
        }
    } else if (p.depth == 8) {
        for (auto s : samples) out.push_back(std::uint8_t(s));
    } else {
        int bits = 0;
        std::uint8_t acc = 0;
        for (auto s : samples) {
            acc = std::uint8_t(acc | (s << (8 - p.depth - bits)));
            bits += p.depth;
            if (bits == 8) {
                out.push_back(acc);
                acc = 0;
                bits = 0;
            }
        }
        if (bits) out.push_back(acc);
    }
    return out;
}

int paethPredictor(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

Bytes filterRow(int type, const Bytes& row, const Bytes& prior, std::size_t bpp) {
    Bytes out{std::uint8_t(type)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        int a = i >= bpp ? row[i - bpp] : 0, b = prior.empty() ? 0 : prior[i];
        int c = (i >= bpp && !prior.empty()) ? prior[i - bpp] : 0;
        int pred = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? paethPredictor(a, b, c) : 0;
        out.push_back(std::uint8_t(row[i] - pred));
    }
    return out;
}

// Filtered scan lines of a sub-image; filterOf(y) chooses each row's filter.
template <class F>
Bytes scanLines(const Picture& p, const std::vector<std::vector<std::uint16_t>>& rows, F filterOf) {
    const std::size_t bpp = std::max<std::size_t>(1, std::size_t(p.channels() * p.depth / 8));
    Bytes raw, prior;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        Bytes row = packRow(p, rows[y]);
        Bytes f = filterRow(filterOf(y), row, prior, bpp);
        raw.insert(raw.end(), f.begin(), f.end());
        prior = row;
    }
    return raw;
}

// The Adam7 passes of the image, each as its own rows of samples.
std::vector<std::vector<std::vector<std::uint16_t>>> adam7Passes(const Picture& p) {
    const int start[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<std::vector<std::vector<std::uint16_t>>> passes;
    const std::size_t c = std::size_t(p.channels());
    for (auto& s : start) {
        std::vector<std::vector<std::uint16_t>> rows;
        for (std::uint32_t y = s[1]; y < p.height; y += s[3]) {
            std::vector<std::uint16_t> row;
            for (std::uint32_t x = s[0]; x < p.width; x += s[2])
                for (std::size_t k = 0; k < c; ++k) row.push_back(p.rows[y][x * c + k]);
            if (!row.empty()) rows.push_back(row);
        }
        passes.push_back(rows);
    }
    return passes;
}

Bytes imageData(const Picture& p, bool interlaced, int filter) {
    auto choose = [filter](std::size_t y) { return filter >= 0 ? filter : int(y % 5); };
    if (!interlaced) return scanLines(p, p.rows, choose);
    Bytes raw;
    for (auto& pass : adam7Passes(p)) {
        Bytes part = scanLines(p, pass, choose);
        raw.insert(raw.end(), part.begin(), part.end());
    }
    return raw;
}

Bytes buildPng(const Bytes& header, const Bytes& palette, const Bytes& trns, const Bytes& raw, std::size_t idatPieces = 1) {
    Bytes png = signature();
    appendChunk(png, "IHDR", header);
    if (!palette.empty()) appendChunk(png, "PLTE", palette);
    if (!trns.empty()) appendChunk(png, "tRNS", trns);
    Bytes z = deflate(raw);
    const std::size_t piece = (z.size() + idatPieces - 1) / idatPieces;
    for (std::size_t at = 0; at < z.size(); at += piece)
        appendChunk(png, "IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + piece)));
    appendChunk(png, "IEND", {});
    return png;
}

// A file of the given chunks in order, after the signature.
Bytes chunks(const std::vector<std::pair<const char*, Bytes>>& list) {
    Bytes png = signature();
    for (const auto& [type, body] : list) appendChunk(png, type, body);
    return png;
}

Bytes encode(const Picture& p, int filter = -1, bool interlaced = false, std::size_t idatPieces = 1) {
    return buildPng(ihdr(p.width, p.height, p.depth, p.colour, interlaced ? 1 : 0), p.palette, p.transparency,
                    imageData(p, interlaced, filter), idatPieces);
}

// Deterministic sample values that reach every bit of the depth.
Picture makePicture(std::uint32_t w, std::uint32_t h, int depth, int colour, std::uint32_t seed = 7) {
    Picture p;
    p.width = w;
    p.height = h;
    p.depth = depth;
    p.colour = colour;
    const std::uint32_t limit = colour == 3 ? std::min<std::uint32_t>(1u << depth, 5) : (1u << depth);
    std::uint32_t state = seed;
    for (std::uint32_t y = 0; y < h; ++y) {
        std::vector<std::uint16_t> row;
        for (std::uint32_t k = 0; k < w * std::uint32_t(p.channels()); ++k) {
            state = state * 1103515245u + 12345u;
            row.push_back(std::uint16_t((state >> 8) % limit));
        }
        p.rows.push_back(row);
    }
    if (colour == 3) {
        for (std::uint32_t i = 0; i < limit; ++i) {
            p.palette.push_back(std::uint8_t(40 * i + 3));
            p.palette.push_back(std::uint8_t(255 - 31 * i));
            p.palette.push_back(std::uint8_t(17 * i));
        }
        p.transparency = {0, 128};  // entry 0 clear, entry 1 half, the rest opaque
    }
    return p;
}

// What the RGBA of a pixel must be, by the meaning of each colour type.
std::array<std::uint8_t, 4> expectedPixel(const Picture& p, std::uint32_t x, std::uint32_t y) {
    const std::size_t c = std::size_t(p.channels());
    auto s = [&](std::size_t k) { return p.rows[y][x * c + k]; };
    const int max = (1 << p.depth) - 1;
    auto scale = [&](std::uint16_t v) { return std::uint8_t(p.depth == 16 ? v >> 8 : v * 255 / max); };
    switch (p.colour) {
        case 0: return {scale(s(0)), scale(s(0)), scale(s(0)), 255};
        case 2: return {scale(s(0)), scale(s(1)), scale(s(2)), 255};
        case 3: {
            const std::size_t i = s(0);
            const std::uint8_t a = i < p.transparency.size() ? p.transparency[i] : 255;
            return {p.palette[i * 3], p.palette[i * 3 + 1], p.palette[i * 3 + 2], a};
        }
        case 4: return {scale(s(0)), scale(s(0)), scale(s(0)), scale(s(1))};
        default: return {scale(s(0)), scale(s(1)), scale(s(2)), scale(s(3))};
    }
}

void expectDecodesTo(const Bytes& png, const Picture& p) {
    tw::Image img;
    std::string error;
    ASSERT_TRUE(tw::DecodePng(png.data(), png.size(), img, &error)) << error;
    ASSERT_EQ(img.width, int(p.width));
    ASSERT_EQ(img.height, int(p.height));
    ASSERT_EQ(img.rgba.size(), std::size_t(p.width) * p.height * 4);
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const auto want = expectedPixel(p, x, y);
            const std::uint8_t* got = &img.rgba[(std::size_t(y) * p.width + x) * 4];
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(int(got[k]), int(want[k])) << "pixel " << x << "," << y << " channel " << k;
        }
}

std::string rejectReason(const Bytes& png) {
    tw::Image img;
    img.width = 3;  // must be cleared on failure
    std::string error;
    EXPECT_FALSE(tw::DecodePng(png.data(), png.size(), img, &error));
    EXPECT_TRUE(img.rgba.empty());
    EXPECT_EQ(img.width, 0);
    EXPECT_FALSE(error.empty());
    return error;
}

// ---------------------------------------------------------------------------

TEST(PngPictures, ToolBarPicturesDecodeWithTransparentCorners) {
    for (const char* name : {"clean", "log", "backup", "options", "desktop", "help"}) {
        SCOPED_TRACE(name);
        const Bytes file = readFile(std::string(TW_SOURCE_DIR) + "/resources/pictures/" + name + ".png");
        tw::Image img;
        std::string error;
        ASSERT_TRUE(tw::DecodePng(file.data(), file.size(), img, &error)) << error;
        ASSERT_EQ(img.width, 48);
        ASSERT_EQ(img.height, 48);
        ASSERT_EQ(img.rgba.size(), 48u * 48 * 4);
        EXPECT_EQ(img.rgba[3], 0) << "top-left corner";
        EXPECT_EQ(img.rgba[(48 * 48 - 1) * 4 + 3], 0) << "bottom-right corner";
        std::size_t opaque = 0;
        for (std::size_t i = 3; i < img.rgba.size(); i += 4) opaque += img.rgba[i] == 255;
        EXPECT_GT(opaque, 48u * 48 / 8) << "the picture is drawn";
    }
}

TEST(PngDecoding, EachFilterTypeAtPixelStridesOfOneThreeAndEightBytes) {
    for (auto [colour, depth] : std::vector<std::pair<int, int>>{{0, 2}, {2, 8}, {6, 16}})
        for (int filter = 0; filter <= 4; ++filter) {
            SCOPED_TRACE("colour " + std::to_string(colour) + " depth " + std::to_string(depth) + " filter " +
                         std::to_string(filter));
            const Picture p = makePicture(7, 5, depth, colour, std::uint32_t(filter + 11 * colour + depth));
            expectDecodesTo(encode(p, filter), p);
        }
}

TEST(PngDecoding, EveryAllowedDepthOfEveryColourType) {
    const std::vector<std::pair<int, std::vector<int>>> allowed = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (auto& [colour, depths] : allowed)
        for (int depth : depths) {
            SCOPED_TRACE("colour " + std::to_string(colour) + " depth " + std::to_string(depth));
            // 13 pixels wide: packed rows end in a partly used byte.
            const Picture p = makePicture(13, 3, depth, colour);
            expectDecodesTo(encode(p), p);
        }
}

TEST(PngDecoding, ColourKeyTransparencyMatchesAllSixteenBits) {
    Picture grey = makePicture(4, 1, 16, 0);
    grey.rows[0] = {0x1234, 0x1299, 0x1234, 0xFFFF};
    grey.transparency = {0x12, 0x34};
    tw::Image img;
    const Bytes png = encode(grey);
    ASSERT_TRUE(tw::DecodePng(png.data(), png.size(), img));
    EXPECT_EQ(img.rgba[3], 0);
    EXPECT_EQ(img.rgba[7], 255) << "same high byte, different low byte";
    EXPECT_EQ(img.rgba[11], 0);
    EXPECT_EQ(img.rgba[15], 255);
}

TEST(PngDecoding, InterlacedSplitOverChunksAndAncillaryChunksSkipped) {
    // Sizes where some Adam7 passes are empty (1 x 1, 3 x 2) and where none are.
    for (auto [w, h] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 1}, {3, 2}, {17, 11}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Picture rgba = makePicture(w, h, 8, 6, w * 31 + h);
        expectDecodesTo(encode(rgba, -1, true), rgba);
        const Picture packed = makePicture(w, h, 2, 3, w + h);
        expectDecodesTo(encode(packed, 4, true), packed);
    }
    const Picture p = makePicture(16, 16, 8, 2);
    expectDecodesTo(encode(p, -1, false, 40), p);
    Bytes png = encode(p);
    Bytes withText(png.begin(), png.begin() + 33);  // signature + IHDR
    appendChunk(withText, "tEXt", {'C', 0, 'h', 'i'});
    appendChunk(withText, "zzZz", {1, 2, 3});  // unknown but ancillary
    withText.insert(withText.end(), png.begin() + 33, png.end());
    expectDecodesTo(withText, p);
}

// ---------------------------------------------------------------------------

class PngRejects : public ::testing::Test {
protected:
    Picture p = makePicture(6, 4, 8, 6);
    Bytes good = encode(p);
    Bytes raw = imageData(p, false, 0);
    Bytes header = ihdr(6, 4, 8, 6);
    Bytes z = deflate(raw);
    bool says(const Bytes& png, const char* word) { return rejectReason(png).find(word) != std::string::npos; }
};

TEST_F(PngRejects, SignatureCrcAndEveryTruncation) {
    Bytes bad = good;
    bad[1] = 'p';
    EXPECT_TRUE(says(bad, "signature"));
    // One bit flipped in the IHDR body, in the IDAT body and in the IEND CRC.
    for (std::size_t at : {std::size_t(20), std::size_t(45), good.size() - 1}) {
        bad = good;
        bad[at] ^= 0x04;
        EXPECT_TRUE(says(bad, "CRC")) << "byte " << at;
    }
    for (std::size_t n = 0; n < good.size(); ++n) rejectReason(Bytes(good.begin(), good.begin() + n));
    tw::Image img;
    EXPECT_FALSE(tw::DecodePng(nullptr, 0, img));
}

TEST_F(PngRejects, ImageDataOfTheWrongLengthOrDamaged) {
    EXPECT_TRUE(says(buildPng(header, {}, {}, Bytes(raw.begin(), raw.end() - 1)), "shorter"));
    Bytes longer = raw;
    longer.insert(longer.end(), 1 + 6 * 4, 0);  // a whole extra row compresses into a few bytes
    EXPECT_TRUE(says(buildPng(header, {}, {}, longer), "longer"));
    Bytes extra = z;
    extra.push_back(0);
    for (const Bytes& data : {Bytes(z.begin(), z.end() - 4), extra, Bytes{0x78, 0x9C, 0xFF, 0xFF, 0xFF}})
        rejectReason(chunks({{"IHDR", header}, {"IDAT", data}, {"IEND", {}}}));
}

TEST_F(PngRejects, HugeOrEmptyDimensionsBeforeAnyAllocation) {
    for (auto [w, h] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {0, 4}, {16385, 1}, {16384, 16384}, {0x80000000u, 0x80000000u}})
        EXPECT_FALSE(says(buildPng(ihdr(w, h, 8, 6), {}, {}, raw), "shorter")) << w << " x " << h;
    // The largest width allowed by itself passes the header check.
    EXPECT_TRUE(says(buildPng(ihdr(16384, 1, 8, 6), {}, {}, raw), "shorter"));
}

TEST_F(PngRejects, BadHeaderFieldsAndFilterByte) {
    Bytes method = header;
    method[10] = 1;  // compression method
    Bytes longHeader = header;
    longHeader.push_back(0);
    // 4-bit RGB, 16-bit palette, colour type 5, interlace 2.
    for (const Bytes& h : {ihdr(6, 4, 4, 2), ihdr(6, 4, 16, 3), ihdr(6, 4, 8, 5), ihdr(6, 4, 8, 6, 2), method, longHeader})
        rejectReason(buildPng(h, {}, {}, raw));
    Bytes bad = raw;
    bad[1 + 6 * 4] = 5;  // second row
    EXPECT_TRUE(says(buildPng(header, {}, {}, bad), "filter"));
}

TEST_F(PngRejects, MissingMisplacedOrUnknownCriticalChunks) {
    EXPECT_TRUE(says(chunks({{"IDAT", z}, {"IEND", {}}}), "IHDR"));
    EXPECT_TRUE(says(Bytes(good.begin(), good.end() - 12), "IEND"));
    EXPECT_TRUE(says(chunks({{"IHDR", header}, {"IEND", {}}}), "IDAT"));
    EXPECT_TRUE(says(chunks({{"IHDR", header}, {"ABCD", {1}}, {"IDAT", z}, {"IEND", {}}}), "critical"));
    rejectReason(chunks({{"IHDR", header}, {"IHDR", header}, {"IDAT", z}, {"IEND", {}}}));
    rejectReason(chunks({{"IHDR", header},
                         {"IDAT", Bytes(z.begin(), z.begin() + 5)},
                         {"tEXt", {'a', 0, 'b'}},
                         {"IDAT", Bytes(z.begin() + 5, z.end())},
                         {"IEND", {}}}));
    // A chunk length beyond the file (and beyond 2^31) is not trusted.
    Bytes huge(good.begin(), good.begin() + 33);
    put32(huge, 0xFFFFFFF0u);
    huge.insert(huge.end(), {'I', 'D', 'A', 'T', 0, 0, 0, 0});
    rejectReason(huge);
}

TEST_F(PngRejects, PaletteProblems) {
    Picture pal = makePicture(5, 2, 4, 3);  // indices 0..4
    pal.rows[1][3] = 9;
    EXPECT_TRUE(says(encode(pal), "palette index"));

    Picture noPalette = makePicture(5, 2, 8, 3);
    noPalette.palette.clear();
    noPalette.transparency.clear();
    EXPECT_TRUE(says(encode(noPalette), "PLTE"));

    Picture longAlpha = makePicture(5, 2, 8, 3);
    longAlpha.transparency.assign(longAlpha.palette.size() / 3 + 1, 0);
    rejectReason(encode(longAlpha));

    Picture alphaWithKey = makePicture(5, 2, 8, 6);
    alphaWithKey.transparency = {0, 1, 0, 2, 0, 3};
    rejectReason(encode(alphaWithKey));
}

}  // namespace
