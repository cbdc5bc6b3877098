// Barcodes and QR codes made from streams of our own: they must read back
// as what was sent, with the human-readable line where GS H puts it.
#include <gtest/gtest.h>

#include "escpos/barcode.h"
#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D;

Box inkOf2(const Bytes& s) {
    const Printed r = run(s);
    return r.job.pages.empty() ? Box{} : inkBox(r.page());
}

const escpos::SymbolMark& onlySymbol(const Printed& r) {
    static const escpos::SymbolMark none;
    if (r.job.pages.size() != 1 || r.page().symbols.size() != 1) {
        ADD_FAILURE() << "expected one symbol on one page\n" << r.job.report.toJson();
        return none;
    }
    return r.page().symbols[0];
}

TEST(Barcodes, Ean13WithTextBelowDecodes) {
    const Printed r = run(bytes({GS, 'H', 2, GS, 'h', 80, GS, 'w', 2, GS, 'k', 67, 13}) + text("6931081400127"));
    const escpos::SymbolMark& s = onlySymbol(r);
    EXPECT_EQ(s.type, "EAN-13");
    EXPECT_EQ(s.height, 80);
    EXPECT_EQ(s.width, 95 * 2);
    // The digits sit under the bars, centred on them.
    const Box digits = inkBox(r.page(), s.y + s.height);
    EXPECT_GT(digits.top, s.y + s.height);
    EXPECT_LE(digits.height(), 24);
    EXPECT_NEAR((digits.left + digits.right) / 2.0, s.x + s.width / 2.0, 6);
    if (!haveZbar()) GTEST_SKIP() << "zbarimg not installed";
    EXPECT_EQ(decodeRegion(r.page(), s), std::vector<std::string>{"6931081400127"});
}

TEST(Barcodes, NulTerminatedFormAndTextAbove) {
    const Printed r = run(bytes({GS, 'H', 1, GS, 'k', 2}) + text("693108140012") + bytes({0}) + text("after\n"));
    const escpos::SymbolMark& s = onlySymbol(r);
    EXPECT_EQ(s.text, "6931081400127") << "check digit added";
    EXPECT_FALSE(inkBox(r.page(), 0, s.y - 1).empty()) << "text above the bars";
    EXPECT_EQ(r.job.report.unknownTotal(), 0u);
}

TEST(Barcodes, Code128CodeSetsDecode) {
    if (!haveZbar()) GTEST_SKIP() << "zbarimg not installed";
    const struct {
        Bytes data;
        std::string expected;
    } cases[] = {
        {text("{BZantor-01"), "Zantor-01"},
        {bytes({'{', 'C', 12, 34, 56, 78}), "12345678"},
        {text("{BNo.") + bytes({'{', 'C', 12, 34}), "No.1234"},
        {text("{Aab{{c"), "ab{c"},
    };
    for (const auto& c : cases) {
        const Printed r = run(bytes({GS, 'H', 3, GS, 'w', 2, GS, 'k', 73, static_cast<int>(c.data.size())}) + c.data);
        const escpos::SymbolMark& s = onlySymbol(r);
        EXPECT_EQ(s.text, c.expected);
        EXPECT_EQ(decodeRegion(r.page(), s), std::vector<std::string>{c.expected});
    }
}

TEST(Barcodes, HeightAndModuleWidth) {
    const Box narrow = inkOf2(bytes({GS, 'h', 40, GS, 'w', 2, GS, 'k', 69, 3}) + text("ABC"));
    const Box wide = inkOf2(bytes({GS, 'h', 40, GS, 'w', 4, GS, 'k', 69, 3}) + text("ABC"));
    EXPECT_EQ(narrow.height(), 40);
    EXPECT_EQ(wide.width(), 2 * narrow.width()) << "both start and end with a bar";
}

