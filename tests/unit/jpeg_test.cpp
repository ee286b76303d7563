// The JPEG decoder: the committed banner, JPEG files made here with libjpeg,
// and damaged input, which must fail cleanly rather than end the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/JpegImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes banner() { return readFile(std::string(TW_SOURCE_DIR) + "/resources/pictures/banner.jpg"); }

// Encodes pixels (components per pixel: 1 grey or 3 RGB) with libjpeg.
Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, bool progressive) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels[std::size_t(info.next_scanline) * width * components]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

// Left half one colour, right half another: flat areas survive JPEG almost exactly.
Bytes twoColours(int width, int height, const std::vector<int>& left, const std::vector<int>& right) {
    Bytes px;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int v : (x < width / 2 ? left : right)) px.push_back(std::uint8_t(v));
    return px;
}

void expectNear(const tw::Image& img, int x, int y, std::vector<int> rgb) {
    const std::uint8_t* p = &img.rgba[(std::size_t(y) * img.width + x) * 4];
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(int(p[k]), rgb[k], 4) << "pixel " << x << "," << y << " channel " << k;
    EXPECT_EQ(p[3], 255);
}

TEST(JpegBanner, DecodesToTheBannerSizeAndLooksLikeTheSea) {
    const Bytes file = banner();
    tw::Image img;
    std::string error;
    ASSERT_TRUE(tw::DecodeJpeg(file.data(), file.size(), img, &error)) << error;
    ASSERT_EQ(img.width, 361);
    ASSERT_EQ(img.height, 99);
    ASSERT_EQ(img.rgba.size(), 361u * 99 * 4);
    for (std::size_t i = 3; i < img.rgba.size(); i += 4) ASSERT_EQ(img.rgba[i], 255);
    // Deep blue at the top right, sand at the bottom.
    const std::uint8_t* top = &img.rgba[(2 * 361 + 350) * 4];
    EXPECT_GT(top[2], top[0] + 60);
    const std::uint8_t* bottom = &img.rgba[(98 * 361 + 180) * 4];
    EXPECT_GT(bottom[0], bottom[2]);
}

TEST(JpegFormats, ColourGreyAndProgressiveFiles) {
    const std::vector<int> red{200, 30, 40}, teal{20, 150, 170};
    const Bytes colour = encodeJpeg(32, 16, 3, twoColours(32, 16, red, teal), false);
    tw::Image img;
    std::string error;
    ASSERT_TRUE(tw::DecodeJpeg(colour.data(), colour.size(), img, &error)) << error;
    ASSERT_EQ(img.width, 32);
    ASSERT_EQ(img.height, 16);
    expectNear(img, 3, 8, red);
    expectNear(img, 28, 8, teal);

    const Bytes progressive = encodeJpeg(32, 16, 3, twoColours(32, 16, teal, red), true);
    ASSERT_TRUE(tw::DecodeJpeg(progressive.data(), progressive.size(), img, &error)) << error;
    expectNear(img, 3, 8, teal);
    expectNear(img, 28, 8, red);

    const Bytes grey = encodeJpeg(17, 9, 1, twoColours(17, 9, {40}, {210}), false);
    ASSERT_TRUE(tw::DecodeJpeg(grey.data(), grey.size(), img, &error)) << error;
    ASSERT_EQ(img.width, 17);
    ASSERT_EQ(img.height, 9);
    expectNear(img, 2, 4, {40, 40, 40});
    expectNear(img, 15, 4, {210, 210, 210});
}

class JpegRejects : public ::testing::Test {
protected:
    static void expectRejected(const Bytes& data, const char* what) {
        tw::Image img;
        img.width = 5;
        img.rgba.assign(4, 1);
        std::string error;
        EXPECT_FALSE(tw::DecodeJpeg(data.data(), data.size(), img, &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_EQ(img.width, 0) << what;
        EXPECT_TRUE(img.rgba.empty()) << what;
    }
};

TEST_F(JpegRejects, GarbageEmptyAndOtherFormats) {
    expectRejected(Bytes{}, "empty");
    expectRejected(Bytes(200, 0x5A), "garbage");
    expectRejected(readFile(std::string(TW_SOURCE_DIR) + "/resources/pictures/help.png"), "a PNG file");
}

TEST_F(JpegRejects, TruncatedOrCorruptBanner) {
    const Bytes file = banner();
    ASSERT_GT(file.size(), 1000u);
    // Cut in the headers, early in the entropy-coded data and near its end.
    for (std::size_t n : {std::size_t(100), file.size() / 3, file.size() - 40})
        expectRejected(Bytes(file.begin(), file.begin() + n), ("cut at " + std::to_string(n)).c_str());

    // A marker that must not occur in the middle of the scan.
    Bytes corrupt = file;
    const std::size_t mid = corrupt.size() / 2;
    corrupt[mid] = 0xFF;
    corrupt[mid + 1] = 0xC4;
    expectRejected(corrupt, "marker in the scan");

    // A failure leaves nothing behind that spoils the next decoding.
    tw::Image img;
    ASSERT_TRUE(tw::DecodeJpeg(file.data(), file.size(), img));
    EXPECT_EQ(img.width, 361);
}

}  // namespace
