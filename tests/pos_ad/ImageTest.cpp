// Bitmap files from decoding to ESC * bands: every BMP kind a user may pick, the files that lie,
// and what reaches the paper.
#include "PosAdKit.h"

#include "drivers/pos_ad/core/Bmp.h"
#include "drivers/pos_ad/core/Raster.h"
#include "drivers/pos_ad/win/Platform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t* Data(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}

// The grey of each decoded pixel; the test pictures are pure black and white.
std::vector<uint8_t> Greys(const image::Rgba& rgba)
{
    std::vector<uint8_t> grey;
    for (size_t i = 0; i < rgba.pixels.size(); i += 4)
        grey.push_back(rgba.pixels[i + 1]);
    return grey;
}

image::Rgba Decoded(const std::string& file)
{
    image::Rgba rgba;
    std::string error;
    EXPECT_TRUE(bmp::Decode(Data(file), file.size(), rgba, error)) << error;
    return rgba;
}

image::Rgba FromPicture(const Picture& p)
{
    image::Rgba rgba;
    rgba.width = p.width;
    rgba.height = p.height;
    for (uint8_t g : p.grey)
        rgba.pixels.insert(rgba.pixels.end(), {g, g, g, 255});
    return rgba;
}

std::string Encoded_(const image::Rgba& rgba, int density, int paper = 576, int lineSpace = 10)
{
    const Encoded e = raster::Encode(rgba, density, paper, lineSpace);
    EXPECT_TRUE(e.ok()) << e.error;
    return AsString(e.bytes);
}

struct Flavour {
    int bits;
    bool topDown;
    BmpKind kind;
};

const Flavour kFlavours[] = {
    {1, false, BmpKind::Rgb},
    {1, true, BmpKind::Rgb},
    {4, false, BmpKind::Rgb},
    {4, true, BmpKind::Rgb},
    {8, false, BmpKind::Rgb},
    {8, true, BmpKind::Rgb},
    {16, false, BmpKind::Rgb},
    {16, true, BmpKind::BitFields},
    {24, false, BmpKind::Rgb},
    {24, true, BmpKind::Rgb},
    {32, false, BmpKind::Rgb},
    {32, true, BmpKind::Rgb},
    {32, false, BmpKind::BitFields},
};

TEST(BmpFlavours, EveryKindDecodesToThePictureAndAgreesWithTheSystem)
{
    const Picture picture = Picture::Pattern(37, 29, 5); // odd sizes: every row has padding
    const std::string folder = "PosAdBmp";
    for (const Flavour& f : kFlavours) {
        const std::string what = std::to_string(f.bits) + (f.topDown ? " top-down" : " bottom-up") +
            (f.kind == BmpKind::BitFields ? " bitfields" : "");
        const std::string file = WriteBmp(picture, f.bits, f.topDown, f.kind);
        const image::Rgba ours = Decoded(file);
        EXPECT_EQ(ours.width, picture.width) << what;
        EXPECT_EQ(ours.height, picture.height) << what;
        EXPECT_EQ(Greys(ours), picture.grey) << what;

        // Wine 8's LoadImage reads top-down files as a blank picture; the library leaves the
        // system's decoder to RLE files, which are always bottom-up.
        if (f.topDown)
            continue;
        const std::string path = WriteTestFile(folder, "flavour.bmp", file);
        image::Rgba system;
        std::string error;
        ASSERT_TRUE(platform::DecodeWithSystem(path.c_str(), system, error)) << what << ": " << error;
        EXPECT_EQ(Greys(system), picture.grey) << what << " (the system's decoder)";
    }
}

TEST(BmpFlavours, RleFilesGoToTheSystemDecoder)
{
    const Picture picture = Picture::Pattern(40, 20, 4);
    for (int bits : {8, 4}) {
        const std::string file = WriteBmp(picture, bits, false, BmpKind::Rle);
        bmp::Header header;
        std::string error;
        EXPECT_EQ(bmp::Inspect(Data(file), file.size(), header, error), bmp::Check::NeedsPlatformDecoder) << bits;
        const std::string path = WriteTestFile("PosAdBmp", "rle.bmp", file);
        image::Rgba system;
        ASSERT_TRUE(platform::DecodeWithSystem(path.c_str(), system, error)) << error;
        EXPECT_EQ(Greys(system), picture.grey) << "RLE" << bits;
    }
}

