#include "ui/Pictures.h"

#include <cstdint>

#include "app/JpegImage.h"
#include "app/PngImage.h"

namespace twui {

namespace {

// The bytes of an RCDATA resource of this program; empty when it is missing.
bool ResourceBytes(int id, const std::uint8_t*& data, DWORD& size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    size = SizeofResource(module, info);
    data = static_cast<const std::uint8_t*>(bytes);
    return bytes && size != 0;
}

// A top-down 32-bit bitmap of the picture, its colours premultiplied by alpha.
HBITMAP PremultipliedBitmap(const tw::Image& image) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = image.width;
    bmi.bmiHeader.biHeight = -image.height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* out = static_cast<std::uint8_t*>(bits);
    const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    for (size_t i = 0; i < pixels && i * 4 + 3 < image.rgba.size(); ++i) {
        const std::uint8_t* p = &image.rgba[i * 4];
        const unsigned a = p[3];
        out[i * 4 + 0] = static_cast<std::uint8_t>(p[2] * a / 255);
        out[i * 4 + 1] = static_cast<std::uint8_t>(p[1] * a / 255);
        out[i * 4 + 2] = static_cast<std::uint8_t>(p[0] * a / 255);
        out[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return bitmap;
}

}  // namespace

HBITMAP LoadPictureResource(int id, bool jpeg) {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
    if (!ResourceBytes(id, data, size)) return nullptr;
    tw::Image image;
    const bool ok = jpeg ? tw::DecodeJpeg(data, size, image) : tw::DecodePng(data, size, image);
    if (!ok || image.width <= 0 || image.height <= 0) return nullptr;
    return PremultipliedBitmap(image);
}

}  // namespace twui
