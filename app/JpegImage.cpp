// Decoding of the JPEG banner with libjpeg. libjpeg reports fatal errors by
// calling error_exit, which by default ends the process; here it jumps back to
// DecodeJpeg instead, so a damaged picture is just a failed decode.
#include "app/JpegImage.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace tw {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg sees a jpeg_error_mgr*
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->base.format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (level -1) mark corrupt or truncated data, from which libjpeg
// would go on to return a partly grey picture: the first one is kept and
// makes the decode fail. Trace messages (level >= 0) are ignored. Nothing is
// printed to stderr.
void onMessage(j_common_ptr info, int level) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && manager->base.num_warnings++ == 0) manager->base.format_message(info, manager->message);
}

// Owns the decompressor; destroying it releases libjpeg's memory pools.
struct Decompressor {
    jpeg_decompress_struct info{};
    bool created = false;
    ~Decompressor() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

constexpr unsigned kMaxDimension = 16384;
constexpr unsigned long long kMaxPixels = 64ull * 1024 * 1024;

// Everything between setjmp and a possible longjmp lives in plain C storage
// owned by the caller, so no C++ object with a destructor is skipped.
bool decode(Decompressor& d, ErrorManager& err, const std::uint8_t* data, std::size_t size,
            std::vector<std::uint8_t>& rgba, std::vector<std::uint8_t>& line, int& width, int& height,
            const char*& failure) {
    d.info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        failure = err.message;
        return false;
    }
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) {
        failure = "no JPEG image";
        return false;
    }
    if (d.info.image_width == 0 || d.info.image_height == 0 || d.info.image_width > kMaxDimension ||
        d.info.image_height > kMaxDimension ||
        static_cast<unsigned long long>(d.info.image_width) * d.info.image_height > kMaxPixels) {
        failure = "image dimensions out of range";
        return false;
    }
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3) {
        failure = "unexpected number of colour components";
        return false;
    }
    width = static_cast<int>(d.info.output_width);
    height = static_cast<int>(d.info.output_height);
    rgba.assign(static_cast<std::size_t>(width) * height * 4, 255);
    line.resize(static_cast<std::size_t>(width) * 3);
    while (d.info.output_scanline < d.info.output_height) {
        const std::size_t y = d.info.output_scanline;
        JSAMPROW row = line.data();
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) {
            failure = "image data is truncated";
            return false;
        }
        std::uint8_t* px = &rgba[y * static_cast<std::size_t>(width) * 4];
        for (int x = 0; x < width; ++x) {
            px[x * 4 + 0] = line[x * 3 + 0];
            px[x * 4 + 1] = line[x * 3 + 1];
            px[x * 4 + 2] = line[x * 3 + 2];
        }
    }
    jpeg_finish_decompress(&d.info);
    if (err.base.num_warnings > 0) {
        failure = err.message;
        return false;
    }
    return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, Image& out, std::string* error) {
    out = Image{};
    if (data == nullptr || size == 0) {
        if (error) *error = "empty input";
        return false;
    }
    Decompressor d;
    ErrorManager err;
    std::vector<std::uint8_t> rgba, line;
    int width = 0, height = 0;
    const char* failure = "";
    bool ok = false;
    try {
        ok = decode(d, err, data, size, rgba, line, width, height, failure);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    }
    if (!ok) {
        if (error) *error = failure;
        return false;
    }
    out.width = width;
    out.height = height;
    out.rgba = std::move(rgba);
    return true;
}

}  // namespace tw
