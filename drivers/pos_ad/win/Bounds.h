// Every wait on a device, in one place (docs/pos-ad.md states them).
#pragma once

#include <cstddef>

namespace bounds {

// A write gives up when the device takes nothing for this long (serial: plus twice the line
// time of the chunk on its way).
constexpr unsigned kStallMs = 3000;
// Writes go out in chunks of this size, so a stall is seen within one chunk.
constexpr size_t kChunkBytes = 1024;
// Connecting to a network printer.
constexpr unsigned kConnectMs = 3000;
// The printer's answer to DLE EOT 1.
constexpr unsigned kStatusMs = 1000;
// The board's answer to a request.
constexpr unsigned kBoardAnswerMs = 300;
// Waiting for a cancelled USB or parallel write to let go of its buffer.
constexpr unsigned kCancelMs = 1000;

} // namespace bounds
