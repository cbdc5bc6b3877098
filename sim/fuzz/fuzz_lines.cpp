// libFuzzer target: any bytes, in pieces and at times the input chooses, on
// the A/D board's and the SDK scale's lines. Whatever comes in, what goes
// out must stay well formed: whole board frames, and printable CR LF lines.
// The wire record reads the same pieces as each of its protocols, both ways:
// every entry must stay one line of text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "terminal/board/board_protocol.h"
#include "terminal/scale/sdk_scale_protocol.h"
#include "wire/wire_record.h"

namespace {

using namespace zsim::term;

void checkBoardAnswer(const std::string& bytes) {
    std::string copy = bytes;
    board::Frame frame;
    if (!board::take(copy, frame) || !copy.empty()) std::abort();
}

void checkScaleLine(const std::string& bytes) {
    if (bytes.size() < 3 || bytes.size() > SdkScaleProtocol::kMaxLine + 2 ||
        bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        std::abort();
    for (size_t i = 0; i + 2 < bytes.size(); ++i)
        if (bytes[i] < 0x20 || bytes[i] > 0x7E) std::abort();
}

void checkWire(const zsim::wire::Record& record) {
    uint64_t skipped = 0;
    for (const zsim::wire::Entry* e : record.after(0, {}, SIZE_MAX, skipped))
        if (zsim::wire::textLine(*e).find('\n') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScaleModel scale;
    bool drawerOpen = false;
    BoardProtocol board(scale, {[&] { drawerOpen = true; }, [&] { return drawerOpen; }}, checkBoardAnswer);
    SdkScaleProtocol sdk(scale, checkScaleLine, 10);
    zsim::wire::Record record(zsim::escpos::DrawerSwitch::OpenIsHigh);
    int64_t now = 0;
    // Each piece: one byte of length (low 6 bits) and pause (high 2 bits),
    // then the bytes.
    while (size > 0) {
        const size_t length = std::min<size_t>(data[0] & 0x3F, size - 1);
        now += (data[0] >> 6) * 150;
        board.received(data + 1, length, now);
        sdk.received(data + 1, length, now);
        sdk.tick(now);
        for (auto protocol :
             {zsim::wire::Protocol::EscPos, zsim::wire::Protocol::Board, zsim::wire::Protocol::SdkScale})
            for (auto d : {zsim::wire::Direction::ToDevice, zsim::wire::Direction::ToHost})
                record.bytes(protocol, "line", d, data + 1, length);
        data += length + 1;
        size -= length + 1;
    }
    std::string error;
    record.endJob({}, {}, error);
    checkWire(record);
    return 0;
}
