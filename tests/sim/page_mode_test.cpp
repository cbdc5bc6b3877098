// Page mode: areas, the four directions and positions on a page printed at
// FF or ESC FF, what the page does to standard mode, and input that never
// prints or reaches beyond the paper.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "render/png_writer.h"
#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D, DLE = 0x10, EOT = 0x04, FF = 0x0C, CAN = 0x18;

Bytes area(int x, int y, int w, int h) { return bytes({ESC, 'W'}) + u16le(x) + u16le(y) + u16le(w) + u16le(h); }
Bytes direction(int n) { return bytes({ESC, 'T', n}); }
// A reversed space: a solid 12 x 24 cell, so its ink box is the cell.
Bytes cell() { return bytes({GS, 'B', 1, ' ', GS, 'B', 0}); }

// The page turned a quarter clockwise.
render::PageImage turned(const render::PageImage& page) {
    render::PageImage out;
    out.width = page.height;
    out.height = page.width;
    out.ink.resize(page.ink.size());
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.ink[static_cast<size_t>(y) * out.width + x] = page.at(y, page.height - 1 - x);
    return out;
}

// Read at twice the size: tesseract reads that more surely than 24-dot letters.
std::string ocr(const render::PageImage& page) {
    const std::string png =
        (std::filesystem::temp_directory_path() / ("zsim-ocr-" + std::to_string(getpid()) + ".png")).string();
    render::PageImage doubled;
    doubled.width = 2 * page.width;
    doubled.height = 2 * page.height;
    for (int y = 0; y < doubled.height; ++y)
        for (int x = 0; x < doubled.width; ++x) doubled.ink.push_back(page.at(x / 2, y / 2));
    std::string error, out;
    if (!render::writePng(doubled, png, error)) return error;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        popen(("tesseract '" + png + "' stdout -l eng 2>/dev/null").c_str(), "r"), pclose);
    for (int c; pipe && (c = fgetc(pipe.get())) != EOF;) out += static_cast<char>(std::toupper(c));
    std::filesystem::remove(png);
    return out;
}

TEST(PageMode, TextInEachDirectionReadsBackTurnedThatWay) {
    if (std::system("command -v tesseract >/dev/null 2>&1") != 0) GTEST_SKIP() << "tesseract-ocr not installed";
    // One square area; each direction's first line runs along its own edge.
    Bytes s = bytes({ESC, 'L'}) + area(0, 0, 576, 576) + bytes({GS, '!', 0x11});
    const char* words[] = {"NORTH", "WEST", "SOUTH", "EAST"};
    for (int d = 0; d < 4; ++d) s = s + direction(d) + text(words[d]);
    const Printed r = run(s + bytes({FF}));
    ASSERT_EQ(r.job.pages.size(), 1u) << r.job.report.toJson();
    // Text running bottom to top reads upright once the page is turned a
    // quarter clockwise, and so on round; turned the other way up it does
    // not read (tesseract finds some sideways text by itself, never text
    // upside down).
    std::string read[4];
    render::PageImage page = r.page();
    for (int q = 0; q < 4; ++q, page = turned(page)) read[q] = ocr(page);
    for (int d = 0; d < 4; ++d) {
        EXPECT_NE(read[d].find(words[d]), std::string::npos) << words[d] << " turned " << d << ": " << read[d];
        EXPECT_EQ(read[(d + 2) % 4].find(words[d]), std::string::npos)
            << words[d] << " upside down: " << read[(d + 2) % 4];
    }
}

TEST(PageMode, DirectionAndPositionsPlaceDataInTheArea) {
    struct Case {
        const char* what;
        Bytes data;  // after ESC L, ESC W 100 40 200 120
        Box ink;     // on a page as tall as the area reaches
    };
    const Bytes rasterBlock = bytes({GS, 'v', '0', 0}) + u16le(2) + u16le(8) + Bytes(16, 0xFF);
    const Case cases[] = {
        {"upper left", direction(0) + cell(), {100, 40, 111, 63}},
        {"lower left, upwards", direction(1) + cell(), {100, 148, 123, 159}},
        {"lower right, upside down", direction(2) + cell(), {288, 136, 299, 159}},
        {"upper right, downwards", direction(3) + cell(), {276, 40, 299, 51}},
        {"GS $ sets the bottom, ESC $ the start",
         bytes({GS, '$', 100, 0, ESC, '$', 50, 0}) + cell(),
         {150, 116, 161, 139}},
        {"GS \\ moves up from there", bytes({GS, '$', 100, 0, GS, '\\', 0xE2, 0xFF}) + cell(), {100, 86, 111, 109}},
        {"both in a turned direction",
         direction(3) + bytes({GS, '$', 100, 0, ESC, '$', 50, 0}) + cell(),
         {200, 90, 223, 101}},
        {"an image stands on the line", direction(2) + rasterBlock, {284, 152, 299, 159}},
    };
    for (const Case& c : cases) {
        const Printed r = run(bytes({ESC, 'L'}) + area(100, 40, 200, 120) + c.data + bytes({FF}));
        ASSERT_EQ(r.job.pages.size(), 1u) << c.what;
        EXPECT_EQ(r.page().height, 160) << c.what;
        const Box b = inkBox(r.page());
        EXPECT_EQ(std::vector<int>({b.left, b.top, b.right, b.bottom}),
                  std::vector<int>({c.ink.left, c.ink.top, c.ink.right, c.ink.bottom}))
            << c.what;
    }
}

