// The terminal's A/D and I/O board: weighing, zero, tare and the main-board
// cash drawer, one framed request and one framed answer at a time.
//   W            -> W "<status><net:7><tare:7>"   status '0' + 1 stable,
//                                                  2 at zero, 4 tare present
//   Z, T, C      -> same letter, '0' done or '1' refused (zero, take tare,
//                   clear tare)
//   O "<board>"  -> O '0', and the drawer opens
//   D            -> D '0' drawer open, '1' closed
// Any other well-formed request is answered with N (payload: its letter);
// bytes that are no frame get no answer at all.
#pragma once

#include <functional>
#include <string>

#include "terminal/board/board_frame.h"
#include "terminal/device_protocol.h"
#include "terminal/scale/scale_model.h"

namespace zsim::term {

struct BoardDrawer {
    std::function<void()> open;
    std::function<bool()> isOpen;
};

class BoardProtocol : public DeviceProtocol {
public:
    // A piece of a frame older than this is given up when new bytes come:
    // the host has long stopped waiting for its answer.
    static constexpr int64_t kStaleMs = 200;

    BoardProtocol(ScaleModel& scale, BoardDrawer drawer, Send send);
    void received(const uint8_t* data, size_t size, int64_t nowMs) override;

    uint64_t requests() const { return requests_; }
    uint64_t refused() const { return refused_; }

    // The 15-byte weight answer for a reading.
    static std::string weightPayload(const ScaleReading& reading);

private:
    void handle(const board::Frame& request, int64_t nowMs);
    void reply(uint8_t command, const std::string& payload);

    ScaleModel& scale_;
    BoardDrawer drawer_;
    Send send_;
    std::string buffer_;
    int64_t lastByteMs_ = 0;
    uint64_t requests_ = 0;
    uint64_t refused_ = 0;
};

}  // namespace zsim::term