// Sets a little-endian 32-bit field of a BMP header.
std::string With32(std::string file, size_t at, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
        static_cast<char>(value >> 24)};
    return file.replace(at, 4, bytes, 4);
}

TEST(BmpFaults, HeadersThatLieOrAskTooMuchAreRefusedBeforeDecoding)
{
    const std::string good = WriteBmp(Picture::Pattern(16, 16), 24, false);
    struct Case {
        const char* what;
        std::string file;
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", "", "not a BMP"},
        {"PNG signature", "\x89PNG\r\n\x1a\n" + std::string(40, '\0'), "not a BMP"},
        {"header only", good.substr(0, 54), "shorter than its header says"},
        {"half the rows", good.substr(0, good.size() / 2), "shorter than its header says"},
        {"claims 4000x4000", With32(With32(good, 18, 4000), 22, 4000), "shorter than its header says"},
        {"0x0", With32(With32(good, 18, 0), 22, 0), "has no pixels"},
        {"width 0", With32(good, 18, 0), "has no pixels"},
        {"negative width", With32(good, 18, static_cast<uint32_t>(-16)), "has no pixels"},
        {"height INT_MIN", With32(good, 22, 0x80000000u), "larger than"},
        {"20000 wide", With32(good, 18, 20000), "larger than"},
        {"10000x10000", With32(With32(good, 18, 10000), 22, 10000), "larger than"},
        {"pixels past the end", With32(good, 10, 1u << 30), "outside the file"},
        {"7 bits a pixel", good.substr(0, 28) + "\x07" + good.substr(29), "not a BMP depth"},
        {"JPEG inside", With32(good, 30, 4), "compression 4"},
        {"unknown header size", With32(good, 14, 20), "not one of the known kinds"},
    };
    for (const Case& c : cases) {
        image::Rgba rgba;
        std::string error;
        EXPECT_FALSE(bmp::Decode(Data(c.file), c.file.size(), rgba, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_TRUE(rgba.pixels.empty()) << c.what;
    }
}

TEST(ImageRaster, ThePictureFillsThePaperWidthInEachDensity)
{
    const image::Rgba rgba = FromPicture(Picture::Pattern(64, 48));
    struct Expect {
        int density;
        uint8_t mode;
        int columns;
        int bands;
    };
    // 576 dots wide and 432 tall on paper; single density halves the columns, 8-dot bands
    // print rows three dots tall.
    for (const Expect& e : {Expect {0, 0, 288, 18}, Expect {1, 1, 576, 18}, Expect {2, 32, 288, 18},
             Expect {3, 33, 576, 18}, Expect {-1, 33, 576, 18}, Expect {7, 33, 576, 18}}) {
        const std::string bytes = Encoded_(rgba, e.density);
        const int bandRows = e.mode < 32 ? 8 : 24;
        const size_t bandBytes = 5 + static_cast<size_t>(e.columns) * bandRows / 8 + 1;
        ASSERT_EQ(bytes.size(), 6 + e.bands * bandBytes + 3) << "density " << e.density;
        EXPECT_EQ(bytes.substr(0, 6),
            std::string("\x1b"
                        "a\0\x1b"
                        "3\x18",
                6))
            << e.density;
        EXPECT_EQ(static_cast<uint8_t>(bytes[8]), e.mode) << e.density;
        EXPECT_EQ(static_cast<uint8_t>(bytes[9]) | static_cast<uint8_t>(bytes[10]) << 8, e.columns) << e.density;
        EXPECT_EQ(bytes.substr(bytes.size() - 3),
            "\x1b"
            "3\x22")
            << "the configured line pitch follows the image";
    }
}

TEST(ImageRaster, DotsLandInTheirColumnBytesTopBitFirst)
{
    image::Dots dots;
    dots.width = 3;
    dots.height = 30;
    dots.dots.assign(90, 0);
    dots.dots[9 * 3 + 1] = 1; // x 1, y 9: second byte of column 1 in the first 24-dot band
    dots.dots[25 * 3 + 2] = 1; // x 2, y 25: first byte of column 2 in the second band
    const std::string bytes = AsString(raster::EncodeBands(dots, raster::ModeForDensity(3), 0));
    const std::string band1 = std::string("\x1b*\x21\x03\0", 5) +
        std::string("\0\0\0"
                    "\0\x40\0"
                    "\0\0\0",
            9) +
        "\n";
    const std::string band2 = std::string("\x1b*\x21\x03\0", 5) +
        std::string("\0\0\0"
                    "\0\0\0"
                    "\x40\0\0",
            9) +
        "\n";
    EXPECT_EQ(bytes,
        std::string("\x1b"
                    "a\0\x1b"
                    "3\x18",
            6) +
            band1 + band2 +
            "\x1b"
            "3\x18");

    const std::string eight = AsString(raster::EncodeBands(dots, raster::ModeForDensity(1), 0));
    // y 9 is bit 1 of the second 8-dot band; y 25 bit 1 of the fourth.
    EXPECT_EQ(eight.substr(6 + 9 * 1 + 5, 3), std::string("\0\x40\0", 3)) << HexDump(eight);
    EXPECT_EQ(eight.substr(6 + 9 * 3 + 5, 3), std::string("\0\0\x40", 3)) << HexDump(eight);
}

TEST(ImageRaster, DitheringKeepsTheGreyLevelAndLeavesWhiteAlone)
{
    for (uint8_t level : {0, 64, 128, 192, 255}) {
        image::Gray gray;
        gray.width = gray.height = 64;
        gray.pixels.assign(64 * 64, level);
        const image::Dots dots = raster::Dither(gray);
        size_t black = 0;
        for (uint8_t d : dots.dots)
            black += d;
        const double share = static_cast<double>(black) / dots.dots.size();
        EXPECT_NEAR(share, 1.0 - level / 255.0, 0.02) << int(level);
    }
}

TEST(ImageRaster, ScalingAveragesDownAndRepeatsUp)
{
    image::Gray g;
    g.width = 4;
    g.height = 2;
    g.pixels = {0, 255, 0, 255, 0, 0, 255, 255};
    const image::Gray half = raster::Scale(g, 2, 1);
    EXPECT_EQ(half.pixels, (std::vector<uint8_t> {63, 191}));
    const image::Gray twice = raster::Scale(g, 8, 4);
    EXPECT_EQ(twice.pixels[0], 0);
    EXPECT_EQ(twice.pixels[2], 255);
    EXPECT_EQ(twice.pixels[3 * 8 + 4], 255);
}

TEST(ImageRaster, TransparentPixelsArePaper)
{
    image::Rgba rgba;
    rgba.width = rgba.height = 1;
    rgba.pixels = {0, 0, 0, 0};
    EXPECT_EQ(raster::ToGray(rgba).pixels[0], 255);
}

TEST(ImageRaster, APictureTooTallForThePaperIsRefused)
{
    image::Rgba thin;
    thin.width = 1;
    thin.height = 100;
    thin.pixels.assign(400, 0);
    const Encoded e = raster::Encode(thin, 3, 576, 10); // 57600 dots tall
    EXPECT_FALSE(e.ok());
    EXPECT_NE(e.error.find("dots tall"), std::string::npos) << e.error;
    image::Rgba none;
    EXPECT_FALSE(raster::Encode(none, 3, 576, 10).ok());
    image::Rgba lying = thin;
    lying.height = 1000; // more rows than pixels
    EXPECT_FALSE(raster::Encode(lying, 3, 576, 10).ok());
}

TEST(ImageGolden, EachDensityOfTheSamePicture)
{
    const std::string file = WriteBmp(Picture::Pattern(96, 30, 6), 24, false);
    const image::Rgba rgba = Decoded(file);
    for (int density = 0; density <= 3; ++density)
        ExpectGolden("image_density" + std::to_string(density), Encoded_(rgba, density, 576, 10));
}

} // namespace
