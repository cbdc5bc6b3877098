#include "BmpWriter.h"

namespace {

void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// The palette index of a grey level for a palette of `colours` evenly spaced greys.
unsigned Index(uint8_t grey, unsigned colours)
{
    return (grey * (colours - 1) + 127) / 255;
}

std::string Row(const Picture& p, int y, int bits)
{
    std::string row;
    if (bits <= 8) {
        const unsigned colours = 1u << bits;
        unsigned acc = 0;
        int filled = 0;
        for (int x = 0; x < p.width; ++x) {
            acc = (acc << bits) | Index(p.At(x, y), colours);
            filled += bits;
            if (filled == 8) {
                row += static_cast<char>(acc);
                acc = 0;
                filled = 0;
            }
        }
        if (filled)
            row += static_cast<char>(acc << (8 - filled));
    } else {
        for (int x = 0; x < p.width; ++x) {
            const uint8_t g = p.At(x, y);
            if (bits == 16) {
                const unsigned five = g >> 3;
                Put16(row, (five << 10) | (five << 5) | five);
            } else {
                row += std::string(3, static_cast<char>(g));
                if (bits == 32)
                    row += static_cast<char>(0xFF);
            }
        }
    }
    while (row.size() % 4)
        row += '\0';
    return row;
}

// Runs of equal palette indices, an end-of-line after each row, end-of-bitmap at the end.
std::string Rle(const Picture& p, int bits, bool topDown)
{
    const unsigned colours = 1u << bits;
    std::string data;
    for (int i = 0; i < p.height; ++i) {
        const int y = topDown ? i : p.height - 1 - i;
        for (int x = 0; x < p.width;) {
            const unsigned index = Index(p.At(x, y), colours);
            int run = 1;
            while (x + run < p.width && run < 255 && Index(p.At(x + run, y), colours) == index)
                ++run;
            data += static_cast<char>(run);
            data += static_cast<char>(bits == 8 ? index : (index << 4) | index);
            x += run;
        }
        data += std::string("\0\0", 2);
    }
    data += std::string("\0\1", 2);
    return data;
}

} // namespace

Picture Picture::Pattern(int width, int height, int block)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.grey.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool dark = ((x / block) + (y / block)) % 2 == 0 || x == 2 * y;
            p.grey[static_cast<size_t>(y) * width + x] = dark ? 0 : 255;
        }
    return p;
}

std::string WriteBmp(const Picture& picture, int bits, bool topDown, BmpKind kind)
{
    const bool palette = bits <= 8;
    const unsigned colours = palette ? 1u << bits : 0;

    std::string pixels;
    if (kind == BmpKind::Rle) {
        pixels = Rle(picture, bits, topDown);
    } else {
        for (int i = 0; i < picture.height; ++i)
            pixels += Row(picture, topDown ? i : picture.height - 1 - i, bits);
    }

    std::string info;
    Put32(info, 40);
    Put32(info, static_cast<uint32_t>(picture.width));
    Put32(info, static_cast<uint32_t>(topDown ? -picture.height : picture.height));
    Put16(info, 1);
    Put16(info, static_cast<unsigned>(bits));
    const uint32_t compression = kind == BmpKind::Rle ? (bits == 8 ? 1 : 2) : kind == BmpKind::BitFields ? 3 : 0;
    Put32(info, compression);
    Put32(info, static_cast<uint32_t>(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, colours);
    Put32(info, 0);
    if (kind == BmpKind::BitFields) {
        if (bits == 16) {
            Put32(info, 0x7C00);
            Put32(info, 0x03E0);
            Put32(info, 0x001F);
        } else {
            Put32(info, 0x00FF0000);
            Put32(info, 0x0000FF00);
            Put32(info, 0x000000FF);
        }
    }
    for (unsigned c = 0; c < colours; ++c) {
        const char level = static_cast<char>(c * 255 / (colours - 1));
        info += std::string(3, level);
        info += '\0';
    }

    std::string file = "BM";
    const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
    Put32(file, offset + static_cast<uint32_t>(pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    return file + info + pixels;
}
