// Frames on the A/D board's line: STX, a command letter, the payload
// length, the payload, a check byte (XOR of letter, length and payload),
// ETX. The same shape both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zsim::term::board {

constexpr uint8_t STX = 0x02, ETX = 0x03;
constexpr size_t kMaxPayload = 64;
constexpr size_t kMaxFrame = kMaxPayload + 5;

struct Frame {
    uint8_t command = 0;
    std::string payload;
};

std::string build(uint8_t command, const std::string& payload = {});

// Takes the first well-formed frame from the front of buffer, dropping what
// comes before it and any STX that does not start a well-formed frame
// (length beyond kMaxPayload, wrong check byte, no ETX). False when no whole
// frame is there yet; the bytes that may still become one stay.
bool take(std::string& buffer, Frame& frame);

}  // namespace zsim::term::board
