#include "escpos/command_frame.h"

namespace zsim::escpos {

namespace {

constexpr size_t kMaxTabStops = 32;
constexpr size_t kMaxBarcodeForm1 = 255;

Frame needMore() { return {}; }

Frame complete(const uint8_t* c, size_t n, size_t len, size_t nameLen = 2) {
    if (n < len) return needMore();
    return {FrameStatus::Complete, commandName(c, nameLen), len, 0, DataKind::None};
}

Frame data(const uint8_t* c, size_t headerLen, uint64_t dataLen, DataKind kind, size_t nameLen = 2) {
    return {FrameStatus::Data, commandName(c, nameLen), headerLen, dataLen, kind};
}

// Unknown code: skip the prefix and the function byte, unless the function
// byte itself starts something (then only the prefix goes).
Frame unknown(const uint8_t* c, size_t n) {
    size_t len = 1;
    if (n >= 2 && c[1] >= 0x20 && !isCommandPrefix(c[1])) len = 2;
    return {FrameStatus::Unknown, "", len, 0, DataKind::None};
}

// Unknown parameter of a known command whose length is still certain.
Frame unknownParam(size_t len) { return {FrameStatus::Unknown, "", len, 0, DataKind::None}; }

// ESC ( x, GS ( x, FS ( x: function byte, then a 16-bit length.
Frame framed16(const uint8_t* c, size_t n, DataKind kind) {
    if (n < 5) return needMore();
    return data(c, 5, c[3] | (c[4] << 8), kind, 3);
}

Frame untilNul(const uint8_t* c, size_t n, size_t first, size_t maxLen, size_t nameLen) {
    for (size_t i = first; i < n; ++i)
        if (c[i] == 0) return {FrameStatus::Complete, commandName(c, nameLen), i + 1, 0, DataKind::None};
    if (n >= maxLen) return {FrameStatus::Complete, commandName(c, nameLen), maxLen, 0, DataKind::None};
    return needMore();
}

// The length tables below group the commands of one length on a line, laid out by hand.
// clang-format off
Frame frameEsc(const uint8_t* c, size_t n) {
    switch (c[1]) {
    case 0x0C: case '2': case '<': case '@': case 'L': case 'S': case 'i': case 'm': case 'v':
        return complete(c, n, 2);
    case ' ': case '!': case '%': case '-': case '3': case '=': case '?': case 'E': case 'G':
    case 'J': case 'M': case 'R': case 'T': case 'U': case 'V': case 'a': case 'd': case 'e':
    case 'r': case 't': case 'u': case '{':
        return complete(c, n, 3);
    case '$': case '\\': case 'B':
        return complete(c, n, 4);
    case 'p':
        return complete(c, n, 5);
    case 'W':
        return complete(c, n, 10);
    case 'D':
        return untilNul(c, n, 2, 2 + kMaxTabStops + 1, 2);
    case 'c':
        if (n < 3) return needMore();
        if (c[2] == '0' || c[2] == '1' || c[2] == '3' || c[2] == '4' || c[2] == '5') return complete(c, n, 4, 3);
        return unknown(c, n);
    case '&':
        if (n < 5) return needMore();
        return data(c, 5, 0, DataKind::UserChars);
    case '*': {
        if (n < 5) return needMore();
        const uint8_t m = c[2];
        const uint64_t cols = c[3] | (c[4] << 8);
        if (m == 0 || m == 1) return data(c, 5, cols, DataKind::BitImage);
        if (m == 32 || m == 33) return data(c, 5, cols * 3, DataKind::BitImage);
        return unknown(c, n);
    }
    case '(':
        return framed16(c, n, DataKind::Skip);
    default:
        return unknown(c, n);
    }
}

Frame frameGs(const uint8_t* c, size_t n) {
    switch (c[1]) {
    case ':': case 'c':
        return complete(c, n, 2);
    case '!': case '/': case 'B': case 'E': case 'H': case 'I': case 'T': case 'a': case 'b': case 'f':
    case 'h': case 'j': case 'r': case 'w':
        return complete(c, n, 3);
    case '$': case 'L': case 'P': case 'W': case '\\':
        return complete(c, n, 4);
    case '^':
        return complete(c, n, 5);
    case '(':
        if (n < 3) return needMore();
        if (c[2] == 'L') return framed16(c, n, DataKind::Graphics);
        if (c[2] == 'k') return framed16(c, n, DataKind::Symbol2D);
        return framed16(c, n, DataKind::Skip);
    case '8':
        if (n < 3) return needMore();
        if (c[2] != 'L') return unknown(c, n);
        if (n < 7) return needMore();
        return data(c, 7, static_cast<uint64_t>(c[3]) | (static_cast<uint64_t>(c[4]) << 8) |
                              (static_cast<uint64_t>(c[5]) << 16) | (static_cast<uint64_t>(c[6]) << 24),
                    DataKind::Graphics, 3);
    case '*':
        if (n < 4) return needMore();
        return data(c, 4, static_cast<uint64_t>(c[2]) * c[3] * 8, DataKind::DownloadImage);
    case 'V':
        if (n < 3) return needMore();
        switch (c[2]) {
        case 0: case 1: case 48: case 49: return complete(c, n, 3);
        case 65: case 66: case 97: case 98: case 103: case 104: return complete(c, n, 4);
        default: return unknownParam(3);
        }
    case 'g':
        if (n < 3) return needMore();
        if (c[2] == '0' || c[2] == '2') return complete(c, n, 5, 3);
        return unknown(c, n);
    case 'z':
        if (n < 3) return needMore();
        if (c[2] == '0') return complete(c, n, 5, 3);
        return unknown(c, n);
    case 'C':
        if (n < 3) return needMore();
        if (c[2] == '0' || c[2] == '2') return complete(c, n, 5, 3);
        if (c[2] == '1') return complete(c, n, 9, 3);
        return unknown(c, n);
    case 'k': {
        if (n < 3) return needMore();
        const uint8_t m = c[2];
        if (m <= 6) return untilNul(c, n, 3, 3 + kMaxBarcodeForm1, 2);
        if (m >= 65 && m <= 79) {
            if (n < 4) return needMore();
            return complete(c, n, 4 + c[3]);
        }
        return unknownParam(3);
    }
    case 'v':
        if (n < 3) return needMore();
        if (c[2] != '0') return unknown(c, n);
        if (n < 8) return needMore();
        return data(c, 8, static_cast<uint64_t>(c[4] | (c[5] << 8)) * (c[6] | (c[7] << 8)), DataKind::Raster, 3);
    default:
        return unknown(c, n);
    }
}

Frame frameFs(const uint8_t* c, size_t n) {
    switch (c[1]) {
    case '&': case '.':
        return complete(c, n, 2);
    case '!': case '-': case 'C': case 'W':
        return complete(c, n, 3);
    case 'S': case '?': case 'p':
        return complete(c, n, 4);
    case '2':
        return complete(c, n, 4 + 72);
    case 'q':
        if (n < 3) return needMore();
        return data(c, 3, 0, DataKind::NvBitImages);
    case '(':
        return framed16(c, n, DataKind::Skip);
    default:
        return unknown(c, n);
    }
}

Frame frameDle(const uint8_t* c, size_t n) {
    switch (c[1]) {
    case 0x04:
        if (n < 3) return needMore();
        if (c[2] >= 1 && c[2] <= 4) return complete(c, n, 3);
        if (c[2] == 7 || c[2] == 8) return complete(c, n, 4);
        return unknownParam(3);
    case 0x05:
        return complete(c, n, 3);
    case 0x14:
        if (n < 3) return needMore();
        switch (c[2]) {
        case 1: case 2: return complete(c, n, 5);
        case 3: return complete(c, n, 8);
        case 7: return complete(c, n, 4);
        case 8: return complete(c, n, 10);
        default: return unknownParam(3);
        }
    default:
        return unknown(c, n);
    }
}
// clang-format on

}  // namespace

bool isCommandPrefix(uint8_t b) { return b == ESC || b == GS || b == FS || b == DLE; }

std::string commandName(const uint8_t* c, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        switch (c[i]) {
        case ESC: out += "ESC"; break;
        case GS: out += "GS"; break;
        case FS: out += "FS"; break;
        case DLE: out += "DLE"; break;
        case 0x04: out += i ? "EOT" : "0x04"; break;
        case 0x05: out += "ENQ"; break;
        case 0x14: out += "DC4"; break;
        case 0x0C: out += "FF"; break;
        case ' ': out += "SP"; break;
        default:
            if (c[i] > 0x20 && c[i] < 0x7F) {
                out += static_cast<char>(c[i]);
            } else {
                out += std::to_string(c[i]);
            }
        }
    }
    return out;
}

Frame frameCommand(const uint8_t* c, size_t n) {
    if (n < 2) return needMore();
    switch (c[0]) {
    case ESC: return frameEsc(c, n);
    case GS: return frameGs(c, n);
    case FS: return frameFs(c, n);
    case DLE: return frameDle(c, n);
    default: return unknown(c, n);
    }
}

}  // namespace zsim::escpos
