// The command families real 80 mm printers print and this one draws too:
// PDF417, user-defined characters, the ESC t code pages and page mode.
#include <gtest/gtest.h>

#include "escpos/text_decoder.h"
#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D, FS = 0x1C;

Bytes gsK(int cn, int fn, const Bytes& params) {
    return bytes({GS, '(', 'k'}) + u16le(static_cast<int>(params.size()) + 2) + bytes({cn, fn}) + params;
}

// One stream per family (also seeds of the fuzzer): all of it understood.
TEST(CommandFamilies, EachStreamRendersWithNothingUnknownOrUnsupported) {
    for (const char* name : {"pdf417.bin", "user-chars.bin", "code-pages.bin", "page-mode.bin"}) {
        const Printed r = run(readFile(std::string(ZSIM_SEEDS_DIR) + "/" + name));
        EXPECT_FALSE(r.job.pages.empty()) << name;
        EXPECT_EQ(r.job.report.unknownTotal(), 0u) << name << r.job.report.toJson();
        EXPECT_EQ(r.job.report.unsupportedTotal(), 0u) << name << r.job.report.toJson();
    }
}

TEST(Pdf417, SettingsShapeTheSymbolAndItDecodes) {
    const std::string data = "ZANTOR 80mm receipt 0042 / PDF417";
    const Bytes settings = gsK(48, 65, {3}) + gsK(48, 67, {2}) + gsK(48, 68, {4}) + gsK(48, 69, {48, 50});
    const Bytes stream = bytes({ESC, '@'}) + settings + gsK(48, 80, bytes({48}) + text(data)) + gsK(48, 81, {48});
    const Printed r = run(stream);
    ASSERT_EQ(r.job.pages.size(), 1u) << r.job.report.toJson();
    ASSERT_EQ(r.page().symbols.size(), 1u);
    const escpos::SymbolMark& s = r.page().symbols[0];
    EXPECT_EQ(s.type, "PDF417");
    EXPECT_EQ(s.module, 2);
    // 3 data columns: start, left and right indicators, stop = 17*(3+3)+18 modules.
    EXPECT_EQ(s.width, (17 * 6 + 18) * 2);
    EXPECT_EQ(s.height % 8, 0) << "rows of 4 module widths";
    // Print size query: '7' '0' width 0x1F height 0x1F printable NUL.
    const Printed asked = run(stream + gsK(48, 82, {48}));
    ASSERT_FALSE(asked.replies.empty());
    const std::string reply(asked.replies.back().begin(), asked.replies.back().end());
    EXPECT_EQ(reply, std::string("70") + std::to_string(s.width) + "\x1f" + std::to_string(s.height) + "\x1f" + "0" +
                         std::string(1, '\0'));
    if (!haveZxing()) GTEST_SKIP() << "python3-zxing-cpp not installed";
    EXPECT_EQ(decodeWithZxing(r.page(), s), std::vector<std::string>{"PDF417:" + data});
}

TEST(UserDefinedCharacters, DrawnInPlaceOfTheFontScaledAndDeleted) {
    // 'A' of font A: a solid 12 x 24 block; 'B' of font B: a 9-dot bar on top.
    Bytes defineA = bytes({ESC, '&', 3, 'A', 'A', 12});
    for (int i = 0; i < 12; ++i) defineA = defineA + bytes({0xFF, 0xFF, 0xFF});
    Bytes defineB = bytes({ESC, 'M', 1, ESC, '&', 3, 'B', 'B', 9});
    for (int i = 0; i < 9; ++i) defineB = defineB + bytes({0x80, 0, 0});
    const Bytes on = bytes({ESC, '%', 1});

    const Box plain = inkBox(run(defineA + on + text("A\n")).page());
    EXPECT_EQ(plain.width(), 12);
    EXPECT_EQ(plain.height(), 24);
    const Box big = inkBox(run(defineA + on + bytes({GS, '!', 0x11}) + text("A\n")).page());
    EXPECT_EQ(big.width(), 24);
    EXPECT_EQ(big.height(), 48);
    const Box fontB = inkBox(run(defineB + on + text("B\n")).page());
    EXPECT_EQ(fontB.width(), 9);
    EXPECT_EQ(fontB.height(), 1);
    // Not selected, deleted, or another font's: the built-in glyph.
    for (const Bytes& s : {defineA + text("A\n"), defineA + on + bytes({ESC, '?', 'A'}) + text("A\n"),
                           defineA + on + bytes({ESC, 'M', 1}) + text("A\n")})
        EXPECT_LT(blackCount(run(s).page()), 12 * 24 / 2);
}

TEST(CodePages, EscTNumbersDecodeTheirTables) {
    struct Case {
        int page;
        uint8_t byte;
        char32_t want;
    };
    const Case cases[] = {
        {0, 0xDB, U'\u2588'},  {1, 0xB1, U'\uFF71'},  {2, 0x9B, U'\u00F8'},  {3, 0x8C, U'\u00D4'},
        {4, 0x86, U'\u00B6'},  {5, 0x9B, U'\u00F8'},  {15, 0xC1, U'\u0391'}, {16, 0x80, U'\u20AC'},
        {17, 0x80, U'\u0410'}, {18, 0xA5, U'\u0105'}, {19, 0xD5, U'\u20AC'}, {20, 0xA1, U'\u0E01'},
        {39, 0xA1, U'\u0104'}, {40, 0xA4, U'\u20AC'}, {45, 0xA5, U'\u0104'}, {46, 0xC0, U'\u0410'},
        {47, 0xC1, U'\u0391'}, {48, 0xD0, U'\u011E'}, {49, 0xE0, U'\u05D0'}, {50, 0xC7, U'\u0627'},
        {51, 0xC0, U'\u0104'}, {52, 0xC3, U'\u0102'},
    };
    for (const Case& c : cases) {
        char32_t got = 0;
        ASSERT_TRUE(escpos::codePageChar(c.page, c.byte, got)) << "page " << c.page;
        EXPECT_EQ(static_cast<uint32_t>(got), static_cast<uint32_t>(c.want)) << "page " << c.page;
    }
    // A number no printer defines: CP437, with a note.
    const Printed r = run(bytes({FS, '.', ESC, 't', 99, 0xDB, '\n'}));
    EXPECT_EQ(r.job.report.noteTotal(), 1u);
    EXPECT_GT(blackCount(r.page()), 12 * 24 * 3 / 4);
}

}  // namespace
}  // namespace zsim::test
