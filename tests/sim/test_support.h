// Helpers shared by the virtual printer's tests: building streams, running
// them through a printer, finding ink, decoding symbols with zbarimg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "escpos/device_state.h"
#include "printer/virtual_printer.h"
#include "render/page_image.h"

namespace zsim::test {

using Bytes = std::vector<uint8_t>;

// Stream building: bytes({0x1B, '@'}) + text("abc") + ...
Bytes bytes(std::initializer_list<int> values);
Bytes text(const std::string& s);
Bytes operator+(Bytes a, const Bytes& b);
Bytes u16le(int v);
Bytes readFile(const std::string& path);

struct Printed {
    JobResult job;
    std::vector<Bytes> replies;
    std::vector<escpos::DrawerPulse> pulses;
    const render::PageImage& page(size_t i = 0) const { return job.pages.at(i); }
};

struct RunOptions {
    std::string model = "zsim-80";
    int width = 576;  // 0: the model's
    int maxPageLength = 24000;
    std::vector<size_t> splits;  // feed in pieces ending at these offsets
    escpos::DeviceStatus status;
    escpos::DrawerSwitch drawerSwitch = escpos::DrawerSwitch::OpenIsLow;
};

Printed run(const Bytes& stream, const RunOptions& options = {});

// The printer's own reading of the text it prints: the characters it puts on
// each line (UTF-8) before any font draws them, in columns of font A's 12
// dots. A symbol's human-readable text belongs to the symbol, not here.
std::vector<std::string> printedLines(const Bytes& stream, int paperWidth, const std::string& model = "zsim-80");
std::string utf8(char32_t c);

// Bounding box of the ink on a page (or in a row range); empty if none.
struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};
Box inkBox(const render::PageImage& page, int top = 0, int bottom = -1);
int blackCount(const render::PageImage& page, int top = 0, int bottom = -1);

// Decodes the symbol in the given part of a page (with a white quiet zone
// around it) with zbarimg; returns the texts it reports. Empty when zbarimg
// is missing: callers skip.
bool haveZbar();
std::vector<std::string> decodeRegion(const render::PageImage& page, const escpos::SymbolMark& where, int scale = 1);
// The same with zxing-cpp, which reads PDF417 ("PDF417:text").
bool haveZxing();
std::vector<std::string> decodeWithZxing(const render::PageImage& page, const escpos::SymbolMark& where);

}  // namespace zsim::test
