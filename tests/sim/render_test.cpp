// Dots on the paper: where text lands, how big it is, how images of each
// mode come out, and where one page ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include <png.h>

#include "render/png_writer.h"
#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D, FS = 0x1C;

Box inkOf(const Bytes& s, int width = 576) {
    RunOptions o;
    o.width = width;
    const Printed r = run(s, o);
    if (r.job.pages.empty()) return Box{};
    return inkBox(r.page());
}

TEST(TextLayout, AlignmentPlacesTheLineInThePrintArea) {
    const Box left = inkOf(text("HHHH\n"));
    const Box center = inkOf(bytes({ESC, 'a', 1}) + text("HHHH\n"));
    const Box right = inkOf(bytes({ESC, 'a', 50}) + text("HHHH\n"));
    EXPECT_LT(left.left, 4);
    EXPECT_NEAR((center.left + center.right) / 2.0, 288, 3);
    EXPECT_GT(right.right, 576 - 4);
    EXPECT_NEAR(right.width(), left.width(), 1);
    // On 58 mm paper the centre moves with the width.
    const Box narrow = inkOf(bytes({ESC, 'a', 1}) + text("HHHH\n"), 384);
    EXPECT_NEAR((narrow.left + narrow.right) / 2.0, 192, 3);
}

TEST(TextLayout, CharacterSizesMultiplyTheCell) {
    const Box normal = inkOf(text("H\n"));
    const Box escBang = inkOf(bytes({ESC, '!', 0x30}) + text("H\n"));
    const Box gs22 = inkOf(bytes({GS, '!', 0x11}) + text("H\n"));
    const Box gs88 = inkOf(bytes({GS, '!', 0x77}) + text("H\n"));
    const Box tallOnly = inkOf(bytes({GS, '!', 0x02}) + text("H\n"));
    EXPECT_EQ(escBang.height(), 2 * normal.height());
    EXPECT_EQ(escBang.width(), 2 * normal.width());
    EXPECT_EQ(gs22.height(), 2 * normal.height());
    EXPECT_EQ(gs88.height(), 8 * normal.height());
    EXPECT_EQ(gs88.width(), 8 * normal.width());
    EXPECT_EQ(tallOnly.height(), 3 * normal.height());
    EXPECT_EQ(tallOnly.width(), normal.width());
}

TEST(TextLayout, FontBIsNarrowerAndLinesWrapAtThePaperEdge) {
    const Box a = inkOf(text("HHHHHHHHHH\n"));
    const Box b = inkOf(bytes({ESC, 'M', 1}) + text("HHHHHHHHHH\n"));
    EXPECT_NEAR(a.right - b.right, 10 * (12 - 9), 3);
    // 40 font A characters on 384 dots: 32 fit, the rest wraps.
    const Box wrapped = inkOf(text(std::string(40, 'H') + "\n"), 384);
    EXPECT_GT(wrapped.height(), 30);
    EXPECT_GT(wrapped.right, 384 - 12);
}

TEST(TextLayout, PositioningCommands) {
    EXPECT_NEAR(inkOf(bytes({GS, 'L', 100, 0}) + text("H\n")).left, 100, 3);
    EXPECT_NEAR(inkOf(bytes({ESC, '$', 200, 0}) + text("H\n")).left, 200, 3);
    EXPECT_NEAR(inkOf(text("H") + bytes({ESC, '\\', 0x38, 0xFF}) + text("H\n")).right, 23, 3)
        << "a relative move of -200 from 12 leaves the line and is ignored";
    EXPECT_NEAR(inkOf(text("HH") + bytes({ESC, '\\', 0xF4, 0xFF}) + text("H\n")).right, 23, 3)
        << "a relative move back of 12 dots overprints the second H";
    EXPECT_NEAR(inkOf(bytes({'\t'}) + text("H\n")).left, 8 * 12, 3);
    EXPECT_NEAR(inkOf(bytes({ESC, 'D', 4, 10, 0, '\t'}) + text("H\n")).left, 4 * 12, 3);
    // GS W narrows the area: right alignment ends at margin + width.
    EXPECT_NEAR(inkOf(bytes({GS, 'L', 10, 0, GS, 'W', 200, 0, ESC, 'a', 2}) + text("H\n")).right, 210, 3);
    // Character spacing widens every cell.
    EXPECT_NEAR(inkOf(bytes({ESC, ' ', 8}) + text("HH\n")).right - inkOf(text("HH\n")).right, 8, 1);
}