TEST(PageMode, SymbolsTurnWithTheAreaAndStillDecode) {
    const std::string data = "ZANTOR PAGE 0042";
    const Bytes qr = bytes({GS, '(', 'k'}) + u16le(static_cast<int>(data.size()) + 3) + bytes({49, 80, 48}) +
                     text(data) + bytes({GS, '(', 'k', 3, 0, 49, 81, 48});
    const Bytes ean = bytes({GS, 'h', 60, GS, 'k', 67, 12}) + text("690123456789");
    for (int d = 0; d < 4; ++d) {
        const Printed r = run(bytes({ESC, 'L'}) + area(0, 0, 576, 400) + direction(d) + qr + ean + bytes({FF}));
        ASSERT_EQ(r.job.pages.size(), 1u);
        ASSERT_EQ(r.page().symbols.size(), 2u) << r.job.report.toJson();
        const escpos::SymbolMark& q = r.page().symbols[0];
        // The QR code is square; the barcode lies across the lines, its
        // bars along them.
        EXPECT_EQ(q.width, q.height);
        const escpos::SymbolMark& bars = r.page().symbols[1];
        EXPECT_EQ(bars.width > bars.height, d % 2 == 0) << "direction " << d;
        if (!haveZbar()) continue;
        EXPECT_EQ(decodeRegion(r.page(), q), std::vector<std::string>{data}) << "direction " << d;
        EXPECT_EQ(decodeRegion(r.page(), bars), std::vector<std::string>{"6901234567892"}) << "direction " << d;
    }
}

TEST(PageMode, EscFfReprintsCanWipesTheAreaAndFfReturnsToStandardMode) {
    // ESC FF prints the page and keeps it: three copies one under another.
    const Printed thrice = run(bytes({ESC, 'L'}) + area(0, 0, 100, 50) + cell() + bytes({ESC, FF, ESC, FF, FF}));
    ASSERT_EQ(thrice.job.pages.size(), 1u);
    EXPECT_EQ(thrice.page().height, 150);
    for (int top : {0, 50, 100}) EXPECT_EQ(inkBox(thrice.page(), top, top + 49).top, top);
    // CAN wipes what lies in the area in force, also of other areas.
    const Printed wiped =
        run(bytes({ESC, 'L'}) + area(0, 0, 576, 60) + cell() + cell() + cell() + area(0, 0, 24, 60) + bytes({CAN, FF}));
    EXPECT_EQ(inkBox(wiped.page()).left, 24);
    // Justification set in page mode waits for standard mode; the page's
    // own line starts at the area's edge.
    const Printed after =
        run(bytes({ESC, 'L', ESC, 'a', 1}) + area(0, 0, 576, 30) + cell() + bytes({FF}) + cell() + text("\n"));
    EXPECT_EQ(inkBox(after.page(), 0, 29).left, 0);
    EXPECT_EQ(inkBox(after.page(), 30).left, 288 - 6);
}

TEST(PageMode, BadInputIsBoundedAndReported) {
    struct Case {
        Bytes stream;
        std::string note;
        size_t pages;
    };
    // Lines of 40 characters placed at the same spot, far past any page's worth.
    Bytes flood = bytes({ESC, 'L'});
    for (int i = 0; i < 1500; ++i) flood = flood + bytes({GS, '$', 30, 0, ESC, '$', 0, 0}) + text(std::string(40, 'X'));
    const Case cases[] = {
        {bytes({ESC, 'L'}) + area(600, 0, 100, 100) + cell() + bytes({FF}), "starts outside the page", 1},
        {bytes({ESC, 'L'}) + area(500, 0, 200, 100) + cell() + bytes({FF}), "cut to the page: 76 x 100", 1},
        {bytes({ESC, 'L'}) + area(0, 0, 0, 100) + bytes({FF}), "no size", 1},
        {bytes({ESC, 'L', GS, '$', 0xD0, 0x07}) + cell() + bytes({FF}), "GS $ beyond the print area", 1},
        {bytes({ESC, 'L'}) + cell() + bytes({GS, 'V', 0, FF}), "cut ignored in page mode", 1},
        {bytes({ESC, 'L'}) + cell() + bytes({ESC, 'S'}), "discarded a page", 0},
        {flood + bytes({FF}), "more than 50000 characters", 1},
        // Never printed: kept, and the printer still answers.
        {bytes({ESC, 'L'}) + cell() + bytes({DLE, EOT, 1}), "not printed by the end of the job", 0},
    };
    for (const Case& c : cases) {
        const Printed r = run(c.stream);
        EXPECT_NE(r.job.report.toJson().find(c.note), std::string::npos) << c.note << r.job.report.toJson();
        EXPECT_EQ(r.job.pages.size(), c.pages) << c.note;
    }
    EXPECT_EQ(run(bytes({ESC, 'L'}) + cell() + bytes({DLE, EOT, 1})).replies.size(), 1u);
}

}  // namespace
}  // namespace zsim::test
