#include "render/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// packRow reads eight dots as one little-endian word.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "packRow assumes a little-endian host");

namespace zsim::render {

namespace {

struct FileCloser {
    FILE* f;
    ~FileCloser() {
        if (f) std::fclose(f);
    }
};

// Grey 1 is white paper; a dot is 0.
void packRow(const uint8_t* src, int width, uint8_t* row) {
    const int whole = width / 8;
    for (int byte = 0; byte < whole; ++byte) {
        // Eight dots at once: the top bit of each byte (a dot is >= 128)
        // gathered into one byte, leftmost dot in the high bit.
        uint64_t eight;
        std::memcpy(&eight, src + byte * 8, 8);
        const uint64_t tops = (eight >> 7) & 0x0101010101010101ULL;
        row[byte] = static_cast<uint8_t>(~((tops * 0x8040201008040201ULL) >> 56));
    }
    if (width % 8) {
        uint8_t bits = 0xFF;
        for (int k = 0; k < width % 8; ++k)
            if (src[whole * 8 + k] >= 128) bits &= static_cast<uint8_t>(~(0x80 >> k));
        row[whole] = bits;
    }
}

// libpng reports errors by longjmp, so this part holds no object with a
// destructor: everything it needs is made by the caller.
bool encode(FILE* file, const PageImage& page, uint8_t* row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Receipts are mostly white: fast compression costs little in size.
    // Rows repeat their neighbours or are blank, which the Up filter alone
    // catches; skipping the adaptive filter search is most of the speed.
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_IHDR(png, info, static_cast<png_uint_32>(page.width), static_cast<png_uint_32>(page.height), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Dots per inch to dots per metre: 203 dpi is 7992.
    const auto perMetre = static_cast<png_uint_32>(page.dpi / 0.0254 + 0.5);
    png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < page.height; ++y) {
        packRow(page.ink.data() + static_cast<size_t>(y) * page.width, page.width, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

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
    std::vector<uint8_t> row((static_cast<size_t>(page.width) + 7) / 8);
    if (!encode(file, page, row.data())) {
        error = "libpng failed writing " + path;
        return false;
    }
    if (std::fflush(file) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace zsim::render