TEST(TextLayout, ACharacterWiderThanTheAreaIsNotedNotDrawn) {
    // 8 x 12 = 96 dots of font A in a 50-dot print area.
    const Printed r = run(bytes({GS, 'W', 50, 0, GS, '!', 0x70}) + text("H\n"));
    EXPECT_TRUE(r.job.pages.empty() || inkBox(r.page()).empty());
    EXPECT_NE(r.job.report.toJson().find("wider than the print area"), std::string::npos);
}

int secondLineTop(const Bytes& s) {
    const Printed r = run(s);
    const Box first = inkBox(r.page(), 0, 23);  // the first line's cell
    return inkBox(r.page(), first.bottom + 1).top - first.top;
}

TEST(TextLayout, LineSpacingAndFeeds) {
    EXPECT_EQ(secondLineTop(text("H\nH\n")), 30);
    EXPECT_EQ(secondLineTop(bytes({ESC, '3', 60}) + text("H\nH\n")), 60);
    EXPECT_EQ(secondLineTop(bytes({ESC, '3', 60, ESC, '2'}) + text("H\nH\n")), 30);
    EXPECT_EQ(secondLineTop(text("H") + bytes({ESC, 'J', 100}) + text("H\n")), 100);
    EXPECT_EQ(secondLineTop(text("H") + bytes({ESC, 'd', 3}) + text("H\n")), 90);
    // Spacing smaller than the characters cannot overlap the lines.
    EXPECT_EQ(secondLineTop(bytes({ESC, '3', 0}) + text("H\nH\n")), 24);
}

TEST(TextStyle, UnderlineReverseBoldUpsideDown) {
    const Printed plain = run(text("ii\n"));
    const Printed bold = run(bytes({ESC, 'E', 1}) + text("ii\n"));
    EXPECT_GT(blackCount(bold.page()), blackCount(plain.page()));

    const Printed under = run(bytes({ESC, '-', 2}) + text("ii\n"));
    const Box u = inkBox(under.page());
    EXPECT_EQ(u.width(), 24) << "underline runs under both cells";
    EXPECT_EQ(u.bottom, 23);
    EXPECT_TRUE(under.page().black(0, 22) && under.page().black(23, 23));

    const Printed rev = run(bytes({GS, 'B', 1}) + text("  \n"));
    EXPECT_EQ(blackCount(rev.page()), 24 * 24) << "two reversed spaces are two black cells";

    const Box upside = inkOf(bytes({ESC, '{', 1}) + text("H\n"));
    EXPECT_GT(upside.left, 576 - 13) << "an upside-down left-aligned line ends up on the right";
}

TEST(TextCharacters, GbkTextInChineseModeAndCodePagesOutsideIt) {
    // "测试" in GBK: two 24x24 characters.
    const Box cjk = inkOf(bytes({0xB2, 0xE2, 0xCA, 0xD4, '\n'}));
    EXPECT_GT(cjk.width(), 36);
    EXPECT_LE(cjk.right, 47);
    EXPECT_GT(cjk.height(), 16);
    // FS ! 0x0C: Chinese characters at double width and height.
    const Box big = inkOf(bytes({FS, '!', 0x0C, 0xB2, 0xE2, 0xCA, 0xD4, '\n'}));
    EXPECT_NEAR(big.width(), 2 * cjk.width(), 2);
    EXPECT_NEAR(big.height(), 2 * cjk.height(), 2);

    // Outside Chinese mode 0xDB is CP437's full block, nearly all ink; in
    // CP1252 (ESC t 16) it is a letter.
    const Printed block = run(bytes({FS, '.', 0xDB, '\n'}));
    const Printed letter = run(bytes({FS, '.', ESC, 't', 16, 0xDB, '\n'}));
    EXPECT_GT(blackCount(block.page()), 12 * 24 * 3 / 4);
    EXPECT_LT(blackCount(letter.page()), 12 * 24 / 2);
}

