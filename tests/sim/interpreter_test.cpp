// The byte-stream side: framing across arbitrary splits, reporting what is
// not understood, and staying bounded whatever arrives.
#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D, FS = 0x1C;

Bytes mixedStream() {
    // GBK text, sizes, a bit image, a raster image, a barcode, a QR code
    // and a cut: something of every framing kind.
    return bytes({ESC, '@'}) + bytes({ESC, 'a', 1, GS, '!', 0x11}) + text("Zantor\n") +
           bytes({GS, '!', 0, 0xB2, 0xE2, 0xCA, 0xD4, 0xB5, 0xEA, '\n'}) + bytes({ESC, '*', 33}) + u16le(4) +
           Bytes(12, 0xF0) + bytes({'\n'}) + bytes({GS, 'v', '0', 0}) + u16le(2) + u16le(3) + Bytes(6, 0xAA) +
           bytes({GS, 'H', 2, GS, 'k', 67, 13}) + text("6931081400127") +
           bytes({GS, '(', 'k', 4, 0, 49, 'A', 50, 0, GS, '(', 'k', 6, 0, 49, 'P', 48}) + text("abc") +
           bytes({GS, '(', 'k', 3, 0, 49, 'Q', 48}) + bytes({GS, 'V', 66, 10}) + text("tail\n");
}

void expectSameOutput(const Printed& a, const Printed& b) {
    EXPECT_EQ(a.job.report.toJson(), b.job.report.toJson());
    ASSERT_EQ(a.job.pages.size(), b.job.pages.size());
    for (size_t i = 0; i < a.job.pages.size(); ++i) {
        EXPECT_EQ(a.page(i).height, b.page(i).height);
        EXPECT_TRUE(a.page(i).ink == b.page(i).ink) << "page " << i << " differs";
    }
}

TEST(SplitFeeding, EverySplitPointGivesTheSameJob) {
    const Bytes s = mixedStream();
    const Printed whole = run(s);
    ASSERT_EQ(whole.job.report.unknownTotal(), 0u) << whole.job.report.toJson();
    for (size_t cut = 1; cut < s.size(); ++cut) {
        RunOptions o;
        o.splits = {cut};
        const Printed split = run(s, o);
        SCOPED_TRACE("split at " + std::to_string(cut));
        expectSameOutput(whole, split);
        if (HasFailure()) return;
    }
}

TEST(SplitFeeding, ByteByByteAndRandomPiecesMatchForEverySample) {
    std::mt19937 rng(7);
    for (const char* name : {"receipt-with-logo", "barcode", "qr-code", "bit-image", "graphics", "text-size"}) {
        SCOPED_TRACE(name);
        const Bytes s = readFile(std::string(ZSIM_SAMPLES_DIR) + "/" + name + ".bin");
        const Printed whole = run(s);
        RunOptions single, random;
        for (size_t i = 1; i < s.size(); ++i) single.splits.push_back(i);
        for (size_t pos = 0; pos < s.size();) random.splits.push_back(pos += 1 + rng() % 97);
        expectSameOutput(whole, run(s, single));
        expectSameOutput(whole, run(s, random));
    }
}

TEST(UnknownCommands, AreReportedWithOffsetAndBytesAndSkipped) {
    // 0: 'A', 1: ESC x (unknown), 3: BEL, 4: GS V 7 (bad cut mode),
    // 7: ESC ESC @ (first ESC unknown, then a real ESC @), 10: "B\n"
    const Bytes s = text("A") + bytes({ESC, 'x', 0x07, GS, 'V', 7, ESC, ESC, '@'}) + text("B\n");
    const Printed r = run(s);
    const auto& u = r.job.report.unknowns();
    ASSERT_EQ(u.size(), 4u) << r.job.report.toJson();
    EXPECT_EQ(u[0].offset, 1u);
    EXPECT_EQ(u[0].bytes, bytes({ESC, 'x'}));
    EXPECT_EQ(u[1].offset, 3u);
    EXPECT_EQ(u[1].bytes, bytes({0x07}));
    EXPECT_EQ(u[2].offset, 4u);
    EXPECT_EQ(u[2].bytes, bytes({GS, 'V', 7}));
    EXPECT_EQ(u[3].offset, 7u);
    EXPECT_EQ(u[3].bytes, bytes({ESC}));
    EXPECT_EQ(r.job.report.commands().at("ESC @"), 1u);
    // ESC @ clears the unprinted "A", and says so; "B" prints.
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_FALSE(inkBox(r.page()).empty());
    EXPECT_NE(r.job.report.toJson().find("discarded an unprinted line"), std::string::npos);
}

