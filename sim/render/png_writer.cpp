#include "render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zsim::render {

namespace {
struct FileCloser {
    FILE* f;
    ~FileCloser() {
        if (f) std::fclose(f);
    }
};
}  // namespace

bool writePng(const PageImage& page, const std::string& path, std::string& error) {
    if (page.width <= 0 || page.height <= 0) {
        error = "empty page";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    FileCloser closer{file};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "libpng could not start";
        return false;
    }
    std::vector<uint8_t> row(static_cast<size_t>(page.width));
    // libpng reports errors by longjmp; nothing with a destructor may live
    // between here and the calls below except what was made above.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "libpng failed writing " + path;
        return false;
    }
    png_init_io(png, file);
    // Receipts are mostly white: fast compression costs little in size.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(page.width), static_cast<png_uint_32>(page.height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // 203 dpi = 7992 dots per metre.
    png_set_pHYs(png, info, 7992, 7992, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < page.height; ++y) {
        const uint8_t* src = page.ink.data() + static_cast<size_t>(y) * page.width;
        for (int x = 0; x < page.width; ++x) row[x] = static_cast<uint8_t>(255 - src[x]);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace zsim::render