// One column of each ESC * mode: the top dot only, then a full column.
Box bitImageBox(int mode, bool topDotOnly) {
    const int bytesPerColumn = mode >= 32 ? 3 : 1;
    Bytes column(bytesPerColumn, topDotOnly ? 0 : 0xFF);
    if (topDotOnly) column[0] = 0x80;
    Bytes s = bytes({ESC, '*', mode}) + u16le(topDotOnly ? 1 : 10);
    for (int i = 0; i < (topDotOnly ? 1 : 10); ++i) s = s + column;
    return inkOf(s + bytes({'\n'}));
}

TEST(BitImages, EscStarDensities) {
    // 8-dot single density: each dot 2 wide and 3 tall.
    EXPECT_EQ(bitImageBox(0, true).width(), 2);
    EXPECT_EQ(bitImageBox(0, true).height(), 3);
    EXPECT_EQ(bitImageBox(0, false).width(), 20);
    EXPECT_EQ(bitImageBox(0, false).height(), 24);
    // 8-dot double density: 1 wide, 3 tall.
    EXPECT_EQ(bitImageBox(1, true).width(), 1);
    EXPECT_EQ(bitImageBox(1, true).height(), 3);
    EXPECT_EQ(bitImageBox(1, false).width(), 10);
    // 24-dot single density: 2 wide, 1 tall.
    EXPECT_EQ(bitImageBox(32, true).width(), 2);
    EXPECT_EQ(bitImageBox(32, true).height(), 1);
    EXPECT_EQ(bitImageBox(32, false).width(), 20);
    EXPECT_EQ(bitImageBox(32, false).height(), 24);
    // 24-dot double density: 1 x 1.
    EXPECT_EQ(bitImageBox(33, true).width(), 1);
    EXPECT_EQ(bitImageBox(33, true).height(), 1);
    EXPECT_EQ(bitImageBox(33, false).width(), 10);
}

TEST(BitImages, StripesWithLineSpacing24Join) {
    Bytes s = bytes({ESC, '3', 24});
    for (int stripe = 0; stripe < 3; ++stripe)
        s = s + bytes({ESC, '*', 33}) + u16le(8) + Bytes(24, 0xFF) + bytes({'\n'});
    const Printed r = run(s);
    EXPECT_EQ(inkBox(r.page()).height(), 72);
    EXPECT_EQ(blackCount(r.page()), 8 * 72);
}

TEST(RasterImages, GsV0ScaleModes) {
    const Bytes data = Bytes(2 * 4, 0xFF);  // 16 x 4 dots
    const int expected[4][2] = {{16, 4}, {32, 4}, {16, 8}, {32, 8}};
    for (int m = 0; m < 4; ++m) {
        const Box b = inkOf(bytes({GS, 'v', '0', m}) + u16le(2) + u16le(4) + data);
        EXPECT_EQ(b.width(), expected[m][0]) << "mode " << m;
        EXPECT_EQ(b.height(), expected[m][1]) << "mode " << m;
        EXPECT_EQ(b.top, 0);
    }
    const Box centred = inkOf(bytes({ESC, 'a', 1, GS, 'v', '0', 48}) + u16le(2) + u16le(4) + data);
    EXPECT_EQ(centred.left, (576 - 16) / 2);
}

