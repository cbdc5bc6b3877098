#include "test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "escpos/interpreter.h"
#include "render/png_writer.h"

namespace zsim::test {

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes u16le(int v) { return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF)}; }

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Printed run(const Bytes& stream, const RunOptions& options) {
    escpos::SettableDeviceState device;
    device.set(options.status);
    Printed result;
    const models::PrinterModel* model = models::findModel(options.model);
    if (!model) throw std::invalid_argument("no printer model " + options.model);
    PrinterConfig config = configFor(*model);
    config.paperWidth = options.width;
    config.maxPageLength = options.maxPageLength;
    config.keepPages = true;
    config.drawerSwitch = options.drawerSwitch;
    PrinterHooks hooks;
    hooks.reply = [&result](const uint8_t* p, size_t n) { result.replies.emplace_back(p, p + n); };
    hooks.drawerPulse = [&result](const escpos::DrawerPulse& pulse) { result.pulses.push_back(pulse); };
    VirtualPrinter printer(config, device, hooks);
    size_t pos = 0;
    for (size_t end : options.splits) {
        end = std::min(end, stream.size());
        if (end > pos) printer.feed(stream.data() + pos, end - pos);
        pos = std::max(pos, end);
    }
    if (pos < stream.size()) printer.feed(stream.data() + pos, stream.size() - pos);
    result.job = printer.endJob();
    return result;
}

std::string utf8(char32_t c) {
    const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    const uint8_t lead[] = {0, 0xC0, 0xE0, 0xF0};
    std::string s(1, static_cast<char>(lead[tail] | c >> 6 * tail));
    for (int i = tail - 1; i >= 0; --i) s += static_cast<char>(0x80 | (c >> 6 * i & 0x3F));
    return s;
}

namespace {
constexpr int kColumnDots = 12;

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
}  // namespace

std::vector<std::string> printedLines(const Bytes& stream, int paperWidth, const std::string& model) {
    PrintedLines sink;
    escpos::SettableDeviceState device;
    escpos::InterpreterConfig config;
    config.model = models::findModel(model);
    if (!config.model) throw std::invalid_argument("no printer model " + model);
    config.paperWidth = paperWidth > 0 ? paperWidth : config.model->printDots;
    escpos::Interpreter interpreter(config, sink, device, {});
    interpreter.feed(stream.data(), stream.size());
    interpreter.finishJob();
    return sink.lines;
}

Box inkBox(const render::PageImage& page, int top, int bottom) {
    Box box{page.width, 0, -1, -1};
    if (bottom < 0 || bottom >= page.height) bottom = page.height - 1;
    bool any = false;
    for (int y = std::max(0, top); y <= bottom; ++y) {
        for (int x = 0; x < page.width; ++x) {
            if (!page.black(x, y)) continue;
            if (!any) box.top = y;
            any = true;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.bottom = y;
        }
    }
    if (!any) return Box{};
    return box;
}

int blackCount(const render::PageImage& page, int top, int bottom) {
    if (bottom < 0 || bottom >= page.height) bottom = page.height - 1;
    int n = 0;
    for (int y = std::max(0, top); y <= bottom; ++y)
        for (int x = 0; x < page.width; ++x) n += page.black(x, y);
    return n;
}

bool haveZbar() { return std::system("command -v zbarimg >/dev/null 2>&1") == 0; }

namespace {
// The symbol with a quiet zone of white paper around it, as a scanner would
// see it on the receipt.
render::PageImage quietCrop(const render::PageImage& page, const escpos::SymbolMark& where, int scale) {
    constexpr int kMargin = 24;
    render::PageImage crop;
    crop.width = (where.width + 2 * kMargin) * scale;
    crop.height = (where.height + 2 * kMargin) * scale;
    crop.ink.assign(static_cast<size_t>(crop.width) * crop.height, 0);
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x) {
            const int sx = where.x + x / scale - kMargin, sy = where.y + y / scale - kMargin;
            if (sx >= where.x && sx < where.x + where.width && sy >= where.y && sy < where.y + where.height &&
                sx < page.width && sy < page.height)
                crop.ink[static_cast<size_t>(y) * crop.width + x] = page.at(sx, sy);
        }
    return crop;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// zxing-cpp's Python module, as Debian installs it for the system's Python.
const char kZxingRead[] =
    "import sys, numpy, zxingcpp\n"
    "data = open(sys.argv[1], 'rb').read()\n"
    "head = data.split(b'\\n', 3)\n"
    "w, h = map(int, head[1].split())\n"
    "img = numpy.frombuffer(head[3], dtype=numpy.uint8, count=w * h).reshape(h, w)\n"
    "for r in zxingcpp.read_barcodes(img): print(str(r.format).split('.')[-1] + ':' + r.text)\n";
}  // namespace

bool haveZxing() { return std::system("/usr/bin/python3 -c 'import zxingcpp' >/dev/null 2>&1") == 0; }

std::vector<std::string> decodeWithZxing(const render::PageImage& page, const escpos::SymbolMark& where) {
    const render::PageImage crop = quietCrop(page, where, 1);
    const auto dir = std::filesystem::temp_directory_path();
    const std::string base = (dir / ("zsim-zxing-" + std::to_string(getpid()))).string();
    {
        std::ofstream pgm(base + ".pgm", std::ios::binary);
        pgm << "P5\n" << crop.width << " " << crop.height << "\n255\n";
        for (uint8_t dot : crop.ink) pgm.put(static_cast<char>(dot >= 128 ? 0 : 255));
        std::ofstream(base + ".py") << kZxingRead;
    }
    const std::string cmd = "/usr/bin/python3 '" + base + ".py' '" + base + ".pgm' > '" + base + ".txt' 2>/dev/null";
    (void)std::system(cmd.c_str());
    const std::vector<std::string> lines = readLines(base + ".txt");
    for (const char* ext : {".pgm", ".py", ".txt"}) std::filesystem::remove(base + ext);
    return lines;
}

std::vector<std::string> decodeRegion(const render::PageImage& page, const escpos::SymbolMark& where, int scale) {
    const render::PageImage crop = quietCrop(page, where, scale);
    const auto dir = std::filesystem::temp_directory_path();
    const std::string png = (dir / ("zsim-symbol-" + std::to_string(getpid()) + ".png")).string();
    const std::string out = png + ".txt";
    std::string error;
    if (!render::writePng(crop, png, error)) return {};
    // --raw keeps the bytes as encoded; one symbol per line.
    const std::string cmd = "zbarimg --nodbus --raw -q '" + png + "' > '" + out + "' 2>/dev/null";
    (void)std::system(cmd.c_str());
    const std::vector<std::string> lines = readLines(out);
    std::filesystem::remove(png);
    std::filesystem::remove(out);
    return lines;
}

}  // namespace zsim::test