TEST(Barcodes, WhatCannotBePrintedIsReportedNotDrawn) {
    // 30 characters of CODE39 at module 6 are far wider than the paper.
    const Printed tooWide = run(bytes({GS, 'w', 6, GS, 'k', 69, 30}) + text(std::string(30, 'A')) + text("x\n"));
    EXPECT_TRUE(tooWide.job.pages.empty() || tooWide.page().symbols.empty());
    EXPECT_NE(tooWide.job.report.toJson().find("not printed"), std::string::npos);
    const Printed bad = run(bytes({GS, 'k', 67, 3}) + text("abc"));
    EXPECT_TRUE(bad.job.pages.empty());
    EXPECT_EQ(bad.job.report.noteTotal(), 1u);
    EXPECT_EQ(bad.job.report.unknownTotal(), 0u);
}

TEST(Barcodes, CheckDigitsAndZeroSuppression) {
    EXPECT_EQ(escpos::gtinCheckDigit("693108140012"), 7);
    EXPECT_EQ(escpos::gtinCheckDigit("01234567890"), 5);
    std::string e;
    EXPECT_TRUE(escpos::suppressUpcZeros("01200000789", e));
    EXPECT_EQ(e, "127890");
    EXPECT_TRUE(escpos::suppressUpcZeros("04210000526", e));
    EXPECT_EQ(e, "425261");
    EXPECT_TRUE(escpos::suppressUpcZeros("01234500005", e));
    EXPECT_EQ(e, "123455");
    EXPECT_FALSE(escpos::suppressUpcZeros("01234567890", e));
    // A wrong check digit is printed corrected, with a note.
    const Printed r = run(bytes({GS, 'k', 67, 13}) + text("6931081400120"));
    EXPECT_EQ(onlySymbol(r).text, "6931081400127");
    EXPECT_EQ(r.job.report.noteTotal(), 1u);
}

TEST(QrCodes, UrlAtModuleSixCentredDecodes) {
    const std::string url = "https://zantor.example/receipt?id=20240501-0042";
    const Bytes store =
        bytes({GS, '(', 'k'}) + u16le(static_cast<int>(url.size()) + 3) + bytes({49, 80, 48}) + text(url);
    const Printed r = run(bytes({ESC, 'a', 1, GS, '(', 'k', 3, 0, 49, 67, 6, GS, '(', 'k', 3, 0, 49, 69, 49}) + store +
                          bytes({GS, '(', 'k', 3, 0, 49, 81, 48}));
    const escpos::SymbolMark& s = onlySymbol(r);
    EXPECT_EQ(s.type, "QR");
    EXPECT_EQ(s.module, 6);
    EXPECT_EQ(s.width % 6, 0);
    EXPECT_EQ(s.x, (576 - s.width) / 2);
    const Box ink = inkBox(r.page());
    EXPECT_EQ(ink.left, s.x);
    EXPECT_EQ(ink.width(), s.width);
    if (!haveZbar()) GTEST_SKIP() << "zbarimg not installed";
    EXPECT_EQ(decodeRegion(r.page(), s), std::vector<std::string>{url});
}

TEST(QrCodes, ErrorLevelsChangeTheSymbolAndTooBigIsReported) {
    const auto side = [](int level) {
        const Bytes s = bytes({GS, '(', 'k', 3, 0, 49, 69, level, GS, '(', 'k', 14, 0, 49, 80, 48}) +
                        text("Testing 123") + bytes({GS, '(', 'k', 3, 0, 49, 81, 48});
        const Printed r = run(s);
        return r.job.pages.empty() || r.page().symbols.empty() ? 0 : r.page().symbols[0].width;
    };
    EXPECT_LT(side(48), side(51)) << "level H needs a larger version than level L";
    // 600 bytes at module 16 cannot fit 576 dots.
    const Bytes big = bytes({GS, '(', 'k', 3, 0, 49, 67, 16, GS, '(', 'k'}) + u16le(603) + bytes({49, 80, 48}) +
                      Bytes(600, 'x') + bytes({GS, '(', 'k', 3, 0, 49, 81, 48});
    const Printed r = run(big);
    EXPECT_TRUE(r.job.pages.empty());
    EXPECT_NE(r.job.report.toJson().find("QR code not printed"), std::string::npos);
    // Print with nothing stored.
    EXPECT_EQ(run(bytes({GS, '(', 'k', 3, 0, 49, 81, 48})).job.report.noteTotal(), 1u);
}

}  // namespace
}  // namespace zsim::test
