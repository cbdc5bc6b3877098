// The device library's golden byte files (tests/pos_ad/golden), read by this printer and board,
// which were written apart from the library: each file must be understood completely and must
// print what the call that sent it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "../support/SampleReceipt.h"
#include "escpos/interpreter.h"
#include "terminal/board/board_frame.h"
#include "terminal/board/board_protocol.h"
#include "test_support.h"

namespace zsim::test {
namespace {

std::string golden(const std::string& name) { return std::string(ZSIM_POSAD_GOLDEN_DIR) + "/" + name; }

struct Dots {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dark;
    bool at(int x, int y) const { return dark[static_cast<size_t>(y) * width + x] != 0; }
};

// A 1-bit uncompressed BMP, read from the file format alone: the library decodes BMP files with
// its own code, so that code must not judge its own result.
Dots readBmp(const std::string& name) {
    const Bytes f = readFile(golden(name));
    const auto u16 = [&f](size_t at) { return f.at(at) | f.at(at + 1) << 8; };
    const auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | u16(at + 2) << 16); };
    if (f.size() < 62 || f[0] != 'B' || f[1] != 'M' || u16(28) != 1 || u32(30) != 0) {
        ADD_FAILURE() << name << " is no uncompressed 1-bit BMP";
        return {};
    }
    Dots d;
    const int32_t rows = static_cast<int32_t>(u32(22));
    d.width = static_cast<int>(u32(18));
    d.height = rows < 0 ? -rows : rows;
    const size_t palette = 14 + u32(14), pixels = u32(10), stride = (static_cast<size_t>(d.width) + 31) / 32 * 4;
    d.dark.resize(static_cast<size_t>(d.width) * d.height);
    for (int y = 0; y < d.height; ++y) {
        const size_t row = pixels + stride * static_cast<size_t>(rows < 0 ? y : d.height - 1 - y);
        for (int x = 0; x < d.width; ++x) {
            const int index = f.at(row + x / 8) >> (7 - x % 8) & 1;
            d.dark[static_cast<size_t>(y) * d.width + x] = f.at(palette + 4 * index + 1) < 128;
        }
    }
    return d;
}

// The picture the library is given for the image_density files: BmpWriter's
// Picture::Pattern(96, 30, 6), blocks of six pixels and the steep line x = 2y.
Dots pattern96x30() {
    Dots d;
    d.width = 96;
    d.height = 30;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) d.dark.push_back(((x / 6) + (y / 6)) % 2 == 0 || x == 2 * y);
    return d;
}

Dots logo384() { return readBmp("logo_384_density1.bmp"); }

struct Symbol {
    std::string type;
    std::string data;
    bool operator==(const Symbol& o) const { return type == o.type && data == o.data; }
};
void PrintTo(const Symbol& s, std::ostream* os) { *os << s.type << " \"" << s.data << "\""; }

struct Expected {
    std::string file;
    std::string call;  // what sent the bytes, in tests/pos_ad
    int paperWidth;
    std::set<std::string> commands;  // as the printer's report names them
    std::vector<std::string> texts;  // the texts of the call, one per printed line
    std::vector<Symbol> symbols;     // type and the data the call gave
    Dots (*picture)() = nullptr;     // printed alone from the top left corner,
    int dotsPerPixel = 1;            // each pixel this many dots wide and tall
};

const std::set<std::string> kBarcode = {"ESC a", "GS H", "GS h", "GS w", "GS k"};
const std::set<std::string> kImage = {"ESC a", "ESC 3", "ESC *", "LF"};
const std::set<std::string> kInit = {"ESC @", "ESC 3", "FS &"};

std::set<std::string> operator+(std::set<std::string> a, const std::set<std::string>& b) {
    a.insert(b.begin(), b.end());
    return a;
}
const std::set<std::string> kReceipt = kInit + kBarcode + std::set<std::string>{"LF", "HT", "ESC d"};

// The sample receipt as the printer page prints it with fixed times: its lines as texts, and
// its BARCODE line as PrintBarCode.
std::vector<std::string> receiptTexts() {
    std::vector<std::string> texts = {"开始打印：1000\r\n"};
    for (const std::string& line : SampleReceiptLines())
        if (line != "BARCODE") texts.push_back(line);
    texts.push_back("结束时间：1250\r\n");
    texts.push_back("合计用时：250\r\n");
    return texts;
}

