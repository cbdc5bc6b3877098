// Where each command ends. Looks only at the bytes collected so far, so a
// command may arrive split anywhere: the answer is then simply "need more".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zsim::escpos {

enum class FrameStatus : uint8_t { NeedMore, Complete, Data, Unknown };

// What follows a header that announces a block of data.
enum class DataKind : uint8_t {
    None,
    Skip,          // known framed command we do not act on
    BitImage,      // ESC *
    Raster,        // GS v 0
    Graphics,      // GS ( L, GS 8 L
    Symbol2D,      // GS ( k
    UserChars,     // ESC &: length only known while reading
    NvBitImages,   // FS q: ditto
    DownloadImage  // GS *
};

struct Frame {
    FrameStatus status = FrameStatus::NeedMore;
    std::string name;         // "ESC !", "GS ( k", ...
    size_t headerLength = 0;  // bytes of the header (or of the whole command)
    uint64_t dataLength = 0;  // for Data with a known length
    DataKind kind = DataKind::None;
};

constexpr uint8_t ESC = 0x1B, GS = 0x1D, FS = 0x1C, DLE = 0x10;

bool isCommandPrefix(uint8_t b);
// c[0] is a command prefix; n >= 1.
Frame frameCommand(const uint8_t* c, size_t n);
std::string commandName(const uint8_t* c, size_t n);

}  // namespace zsim::escpos