TEST(RasterImages, GraphicsStoredThenPrinted) {
    // GS ( L function 112 stores 16 x 2 dots at double width, 50 prints.
    const Bytes store =
        bytes({GS, '(', 'L', 14, 0, 48, 112, 48, 2, 1, 49}) + u16le(16) + u16le(2) + bytes({0xFF, 0x00, 0x00, 0xFF});
    const Bytes print = bytes({GS, '(', 'L', 2, 0, 48, 50});
    EXPECT_TRUE(run(store).job.pages.empty()) << "storing alone prints nothing";
    const Printed r = run(store + print);
    const Box b = inkBox(r.page());
    EXPECT_EQ(b.width(), 32);
    EXPECT_EQ(b.height(), 2);
    EXPECT_TRUE(r.page().black(0, 0) && !r.page().black(16, 0) && r.page().black(31, 1));
}

TEST(RasterImages, StoredImagesPrintWhereAndAsLargeAsAsked) {
    // FS q: one NV image, 1 x 1 bytes = 8 x 8 dots, column format: the
    // first column full, the rest empty. FS p 1 3 prints it quadruple.
    const Bytes nv = bytes({FS, 'q', 1, 1, 0, 1, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0});
    const Box q = inkOf(nv + bytes({FS, 'p', 1, 3}));
    EXPECT_EQ(q.width(), 2);
    EXPECT_EQ(q.height(), 16);
    // GS *: 8 x 16 dots downloaded (x = 1, y = 2), top dot of each column;
    // GS / 1 prints it double width.
    Bytes download = bytes({GS, '*', 1, 2});
    for (int col = 0; col < 8; ++col) download = download + bytes({0x80, 0x00});
    const Box d = inkOf(download + bytes({GS, '/', 1}));
    EXPECT_EQ(d.width(), 16);
    EXPECT_EQ(d.height(), 1);
    // GS ( L function 67 keeps graphics under a key; 69 prints them.
    const Bytes define =
        bytes({GS, '(', 'L', 13, 0, 48, 67, 48, 'A', 'B', 1}) + u16le(8) + u16le(2) + bytes({49, 0x0F, 0xF0});
    const Box g = inkOf(define + bytes({GS, '(', 'L', 6, 0, 48, 69, 'A', 'B', 2, 1}));
    EXPECT_EQ(g.left, 0);
    EXPECT_EQ(g.width(), 16);
    EXPECT_EQ(g.height(), 2);
    const Printed missing = run(define + bytes({GS, '(', 'L', 6, 0, 48, 69, 'A', 'C', 1, 1}));
    EXPECT_TRUE(missing.job.pages.empty());
    EXPECT_EQ(missing.job.report.noteTotal(), 1u);
    // Data ending inside function 69's header (no scale bytes): noted, not
    // printed with scales read from beyond the data.
    const Printed cutShort = run(define + bytes({GS, '(', 'L', 4, 0, 48, 69, 'A', 'B'}));
    EXPECT_TRUE(cutShort.job.pages.empty());
    EXPECT_EQ(cutShort.job.report.noteTotal(), 1u);
}

