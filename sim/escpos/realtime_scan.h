// Real-time commands (DLE EOT, DLE ENQ, DLE DC4) found in bytes as they
// arrive, by the command table's rows alone and whatever the interpreter is
// in the middle of: a printer acts on them when they are received, even
// inside image data, while it is offline or its buffer is full.
#pragma once

#include <cstdint>

#include "escpos/command_table.h"

namespace zsim::escpos {

class RealtimeScanner {
public:
    // Takes the next byte received; true when it completes a real-time
    // command, which command() then holds until the next byte.
    bool push(uint8_t b);
    const Bytes& command() const { return pending_; }

private:
    Bytes pending_;
    bool complete_ = false;
};

// DLE DC4 8 with its seven fixed bytes: only that form clears the buffers,
// so image data that merely begins like it does not.
bool clearsBuffers(const Bytes& command);

}  // namespace zsim::escpos