TEST(UnknownCommands, KnownButUnrenderedCommandsAreListedToo) {
    const Printed r = run(bytes({ESC, 'V', 1, ESC, 'e', 2}) + bytes({ESC, '(', 'A', 2, 0, 1, 2}) + text("x\n"));
    EXPECT_EQ(r.job.report.unknownTotal(), 0u);
    std::vector<std::string> names;
    for (const auto& e : r.job.report.unsupporteds()) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ESC V", "ESC e", "ESC ( A"}));
}

TEST(CommandTable, DescribeNamesAndMeasuresBytesWithoutRunningThem) {
    struct Case {
        Bytes in;
        std::string name, params;
        size_t length;
    };
    const Bytes qrStore = bytes({GS, '(', 'k', 5, 0, 49, 80, 48, 'a', 'b'});
    const Case cases[] = {
        {bytes({ESC, '!', 8, 'A'}), "ESC !: select print mode(s)", "8", 3},
        {bytes({0x0A}), "LF: print and line feed", "", 1},
        {qrStore + text("\n"), "GS ( k: QR code: store the data", "5 0", 10},
        // Two characters: widths 2 and 1, three bytes a column.
        {bytes({ESC, '&', 3, 'A', 'B', 2, 1, 2, 3, 4, 5, 6, 1, 7, 8, 9}), "ESC &: define user-defined characters",
         "3 65 66", 16},
        {bytes({GS, 'V', 66, 10}), "GS V: select cut mode and cut paper", "66 10", 4},
        // Not understood: what the printer skips.
        {bytes({ESC, 'x', 1}), "", "", 2},
        {bytes({GS, 'V', 7, 0}), "", "", 3},
        // Cut short, in the header or in the data.
        {bytes({ESC, '!'}), "", "", 0},
        {Bytes(qrStore.begin(), qrStore.end() - 1), "GS ( k: QR code: store the data", "5 0", 0},
    };
    for (const Case& c : cases) {
        const escpos::Description d = escpos::describe(c.in.data(), c.in.size());
        EXPECT_EQ(d.name, c.name);
        EXPECT_EQ(d.params, c.params) << c.name;
        EXPECT_EQ(d.length, c.length) << c.name;
    }
}

TEST(JobEnd, ACommandCutShortIsRecordedAndTheNextJobStartsClean) {
    escpos::SettableDeviceState device;
    PrinterConfig config;
    config.keepPages = true;
    VirtualPrinter printer(config, device, {});
    printer.feed(text("ok\n") + bytes({GS, 'v', '0', 0, 2, 0, 100, 0, 0xFF, 0xFF}));
    const JobResult first = printer.endJob();
    ASSERT_TRUE(first.report.endedInsideCommand());
    EXPECT_EQ(first.report.truncated().offset, 3u);
    EXPECT_EQ(first.report.truncated().name, "GS v 0");
    // The part of the image that arrived is printed.
    ASSERT_EQ(first.pages.size(), 1u);
    EXPECT_EQ(inkBox(first.pages[0], 24).height(), 1);

    printer.feed(text("next\n"));
    const JobResult second = printer.endJob();
    EXPECT_EQ(second.job, first.job + 1);
    EXPECT_FALSE(second.report.endedInsideCommand());
    EXPECT_EQ(second.report.unknownTotal(), 0u);
    EXPECT_EQ(printer.endJob().job, 0) << "no bytes, no job";
}

TEST(JobEnd, TextWithoutLineFeedIsPrintedAndNoted) {
    const Printed r = run(text("no newline"));
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_FALSE(r.page().cut);
    EXPECT_FALSE(inkBox(r.page()).empty());
    EXPECT_EQ(r.job.report.noteTotal(), 1u);
}

TEST(Bounds, EndlessFeedsStopAtThePageCap) {
    Bytes s;
    for (int i = 0; i < 5000; ++i) s = s + bytes({ESC, 'J', 255});
    s = s + text("after\n");
    RunOptions o;
    o.maxPageLength = 4000;
    const Printed r = run(s, o);
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_EQ(r.page().height, 4000);
    EXPECT_TRUE(r.page().truncated);
    EXPECT_EQ(r.page().droppedDots, 5000u * 255 + 30 - 4000);
    ASSERT_EQ(r.job.report.pages.size(), 1u);
    EXPECT_TRUE(r.job.report.pages[0].truncated);
}

TEST(Bounds, HugeDeclaredRasterIsClippedToThePaper) {
    // 65535 bytes x 65535 rows declared (4 GB); 5000 bytes sent.
    const Bytes s = bytes({GS, 'v', '0', 3}) + u16le(65535) + u16le(65535) + Bytes(5000, 0xFF);
    RunOptions o;
    o.width = 384;
    const Printed r = run(s, o);
    ASSERT_EQ(r.job.pages.size(), 1u);
    // The one row that began arriving prints, doubled in both directions.
    EXPECT_EQ(r.page().width, 384);
    EXPECT_EQ(r.page().height, 2);
    EXPECT_EQ(blackCount(r.page()), 2 * 384);
    EXPECT_TRUE(r.job.report.endedInsideCommand());
}

TEST(Bounds, TallRasterIsCutAtTheCapAndReported) {
    const Bytes s = bytes({GS, 'v', '0', 0}) + u16le(72) + u16le(3000) + Bytes(72 * 3000, 0x81);
    RunOptions o;
    o.maxPageLength = 1000;
    const Printed r = run(s, o);
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_EQ(r.page().height, 1000);
    EXPECT_TRUE(r.page().truncated);
    EXPECT_TRUE(r.page().black(0, 999));
    EXPECT_FALSE(r.job.report.endedInsideCommand());
}

TEST(Bounds, RandomBytesNeverCrashAndKeepTheReportSmall) {
    std::mt19937 rng(12345);
    Bytes s(300000);
    for (uint8_t& b : s) b = static_cast<uint8_t>(rng());
    RunOptions o;
    o.maxPageLength = 3000;
    for (size_t pos = 0; pos < s.size();) o.splits.push_back(pos += 1 + rng() % 5000);
    const Printed r = run(s, o);
    const escpos::JobReport& rep = r.job.report;
    EXPECT_LE(rep.unknowns().size(), escpos::JobReport::kMaxEntries);
    EXPECT_LE(rep.notes().size(), escpos::JobReport::kMaxEntries);
    EXPECT_GT(rep.unknownTotal(), rep.unknowns().size());
    EXPECT_FALSE(r.job.pages.empty());
    for (const auto& page : r.job.pages) EXPECT_LE(page.height, 3000);
}

TEST(Modes, EscAtRestoresDefaultsAndChineseModeFollowsTheConfiguration) {
    // FS . then ESC @: Chinese mode is back on, so B2E2 is one 24-dot
    // character and the 'X' after it starts at 24 (font B: 2 x 9 otherwise).
    const Bytes chinese = bytes({FS, '.', ESC, '@', ESC, '!', 1, 0xB2, 0xE2}) + text("X\n");
    const Bytes single = bytes({FS, '.', ESC, '!', 1, 0xB2, 0xE2}) + text("X\n");
    const Box a = inkBox(run(chinese).page());
    const Box b = inkBox(run(single).page());
    EXPECT_GE(a.right, 24 + 2);
    EXPECT_LT(b.right, 27);
}

}  // namespace
}  // namespace zsim::test
