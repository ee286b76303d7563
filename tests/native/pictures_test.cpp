// The picture readers: PNG files built here in every form the reader takes,
// damaged ones, and the committed tool-bar pictures and banner.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <fstream>
#include <iterator>

#include "app/JpegImage.h"
#include "app/PngImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Chunks = std::vector<std::pair<std::string, Bytes>>;

Bytes readFile(const std::string& name) {
    std::ifstream in(std::string(TW_SOURCE_DIR) + "/resources/pictures/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

Bytes file(const Chunks& chunks) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (auto [type, body] : chunks) {
        put(png, std::uint32_t(body.size()));
        body.insert(body.begin(), type.begin(), type.end());
        png.insert(png.end(), body.begin(), body.end());
        put(png, std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
    }
    return png;
}

Bytes zip(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes z(size);
    compress(z.data(), &size, raw.data(), uLong(raw.size()));
    return Bytes(z.begin(), z.begin() + std::ptrdiff_t(size));
}

struct Picture {
    std::uint32_t w, h;
    int depth, colour;
    bool interlaced = false;
    std::vector<std::uint16_t> samples = {};  // row by row, channels() per pixel
    int channels() const { return colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1; }
    int at(std::uint32_t x, std::uint32_t y, int k) const { return samples[(y * w + x) * channels() + k]; }
    Bytes header() const {
        Bytes out;
        for (const std::uint32_t v : {w, h}) put(out, v);
        out.insert(out.end(), {std::uint8_t(depth), std::uint8_t(colour), 0, 0, std::uint8_t(interlaced)});
        return out;
    }
};

// Every sample drawn at random.
Picture picture(std::uint32_t w, std::uint32_t h, int depth, int colour, bool interlaced = false) {
    Picture p{w, h, depth, colour, interlaced};
    std::uint32_t state = w * 131 + h * 7 + depth * 3 + colour;
    for (std::uint32_t i = 0; i < w * h * p.channels(); ++i)
        p.samples.push_back(std::uint16_t((state = state * 1103515245u + 12345u) >> 9 & ((1 << depth) - 1)));
    return p;
}

// Channel k of palette entry i: (40 i + 3, 255 - 31 i, 17 i), entry 0 clear, 1 half, the rest opaque.
std::uint8_t palette(int i, int k) {
    return std::uint8_t(std::array{40 * i + 3, 255 - 31 * i, 17 * i, i == 0 ? 0 : i == 1 ? 128 : 255}[k]);
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The scan lines of pixels (x0 + i dx, y0 + j dy), packed and filtered;
// filter -1 gives each row the next of the five filters.
Bytes scanLines(const Picture& p, int filter, std::uint32_t x0 = 0, std::uint32_t y0 = 0, std::uint32_t dx = 1,
                std::uint32_t dy = 1) {
    const std::size_t stride = std::max(1, p.channels() * p.depth / 8);
    Bytes out, prior;
    for (std::uint32_t y = y0, j = 0; y < p.h && x0 < p.w; y += dy, ++j) {
        Bytes row;
        std::uint32_t acc = 0, bits = 0;
        for (std::uint32_t x = x0; x < p.w; x += dx)
            for (int k = 0; k < p.channels(); ++k)
                for (acc = acc << p.depth | p.at(x, y, k), bits += p.depth; bits >= 8;)
                    row.push_back(std::uint8_t(acc >> (bits -= 8)));
        if (bits) row.push_back(std::uint8_t(acc << (8 - bits)));
        prior.resize(row.size());
        const int type = filter >= 0 ? filter : int(j % 5);
        out.push_back(std::uint8_t(type));
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int a = i >= stride ? row[i - stride] : 0, b = prior[i], c = i >= stride ? prior[i - stride] : 0;
            out.push_back(std::uint8_t(row[i] - std::array{0, a, b, (a + b) / 2, paeth(a, b, c)}[type]));
        }
        prior = row;
    }
    return out;
}

// The picture as a PNG file, its compressed data split over three IDAT chunks.
Bytes encode(const Picture& p, int filter = -1) {
    Bytes raw = p.interlaced ? Bytes() : scanLines(p, filter), plte;
    for (auto [x0, y0, dx, dy] : {std::array<std::uint32_t, 4>{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}) {
        const Bytes pass = p.interlaced ? scanLines(p, filter, x0, y0, dx, dy) : Bytes();
        raw.insert(raw.end(), pass.begin(), pass.end());
    }
    for (int i = 0; i < (p.colour == 3 ? 3 << p.depth : 0); ++i) plte.push_back(palette(i / 3, i % 3));
    Chunks chunks{{"IHDR", p.header()}, {"tEXt", {'a', 0, 'b'}}};
    if (!plte.empty()) chunks.insert(chunks.end(), {{"PLTE", plte}, {"tRNS", {0, 128}}});
    const Bytes z = zip(raw);
    for (std::size_t at = 0, piece = z.size() / 3 + 1; at < z.size(); at += piece)
        chunks.push_back({"IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + piece))});
    chunks.push_back({"IEND", {}});
    return file(chunks);
}

// The RGBA a picture must decode to: each channel a sample scaled to 8 bits
// (-1: opaque), or the palette entry.
Bytes expected(const Picture& p) {
    const int kSample[7][4] = {{0, 0, 0, -1}, {}, {0, 1, 2, -1}, {}, {0, 0, 0, 1}, {}, {0, 1, 2, 3}};
    Bytes out;
    for (std::uint32_t y = 0; y < p.h; ++y)
        for (std::uint32_t x = 0; x < p.w; ++x)
            for (const int k : kSample[p.colour]) {
                const int v = k < 0 ? 0 : p.at(x, y, k);
                out.push_back(p.colour == 3 ? palette(p.at(x, y, 0), int(out.size() % 4))
                              : k < 0       ? 255
                              : p.depth == 16 ? std::uint8_t(v >> 8) : std::uint8_t(v * 255 / ((1 << p.depth) - 1)));
            }
    return out;
}

TEST(Png, EveryColourTypeDepthFilterAndInterlace) {
    for (auto [colour, depths] : std::vector<std::pair<int, std::vector<int>>>{
             {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}})
        for (int depth : depths)
            for (auto [w, h, interlaced] :
                 {std::tuple{13u, 7u, false}, {1u, 1u, true}, {3u, 2u, true}, {17u, 11u, true}})
                for (int filter = -1; filter <= 4; ++filter) {
                    const Picture p = picture(w, h, depth, colour, interlaced);
                    const Bytes png = encode(p, filter);
                    tw::Image img;
                    ASSERT_TRUE(tw::DecodePng(png.data(), png.size(), img)) << colour << " " << depth << " " << filter;
                    ASSERT_EQ(std::tuple(img.width, img.height, img.rgba), std::tuple(int(w), int(h), expected(p)))
                        << "colour " << colour << " depth " << depth << " " << w << " x " << h << " filter " << filter;
                }
}

TEST(Png, DamagedFilesAreRejectedWithTheirReason) {
    const Picture p = picture(6, 4, 8, 6), pal = picture(5, 2, 8, 3), huge = {16384, 16384, 8, 6};
    const Bytes raw = scanLines(p, 0), z = zip(raw), good = encode(p, 0), h = p.header();
    const auto with = [](Bytes b, std::size_t at, int v) { return b[at] = std::uint8_t(v), b; };
    const auto plain = [&](const Bytes& head, const Bytes& data) {
        return file({{"IHDR", head}, {"IDAT", zip(data)}, {"IEND", {}}});
    };
    std::vector<std::pair<Bytes, std::string>> cases = {
        {with(good, 1, 'p'), "signature"},          {with(good, 60, good[60] ^ 4), "CRC"},
        {plain(with(h, 8, 4), raw), "bit depth"},    {plain(huge.header(), raw), "too many"},
        {plain(h, with(raw, 25, 5)), "filter type"}, {plain(h, Bytes(raw.begin(), raw.end() - 1)), "shorter"},
        {plain(h, Bytes(raw.size() + 25)), "longer"}, {file({{"IDAT", z}, {"IEND", {}}}), "IHDR"},
        {Bytes(good.begin(), good.end() - 12), "IEND"}, {file({{"IHDR", h}, {"IEND", {}}}), "IDAT"},
        {file({{"IHDR", h}, {"ABCD", {1}}, {"IDAT", z}, {"IEND", {}}}), "critical"},
        {plain(pal.header(), scanLines(pal, 0)), "PLTE"},
        {file({{"IHDR", pal.header()}, {"PLTE", Bytes(6, 7)}, {"IDAT", zip(scanLines(pal, 0))}, {"IEND", {}}}),
         "palette index"},
    };
    for (std::size_t n = 0; n < good.size(); ++n)  // every truncation
        cases.push_back({Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)), ""});
    for (const auto& [png, reason] : cases) {
        tw::Image img{3, 1, Bytes(12, 1)};
        std::string error;
        EXPECT_TRUE(!tw::DecodePng(png.data(), png.size(), img, &error) && img.width == 0 && img.height == 0 &&
                    img.rgba.empty() && !error.empty()) << png.size();
        EXPECT_NE(error.find(reason), std::string::npos) << reason;
    }
}

TEST(Jpeg, DamagedFilesFailCleanlyAndTheBannerDecodes) {
    const Bytes jpeg = readFile("banner.jpg");
    for (const Bytes& bad : {Bytes{}, Bytes(200, 0x5A), readFile("help.png"), Bytes(jpeg.begin(), jpeg.begin() + 100),
                             Bytes(jpeg.begin(), jpeg.end() - 40)}) {
        tw::Image img{5, 1, Bytes(4, 1)};
        std::string error;
        EXPECT_TRUE(!tw::DecodeJpeg(bad.data(), bad.size(), img, &error) && !error.empty() && img.width == 0 &&
                    img.rgba.empty()) << bad.size();
    }
    tw::Image img;  // after the failures, the banner: its size, opaque, red and blue in their places
    ASSERT_TRUE(tw::DecodeJpeg(jpeg.data(), jpeg.size(), img) && img.width == 361 && img.height == 99);
    for (std::size_t i = 3; i < 361u * 99 * 4; i += 4) ASSERT_EQ(img.rgba.at(i), 255);
    const std::uint8_t *sea = &img.rgba[(2 * 361 + 350) * 4], *sand = &img.rgba[(98 * 361 + 180) * 4];
    EXPECT_TRUE(sea[2] > sea[0] + 60 && sand[0] > sand[2]);
}

}  // namespace
