#include "terminal/board/board_frame.h"

namespace zsim::term::board {

std::string build(uint8_t command, const std::string& payload) {
    const size_t length = std::min(payload.size(), kMaxPayload);
    std::string frame;
    frame.reserve(length + 5);
    uint8_t check = static_cast<uint8_t>(command ^ length);
    frame += static_cast<char>(STX);
    frame += static_cast<char>(command);
    frame += static_cast<char>(length);
    for (size_t i = 0; i < length; ++i) check ^= static_cast<uint8_t>(payload[i]);
    frame.append(payload, 0, length);
    frame += static_cast<char>(check);
    frame += static_cast<char>(ETX);
    return frame;
}

bool take(std::string& buffer, Frame& frame) {
    for (;;) {
        const size_t stx = buffer.find(static_cast<char>(STX));
        if (stx == std::string::npos) {
            buffer.clear();
            return false;
        }
        buffer.erase(0, stx);
        if (buffer.size() < 3) return false;
        const size_t length = static_cast<uint8_t>(buffer[2]);
        if (length > kMaxPayload) {
            buffer.erase(0, 1);
            continue;
        }
        if (buffer.size() < length + 5) return false;
        uint8_t check = static_cast<uint8_t>(buffer[1]) ^ static_cast<uint8_t>(length);
        for (size_t i = 0; i < length; ++i) check ^= static_cast<uint8_t>(buffer[3 + i]);
        if (static_cast<uint8_t>(buffer[3 + length]) != check || static_cast<uint8_t>(buffer[4 + length]) != ETX) {
            buffer.erase(0, 1);
            continue;
        }
        frame.command = static_cast<uint8_t>(buffer[1]);
        frame.payload = buffer.substr(3, length);
        buffer.erase(0, length + 5);
        return true;
    }
}

}  // namespace zsim::term::board
