// Streams written by an independent encoder (escpos-php, see
// data/escpos-samples/README.md) must be understood completely, and every
// symbol they print must read back with an independent decoder.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace zsim::test {
namespace {

std::string sample(const std::string& name) { return std::string(ZSIM_SAMPLES_DIR) + "/" + name + ".bin"; }

// zbar reports UPC-A as EAN-13 with a leading zero, and UPC-E expanded to
// that EAN-13 form.
std::string expandUpcE(const std::string& e) {
    // e: number system, six digits, check digit
    const std::string d = e.substr(1, 6);
    std::string m, p;
    switch (d[5]) {
    case '0':
    case '1':
    case '2':
        m = d.substr(0, 2) + d[5] + "00";
        p = "00" + d.substr(2, 3);
        break;
    case '3':
        m = d.substr(0, 3) + "00";
        p = "000" + d.substr(3, 2);
        break;
    case '4':
        m = d.substr(0, 4) + "0";
        p = "0000" + d.substr(4, 1);
        break;
    default:
        m = d.substr(0, 5);
        p = "0000" + d.substr(5, 1);
        break;
    }
    return "0" + e.substr(0, 1) + m + p + e.substr(7, 1);
}

std::string asZbarReports(const escpos::SymbolMark& s) {
    if (s.type == "UPC-A") return "0" + s.text;
    if (s.type == "UPC-E") return expandUpcE(s.text);
    return s.text;
}

// What each sample must print, in order: read from its GS k and GS ( k data, with the
// check digits a printer puts right (UPC-E given as digits is printed in its 8-digit form).
struct Symbols {
    int count;
    const char* type;
    std::string text;
};
struct Sample {
    const char* name;
    std::vector<Symbols> symbols;
};
const Sample kSamples[] = {
    {"receipt-with-logo", {}},
    {"barcode",
     {{15, "CODE39", "ABC"},
      {4, "EAN-13", "0123456789012"},
      // Two UPC-E examples give UPC-A numbers (01234567890...) that have no
      // zero-suppressed form: a printer cannot print those.
      {2, "UPC-A", "012345678905"},
      {3, "UPC-E", "01234565"},
      {2, "EAN-13", "0123456789012"},
      {2, "EAN-8", "01234565"},
      {1, "CODE39", "ABC 012"},
      {1, "CODE39", "$%+-./"},
      {1, "CODE39", "TEXT"},
      {1, "ITF", "0123456789"},
      {1, "CODABAR", "A012345A"},
      {1, "CODABAR", "A012$+-./:A"},
      {1, "CODE93", "012abcd"},
      {1, "CODE128", "012ABCD"},
      {1, "CODE128", "012ABCDabcd"},
      {1, "CODE128", "213243"}}},
    {"qr-code",
     {{2, "QR", "Testing 123"},
      {1, "QR", "0123456789012345678901234567890123456789"},
      {1, "QR", "abcdefghijklmnopqrstuvwxyzabcdefghijklmn"},
      {1, "QR", std::string(40, '\0')},
      {14, "QR", "Testing 123"}}},
    {"bit-image", {}},
    {"graphics", {}},
    {"text-size", {}},
};

void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.name; }

std::vector<std::string> expectedSymbols(const Sample& sample) {
    std::vector<std::string> all;
    for (const Symbols& s : sample.symbols) all.insert(all.end(), s.count, std::string(s.type) + " " + s.text);
    return all;
}

std::vector<std::string> printedSymbols(const Printed& r) {
    std::vector<std::string> all;
    for (const render::PageImage& page : r.job.pages)
        for (const escpos::SymbolMark& s : page.symbols) all.push_back(s.type + " " + s.text);
    return all;
}

class Conformance : public ::testing::TestWithParam<Sample> {};

TEST_P(Conformance, EveryCommandIsUnderstood) {
    const Printed r = run(readFile(sample(GetParam().name)));
    const escpos::JobReport& report = r.job.report;
    EXPECT_EQ(report.unknownTotal(), 0u) << report.toJson();
    EXPECT_FALSE(report.endedInsideCommand()) << report.toJson();
    for (const escpos::ReportEntry& e : report.unsupporteds()) {
        // qr-code.bin asks for a model 1 QR code once; libqrencode only
        // makes model 2, which every reader also reads.
        EXPECT_EQ(e.name, "QR model") << report.toJson();
    }
    // Each sample is one receipt ending in a cut, with nothing after it.
    ASSERT_EQ(r.job.pages.size(), 1u);
    EXPECT_GT(blackCount(r.page()), 1000);
}

TEST_P(Conformance, EverySymbolIsPrintedAndDecodes) {
    const Printed r = run(readFile(sample(GetParam().name)));
    ASSERT_EQ(printedSymbols(r), expectedSymbols(GetParam()));
    if (!haveZbar()) GTEST_SKIP() << "zbarimg not installed";
    for (const render::PageImage& page : r.job.pages) {
        for (const escpos::SymbolMark& s : page.symbols) {
            // qr-code.bin also prints a QR code with 1-dot modules. Its dots
            // are right, but zbar cannot find finder patterns one pixel
            // wide, so that symbol is read from a 3x enlarged copy (each
            // dot becomes 3x3 pixels; nothing else changes).
            const int scale = s.type == "QR" && s.module == 1 ? 3 : 1;
            const std::vector<std::string> got = decodeRegion(page, s, scale);
            ASSERT_EQ(got.size(), 1u) << s.type << " '" << s.text << "' at y=" << s.y;
            EXPECT_EQ(got[0], asZbarReports(s)) << s.type << " at y=" << s.y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EscposPhp, Conformance, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                             std::string name = info.param.name;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST(ConformanceNotes, BarcodesThatCannotBePrintedAreReported) {
    const Printed r = run(readFile(sample("barcode")));
    std::string notes;
    for (const auto& n : r.job.report.notes()) notes += n.text + "\n";
    EXPECT_NE(notes.find("01234567890 has no UPC-E form"), std::string::npos) << notes;
}

}  // namespace
}  // namespace zsim::test