TEST(RasterImages, StoredGraphicsGoOnlyByTheirOwnDeleteFunctions) {
    const auto gsL = [](const Bytes& params) {
        return bytes({GS, '(', 'L'}) + u16le(static_cast<int>(params.size())) + params;
    };
    // NV (67) and download (83) graphics under key "AB", printed by 69 and 85.
    const Bytes image = bytes({48, 'A', 'B', 1}) + u16le(8) + u16le(2) + bytes({49, 0x0F, 0xF0});
    const Bytes define = gsL(bytes({48, 67}) + image) + gsL(bytes({48, 83}) + image);
    struct Case {
        Bytes between;
        bool nvLeft, downloadLeft;
    };
    const Case cases[] = {
        {gsL({48, 80, 'K', 'C'}), true, true},  // the download key code list: a query
        {gsL({48, 81, 'C', 'L', 'R'}), true, false}, {gsL({48, 82, 'A', 'B'}), true, false},
        {gsL({48, 66, 'A', 'B'}), false, true},      {gsL({48, 65, 'C', 'L', 'R'}), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(escpos::describe(c.between.data(), c.between.size()).name);
        EXPECT_EQ(run(define + c.between + gsL({48, 69, 'A', 'B', 1, 1})).job.pages.size(), c.nvLeft ? 1u : 0u);
        EXPECT_EQ(run(define + c.between + gsL({48, 85, 'A', 'B', 1, 1})).job.pages.size(), c.downloadLeft ? 1u : 0u);
    }
    // Images replaced give their memory back: four FS q of one 576 x 4800
    // image each (2.7 MB) fit the 8 MiB image memory, one after the other.
    const Bytes nv = bytes({FS, 'q', 1}) + u16le(72) + u16le(600) + Bytes(72 * 600 * 8, 0x81);
    const Printed r = run(nv + nv + nv + nv + bytes({FS, 'p', 1, 0}));
    EXPECT_EQ(r.job.report.noteTotal(), 0u) << r.job.report.toJson();
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_EQ(inkBox(r.page()).height(), 4800);
}

TEST(Pages, OnePagePerCutAndOneForTheRest) {
    const Printed r = run(text("A\n") + bytes({GS, 'V', 0}) + text("B\n") + bytes({GS, 'V', 66, 40}) + text("C\n") +
                          bytes({ESC, 'i'}) + text("D\n"));
    ASSERT_EQ(r.job.pages.size(), 4u);
    EXPECT_TRUE(r.page(0).cut && r.page(1).cut && r.page(2).cut);
    EXPECT_FALSE(r.page(3).cut);
    EXPECT_EQ(r.page(0).height, 30);
    EXPECT_EQ(r.page(1).height, 30 + 40) << "GS V 66 n feeds n dots before cutting";
    // A cut with nothing before it makes no blank page.
    EXPECT_EQ(run(bytes({GS, 'V', 1, GS, 'V', 1})).job.pages.size(), 0u);
}

TEST(Pages, PngHoldsExactlyTheDots) {
    // 13 dots wide: one whole byte and a partial one per row.
    render::PageImage page;
    page.width = 13;
    page.height = 3;
    page.ink.assign(13 * 3, 0);
    const int dots[][2] = {{0, 0}, {7, 0}, {8, 0}, {12, 0}, {3, 1}, {12, 2}};
    for (const auto& d : dots) page.ink[static_cast<size_t>(d[1]) * 13 + d[0]] = 255;
    page.ink[5] = 200;  // anything from 128 up is a dot
    const auto file = std::filesystem::temp_directory_path() / ("zsim-png-" + std::to_string(::getpid()) + ".png");
    std::string error;
    ASSERT_TRUE(render::writePng(page, file.string(), error)) << error;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, file.string().c_str()));
    image.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> grey(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr));
    std::filesystem::remove(file);
    ASSERT_EQ(image.width, 13u);
    ASSERT_EQ(image.height, 3u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(grey[static_cast<size_t>(y) * 13 + x] == 0, page.black(x, y)) << x << "," << y;
    EXPECT_FALSE(render::writePng(page, "/nonexistent-dir/x.png", error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(Pages, FilesForEachJob) {
    const auto dir = std::filesystem::temp_directory_path() / ("zsim-files-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    escpos::SettableDeviceState device;
    PrinterConfig config;
    config.outputDir = dir.string();
    {
        VirtualPrinter printer(config, device, {});
        printer.feed(text("one\n") + bytes({GS, 'V', 0}) + text("two\n"));
        const JobResult r = printer.endJob();
        ASSERT_EQ(r.pageFiles.size(), 2u);
        EXPECT_EQ(std::filesystem::path(r.pageFiles[1]).filename(), "job-0001-2.png");
        EXPECT_EQ(readFile(r.rawFile), text("one\n") + bytes({GS, 'V', 0}) + text("two\n"));
        EXPECT_NE(readFile(r.reportFile).size(), 0u);
    }
    // A new printer on the same folder continues the numbering.
    VirtualPrinter again(config, device, {});
    again.feed(text("three\n"));
    EXPECT_EQ(again.endJob().job, 2);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zsim::test