const std::vector<Expected>& printerFiles() {
    const std::string ean = "6931081400127", qr = "https://www.zantor.example/p/" + ean;
    const std::string total = "合计金额：2323230.00\r\n";
    static const std::vector<Expected> files = {
        {"initialize_linespace10", "a connection's first bytes, LINESPACE=10", 576, kInit, {}, {}},
        {"text_gbk_line", "PrintText(the total line, 8)", 576, {"LF"}, {total}, {}},
        {"begin_print_4", "BeginPrint(4)", 576, {"ESC d"}, {}, {}},
        {"cut_paper", "CutPaper()", 576, {"GS V"}, {}, {}},
        {"drawer_pulse", "OpenCashDrawerEx(), printer drawer", 576, {"ESC p"}, {}, {}},
        {"drawer_status_request", "GetCashDrawerStatus(), printer drawer", 576, {"DLE EOT"}, {}, {}},
        {"barcode_ean13", "PrintBarCode(\"6931081400127\", 2, 50, 2)", 576, kBarcode, {}, {{"EAN-13", ean}}},
        {"barcode_code128_even", "PrintBarCode(\"12345678\", 2, 50, 2)", 576, kBarcode, {}, {{"CODE128", "12345678"}}},
        {"barcode_code128_odd", "PrintBarCode(\"1234567\", 2, 50, 2)", 576, kBarcode, {}, {{"CODE128", "1234567"}}},
        {"qr_product_page", "PrintQrCode(the address, 8)", 576, {"ESC a", "GS ( k"}, {}, {{"QR", qr}}},
        {"image_density0", "PrintBitmapFile, 96x30 picture, Density=0", 576, kImage, {}, {}, pattern96x30, 6},
        {"image_density1", "PrintBitmapFile, 96x30 picture, Density=1", 576, kImage, {}, {}, pattern96x30, 6},
        {"image_density2", "PrintBitmapFile, 96x30 picture, Density=2", 576, kImage, {}, {}, pattern96x30, 6},
        {"image_density3", "PrintBitmapFile, 96x30 picture, Density=3", 576, kImage, {}, {}, pattern96x30, 6},
        {"logo_384_density1", "PrintBitmapFile of its .bmp, Density=1", 384, kInit + kImage, {}, {}, logo384},
        {"receipt", "the sample receipt's calls", 576, kReceipt, receiptTexts(), {{"EAN-13", ean}}},
    };
    return files;
}

struct BoardRequest {
    std::string file;
    std::string call;
    char letter;
};

const std::vector<BoardRequest> kBoardFiles = {
    {"board_weight", "read_standard", 'W'},
    {"board_zero", "send_zero", 'Z'},
    {"board_tare", "send_tare", 'T'},
    {"board_clear_tare", "clear_tare", 'C'},
    {"board_open_drawer_j1900", "OpenCashDrawerEx(), main-board drawer, BOARD=J1900", 'O'},
    {"board_drawer_state", "GetCashDrawerStatus(), main-board drawer", 'D'},
};

Bytes bytesOf(const std::string& name) { return readFile(golden(name + ".bin")); }

std::string utf8(char32_t c) {
    const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    const uint8_t lead[] = {0, 0xC0, 0xE0, 0xF0};
    std::string s(1, static_cast<char>(lead[tail] | c >> 6 * tail));
    for (int i = tail - 1; i >= 0; --i) s += static_cast<char>(0x80 | (c >> 6 * i & 0x3F));
    return s;
}

// Lines are compared in columns of font A, in which tab stops are counted: every glyph at the
// column it stands in, a gap as spaces, a double-byte character two columns wide.
constexpr int kColumnDots = 12;

// What a text of the call looks like on paper: without its line end, tabs to every eighth column.
std::string asPrinted(std::string text) {
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    std::string out;
    int column = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            do out += ' ';
            while (++column % 8);
            ++i;
            continue;
        }
        const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        out += text.substr(i, n);
        column += n == 1 ? 1 : 2;
        i += n;
    }
    return out;
}

