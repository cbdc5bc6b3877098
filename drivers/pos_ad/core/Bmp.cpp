#include "Bmp.h"

#include "StbImage.h"

#include <cstdlib>

namespace bmp {

namespace {

uint32_t U16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}
uint32_t U32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr size_t kFileHeader = 14;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

} // namespace

Check Inspect(const uint8_t* data, size_t size, Header& header, std::string& error)
{
    if (size < kFileHeader + 12 || data[0] != 'B' || data[1] != 'M') {
        error = "not a BMP file";
        return Check::Bad;
    }
    if (static_cast<long long>(size) > image::kMaxFileBytes) {
        error = "file of " + std::to_string(size) + " bytes is larger than " + std::to_string(image::kMaxFileBytes);
        return Check::Bad;
    }
    const uint32_t pixelOffset = U32(data + 10);
    const uint32_t infoSize = U32(data + kFileHeader);
    long long width = 0, height = 0;
    if (infoSize == 12) {
        width = static_cast<int16_t>(U16(data + 18));
        height = static_cast<int16_t>(U16(data + 20));
        header.bitCount = static_cast<int>(U16(data + 24));
        header.compression = kRgb;
    } else if (infoSize >= 40 && size >= kFileHeader + 40) {
        width = static_cast<int32_t>(U32(data + 18));
        height = static_cast<int32_t>(U32(data + 22));
        header.bitCount = static_cast<int>(U16(data + 28));
        header.compression = U32(data + 30);
    } else {
        error = "BMP header of " + std::to_string(infoSize) + " bytes is not one of the known kinds";
        return Check::Bad;
    }

    header.topDown = height < 0;
    height = std::llabs(height);
    if (width <= 0 || height == 0) {
        error = "image of " + std::to_string(width) + "x" + std::to_string(height) + " has no pixels";
        return Check::Bad;
    }
    if (width > image::kMaxSide || height > image::kMaxSide || width * height > image::kMaxPixels) {
        error = "image of " + std::to_string(width) + "x" + std::to_string(height) + " is larger than " +
            std::to_string(image::kMaxSide) + " dots a side or " + std::to_string(image::kMaxPixels) + " pixels";
        return Check::Bad;
    }
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);

    switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: error = std::to_string(header.bitCount) + " bits per pixel is not a BMP depth"; return Check::Bad;
    }
    if (pixelOffset < kFileHeader + infoSize || pixelOffset > size) {
        error = "pixel data offset " + std::to_string(pixelOffset) + " lies outside the file";
        return Check::Bad;
    }

    if (header.compression == kRle8 || header.compression == kRle4) {
        if ((header.compression == kRle8 && header.bitCount != 8) ||
            (header.compression == kRle4 && header.bitCount != 4)) {
            error = "RLE compression does not match " + std::to_string(header.bitCount) + " bits per pixel";
            return Check::Bad;
        }
        return Check::NeedsPlatformDecoder;
    }
    if (header.compression != kRgb && header.compression != kBitFields && header.compression != kAlphaBitFields) {
        error = "BMP compression " + std::to_string(header.compression) + " is not supported";
        return Check::Bad;
    }

    const long long stride = (width * header.bitCount + 31) / 32 * 4;
    const long long needed = static_cast<long long>(pixelOffset) + stride * height;
    if (needed > static_cast<long long>(size)) {
        error = "file is shorter than its header says: " + std::to_string(width) + "x" + std::to_string(height) +
            " needs " + std::to_string(needed) + " bytes, the file has " + std::to_string(size);
        return Check::Bad;
    }
    return Check::Usable;
}

bool Decode(
    const uint8_t* data, size_t size, image::Rgba& out, std::string& error, const PlatformDecoder& platformDecoder)
{
    Header header;
    switch (Inspect(data, size, header, error)) {
    case Check::Bad: return false;
    case Check::NeedsPlatformDecoder:
        if (platformDecoder)
            return platformDecoder(out, error);
        error = "RLE-compressed BMP needs the platform's decoder";
        return false;
    case Check::Usable: break;
    }
    return stb::DecodeBmp(data, size, out, error);
}

} // namespace bmp
