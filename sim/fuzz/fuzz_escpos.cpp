// libFuzzer target: any bytes, fed in pieces the input itself chooses,
// through the interpreter and the paper renderer, all in memory: no PNG or
// report file is written, so thousands of inputs run each second. The first byte picks the
// paper width, the printer model, how the rest is split and whether real-time commands are met
// as the bytes arrive (as the terminal meets them) or where the stream reaches them.
#include <cstddef>
#include <cstdint>

#include "escpos/device_state.h"
#include "escpos/interpreter.h"
#include "escpos/realtime_scan.h"
#include "models/printer_models.h"
#include "render/glyph_cache.h"
#include "render/paper.h"

namespace {

// Glyph patterns are the slow part of a first run; sharing them between
// inputs keeps the fuzzer fast without sharing any printer state.
zsim::render::GlyphCache& glyphs() {
    static zsim::render::GlyphCache cache;
    return cache;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;

    zsim::escpos::SettableDeviceState device;
    zsim::escpos::DeviceStatus status;
    status.drawerOpen = control & 0x40;
    device.set(status);

    const int width = (control & 1) ? 384 : 576;
    // A short page keeps each input cheap; the paper is kept between inputs
    // of the same width so its page buffer is not allocated afresh every time.
    // A finished page leaves no state behind but that buffer.
    static size_t pages = 0;
    const auto checkPage = [](const zsim::render::PageImage& page) {
        ++pages;
        // The last dot of the page must be inside its buffer.
        if (page.height > 0 && page.ink.size() < static_cast<size_t>(page.width) * page.height) __builtin_trap();
    };
    static zsim::render::Paper narrow({384, 256}, glyphs(), checkPage);
    static zsim::render::Paper wide({576, 256}, glyphs(), checkPage);
    zsim::render::Paper& paper = width == 384 ? narrow : wide;
    zsim::escpos::InterpreterConfig config;
    // The terminal's own printer, or one with five fonts, another ESC t numbering and the GS1
    // symbologies.
    config.model = zsim::models::findModel(control & 0x80 ? "epson-tm-m30ii" : "zsim-80");
    config.paperWidth = width;
    config.chineseModeAtReset = control & 2;
    config.maxImageRows = 256;
    config.pageModeHeight = 256;  // page mode's pages as short as the paper
    config.maxStoredImageBytes = 1u << 20;
    config.realtimeOnReceipt = control & 0x20;
    size_t replied = 0;
    zsim::escpos::InterpreterHooks hooks;
    hooks.reply = [&replied](const uint8_t*, size_t n) { replied += n; };
    zsim::escpos::Interpreter interpreter(config, paper, device, hooks);

    // Piece length from the control byte: 1..8 bytes, or everything.
    const size_t piece = (control >> 2) & 7 ? ((control >> 2) & 7) : size;
    zsim::escpos::RealtimeScanner scanner;
    for (size_t pos = 0; pos < size; pos += piece) {
        const size_t n = pos + piece <= size ? piece : size - pos;
        // Between pieces, so a buffer clear lands in the middle of whatever is half read.
        for (size_t i = 0; config.realtimeOnReceipt && i < n; ++i)
            if (scanner.push(data[pos + i])) interpreter.realtime(scanner.command());
        interpreter.feed(data + pos, n);
    }
    interpreter.finishJob();
    paper.finish();
    const zsim::escpos::JobReport report = interpreter.takeReport();
    volatile size_t jsonSize = report.toJson().size();
    (void)jsonSize;
    return 0;
}