// The printer's own reading of the text it prints: the characters it puts on each line, before
// any font draws them. A symbol's human-readable text belongs to the symbol, not here.
class PrintedLines : public escpos::PrintSink {
public:
    void band(const escpos::Band& band) override {
        if (!band.symbols.empty() || band.glyphs.empty()) return;
        std::vector<escpos::GlyphItem> glyphs = band.glyphs;
        std::stable_sort(glyphs.begin(), glyphs.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
        std::string line;
        int column = 0;
        for (const escpos::GlyphItem& g : glyphs) {
            for (; column < g.x / kColumnDots; ++column) line += ' ';
            line += utf8(g.codepoint);
            column = (g.x + g.boxWidth + g.spacing) / kColumnDots;
        }
        lines.push_back(line);
    }
    void feed(int) override {}
    void page(const escpos::PageLayout&) override {}
    void cut(escpos::CutKind) override {}

    std::vector<std::string> lines;
};

std::vector<std::string> printedLines(const Bytes& stream, int paperWidth) {
    PrintedLines sink;
    escpos::SettableDeviceState device;
    escpos::InterpreterConfig config;
    config.paperWidth = paperWidth;
    escpos::Interpreter interpreter(config, sink, device, {});
    interpreter.feed(stream.data(), stream.size());
    interpreter.finishJob();
    return sink.lines;
}

std::vector<Symbol> symbolsOn(const Printed& r) {
    std::vector<Symbol> symbols;
    for (const render::PageImage& page : r.job.pages)
        for (const escpos::SymbolMark& s : page.symbols) symbols.push_back({s.type, s.text});
    return symbols;
}

TEST(GoldenReadings, EveryFileHasItsReading) {
    std::set<std::string> read;
    for (const Expected& e : printerFiles()) read.insert(e.file + ".bin");
    for (const BoardRequest& b : kBoardFiles) read.insert(b.file + ".bin");
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(ZSIM_POSAD_GOLDEN_DIR))
        if (entry.path().extension() == ".bin") present.insert(entry.path().filename().string());
    EXPECT_EQ(present, read);
}

TEST(GoldenReadings, EveryPrinterFilePrintsWhatItsCallWasGiven) {
    for (const Expected& e : printerFiles()) {
        SCOPED_TRACE(e.file + ": " + e.call);
        const Bytes stream = bytesOf(e.file);
        ASSERT_FALSE(stream.empty());
        RunOptions options;
        options.width = e.paperWidth;
        const Printed r = run(stream, options);
        const escpos::JobReport& report = r.job.report;
        EXPECT_EQ(report.unknownTotal() + report.unsupportedTotal() + report.noteTotal(), 0u) << report.toJson();
        EXPECT_FALSE(report.endedInsideCommand()) << report.toJson();
        std::set<std::string> commands;
        for (const auto& [name, count] : report.commands()) commands.insert(name);
        EXPECT_EQ(commands, e.commands);

        std::vector<std::string> texts;
        for (const std::string& text : e.texts) texts.push_back(asPrinted(text));
        EXPECT_EQ(printedLines(stream, e.paperWidth), texts);
        EXPECT_EQ(symbolsOn(r), e.symbols);

        if (!e.picture) continue;
        const Dots picture = e.picture();
        ASSERT_EQ(r.job.pages.size(), 1u);
        const render::PageImage& page = r.page();
        const int k = e.dotsPerPixel;
        ASSERT_GE(page.height, picture.height * k);
        int wrong = 0;
        for (int y = 0; y < page.height; ++y)
            for (int x = 0; x < page.width; ++x) {
                const bool inside = x < picture.width * k && y < picture.height * k;
                if (page.black(x, y) != (inside && picture.at(x / k, y / k)) && wrong++ == 0)
                    ADD_FAILURE() << "first wrong dot at x " << x << ", y " << y;
            }
        EXPECT_EQ(wrong, 0) << "dots unlike the picture";
    }
}

TEST(GoldenReadings, EverySymbolDecodesToTheCallsData) {
    if (!haveZbar()) GTEST_SKIP() << "zbarimg not installed";
    for (const Expected& e : printerFiles()) {
        if (e.symbols.empty()) continue;
        RunOptions options;
        options.width = e.paperWidth;
        const Printed r = run(bytesOf(e.file), options);
        std::vector<std::string> decoded, data;
        for (const render::PageImage& page : r.job.pages)
            for (const escpos::SymbolMark& s : page.symbols)
                for (const std::string& text : decodeRegion(page, s)) decoded.push_back(text);
        for (const Symbol& s : e.symbols) data.push_back(s.data);
        EXPECT_EQ(decoded, data) << e.file << ": " << e.call;
    }
}

TEST(GoldenReadings, EveryBoardRequestIsAnsweredInKind) {
    for (const BoardRequest& b : kBoardFiles) {
        SCOPED_TRACE(b.file + ": " + b.call);
        term::ScaleModel scale;
        bool opened = false;
        std::string answers;
        term::BoardProtocol board(scale, {[&opened] { opened = true; }, [&opened] { return opened; }},
                                  [&answers](const std::string& frame) { answers += frame; });
        const Bytes request = bytesOf(b.file);
        board.received(request.data(), request.size(), 0);
        term::board::Frame answer;
        ASSERT_TRUE(term::board::take(answers, answer)) << "no answer";
        EXPECT_EQ(answer.command, b.letter) << "answered " << answer.command << answer.payload;
        EXPECT_TRUE(answers.empty()) << "more than one answer";
        EXPECT_EQ(opened, b.letter == 'O');
    }
}

}  // namespace
}  // namespace zsim::test
