// libFuzzer target: any bytes, fed in pieces the input itself chooses,
// through the interpreter and the paper renderer. The first byte picks the
// paper width and how the rest is split.
#include <cstddef>
#include <cstdint>

#include "escpos/device_state.h"
#include "escpos/interpreter.h"
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
    status.paperNearEnd = control & 0x20;
    device.set(status);

    const int width = (control & 1) ? 384 : 576;
    size_t pages = 0;
    zsim::render::Paper paper({width, 2000}, glyphs(), [&pages](const zsim::render::PageImage& page) {
        ++pages;
        // The last dot of the page must be inside its buffer.
        if (page.height > 0 && page.ink.size() < static_cast<size_t>(page.width) * page.height) __builtin_trap();
    });
    zsim::escpos::InterpreterConfig config;
    config.paperWidth = width;
    config.chineseModeAtReset = control & 2;
    size_t replied = 0;
    zsim::escpos::InterpreterHooks hooks;
    hooks.reply = [&replied](const uint8_t*, size_t n) { replied += n; };
    zsim::escpos::Interpreter interpreter(config, paper, device, hooks);

    // Piece length from the control byte: 1..8 bytes, or everything.
    const size_t piece = (control >> 2) & 7 ? ((control >> 2) & 7) : size;
    for (size_t pos = 0; pos < size; pos += piece)
        interpreter.feed(data + pos, pos + piece <= size ? piece : size - pos);
    interpreter.finishJob();
    paper.finish();
    const zsim::escpos::JobReport report = interpreter.takeReport();
    volatile size_t jsonSize = report.toJson().size();
    (void)jsonSize;
    return 0;
}
