// The command families real 80 mm printers print and this one draws too:
// PDF417, user-defined characters, the ESC t code pages and page mode.
#include <gtest/gtest.h>

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
        // code-pages.bin also asks for page 99, which no maker numbers: the model says so.
        const uint64_t lacking = std::string(name) == "code-pages.bin" ? 1 : 0;
        EXPECT_EQ(r.job.report.unsupportedTotal(), lacking) << name << r.job.report.toJson();
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

// ESC t n is the table the model's maker numbers n, decoded from the code
// page's own table: the same n is another page on another maker's printer.
TEST(CodePages, EscTSelectsTheModelsTable) {
    struct Case {
        const char* model;
        int page;
        uint8_t byte;
        char32_t want;
    };
    const Case cases[] = {
        {"zsim-80", 0, 0xDB, U'\u2588'},  {"zsim-80", 1, 0xB1, U'\uFF71'},  {"zsim-80", 2, 0x9B, U'\u00F8'},
        {"zsim-80", 3, 0x8C, U'\u00D4'},  {"zsim-80", 15, 0xC1, U'\u0391'}, {"zsim-80", 16, 0x80, U'\u20AC'},
        {"zsim-80", 17, 0x80, U'\u0410'}, {"zsim-80", 19, 0xD5, U'\u20AC'}, {"zsim-80", 20, 0xA1, U'\u0E01'},
        {"zsim-80", 39, 0xA1, U'\u0104'}, {"zsim-80", 46, 0xC0, U'\u0410'}, {"zsim-80", 49, 0xE0, U'\u05D0'},
        {"zsim-80", 50, 0xC7, U'\u0627'}, {"zsim-80", 52, 0xC3, U'\u0102'}, {"epson-tm-t88v", 16, 0x80, U'\u20AC'},
        {"hp-a779", 2, 0xA5, U'\u0105'},  {"hp-a779", 8, 0x80, U'\u20AC'},  {"xprinter-xp-n160ii", 6, 0xC0, U'\u00C0'},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines =
            printedLines(bytes({FS, '.', ESC, 't', c.page, c.byte, '\n'}), 0, c.model);
        ASSERT_EQ(lines.size(), 1u) << c.model << " page " << c.page;
        EXPECT_EQ(lines[0], utf8(c.want)) << c.model << " page " << c.page;
    }
    // A number the model has no table for: the table in use stays, and the
    // report names the model.
    const Bytes unknown = bytes({FS, '.', ESC, 't', 2, ESC, 't', 99, 0x9B, '\n'});
    EXPECT_EQ(printedLines(unknown, 0, "zsim-80"), std::vector<std::string>{utf8(U'\u00F8')});
    const std::vector<escpos::ReportEntry> lacks = run(unknown).job.report.unsupporteds();
    ASSERT_EQ(lacks.size(), 1u);
    EXPECT_EQ(lacks[0].name, "ESC t 99");
    EXPECT_NE(lacks[0].text.find("Zantor ZSIM-80"), std::string::npos) << lacks[0].text;
}

// What a model lacks it does not print, and the report names the model; HP's
// A779 prints PDF417 with a GS k number of its own.
TEST(Models, WhatAModelLacksIsReportedAndNotPrinted) {
    const Bytes qr = gsK(49, 80, bytes({48}) + text("QR")) + gsK(49, 81, {48});
    const Bytes pdf = gsK(48, 80, bytes({48}) + text("PDF")) + gsK(48, 81, {48});
    struct Case {
        const char* model;
        Bytes stream;
        const char* lacking;  // the unsupported entry, or empty
        const char* printed;  // the symbol on the paper, or empty
    };
    const Case cases[] = {
        {"zsim-80", bytes({GS, 'k', 75, 13}) + text("0950110153000"), "GS k 75", ""},
        {"epson-tm-t88v", bytes({GS, 'k', 75, 13}) + text("0950110153000"), "", "GS1 DataBar"},
        {"epson-tm-t88ii", qr, "GS ( k cn 49", ""},
        {"metapace-t1", pdf, "GS ( k cn 48", ""},
        {"hp-a779", bytes({GS, 'k', 75, 3}) + text("PDF"), "", "PDF417"},
        {"epson-tm-t88v", bytes({FS, '&', 0xB0, 0xA1, '\n'}), "FS &", ""},
        {"epson-tm-t88v", bytes({ESC, 't', 6, 'x', '\n'}), "ESC t 6", ""},
        {"xprinter-xp-n160ii", bytes({ESC, 't', 6, 'x', '\n'}), "", ""},
        {"epson-tm-p20ii", text("torn off\n") + bytes({GS, 'V', 0}) + text("same paper\n"), "cut", ""},
    };
    for (const Case& c : cases) {
        RunOptions o;
        o.model = c.model;
        o.width = 0;
        const Printed r = run(c.stream, o);
        const escpos::JobReport& report = r.job.report;
        SCOPED_TRACE(std::string(c.model) + ": " + report.toJson());
        EXPECT_EQ(report.unknownTotal(), 0u);
        ASSERT_EQ(report.unsupportedTotal(), *c.lacking ? 1u : 0u);
        if (*c.lacking) {
            EXPECT_EQ(report.unsupporteds()[0].name, c.lacking);
            EXPECT_NE(report.unsupporteds()[0].text.find(models::findModel(c.model)->displayName()), std::string::npos);
        }
        std::vector<std::string> symbols;
        for (const render::PageImage& page : r.job.pages)
            for (const escpos::SymbolMark& s : page.symbols) symbols.push_back(s.type);
        EXPECT_EQ(symbols, *c.printed ? std::vector<std::string>{c.printed} : std::vector<std::string>{});
    }
    RunOptions noCutter;
    noCutter.model = "epson-tm-p20ii";
    EXPECT_EQ(run(text("torn off\n") + bytes({GS, 'V', 0}) + text("same paper\n"), noCutter).job.pages.size(), 1u);
}

}  // namespace
}  // namespace zsim::test
