#include "Board.h"

#include <algorithm>
#include <cstring>

namespace board {

Bytes Build(uint8_t command, std::string_view payload)
{
    const size_t length = std::min(payload.size(), kMaxPayload);
    Bytes frame;
    frame.reserve(length + 5);
    uint8_t bcc = static_cast<uint8_t>(command ^ length);
    frame.push_back(STX);
    frame.push_back(command);
    frame.push_back(static_cast<uint8_t>(length));
    for (size_t i = 0; i < length; ++i) {
        frame.push_back(static_cast<uint8_t>(payload[i]));
        bcc ^= static_cast<uint8_t>(payload[i]);
    }
    frame.push_back(bcc);
    frame.push_back(ETX);
    return frame;
}

Scan Find(const uint8_t* data, size_t size, Frame& frame, size_t& consumed)
{
    const uint8_t* stx = static_cast<const uint8_t*>(size ? std::memchr(data, STX, size) : nullptr);
    if (!stx) {
        consumed = size;
        return size ? Scan::Garbage : Scan::NeedMore;
    }
    const size_t start = static_cast<size_t>(stx - data);
    const size_t left = size - start;
    if (left < 3) {
        consumed = start;
        return Scan::NeedMore;
    }
    const size_t length = stx[2];
    if (length > kMaxPayload) {
        consumed = start + 1;
        return Scan::Garbage;
    }
    if (left < length + 5) {
        consumed = start;
        return Scan::NeedMore;
    }
    uint8_t bcc = static_cast<uint8_t>(stx[1] ^ stx[2]);
    for (size_t i = 0; i < length; ++i)
        bcc ^= stx[3 + i];
    if (stx[3 + length] != bcc || stx[4 + length] != ETX) {
        consumed = start + 1;
        return Scan::Garbage;
    }
    frame.command = stx[1];
    frame.payload.assign(stx + 3, stx + 3 + length);
    consumed = start + length + 5;
    return Scan::Found;
}

bool ParseReading(const Frame& frame, Reading& reading, std::string& error)
{
    if (frame.payload.size() != kReadingLength) {
        error = "weight answer of " + std::to_string(frame.payload.size()) + " bytes, not " +
            std::to_string(kReadingLength);
        return false;
    }
    const uint8_t status = frame.payload[0];
    if ((status & 0xF8) != 0x30) {
        error = "weight status byte " + std::to_string(status) + " is not '0' plus flags 1, 2, 4";
        return false;
    }
    for (size_t i = 1; i < kReadingLength; ++i) {
        if (frame.payload[i] < 0x20 || frame.payload[i] > 0x7E) {
            error = "weight text has a byte that is not printable ASCII";
            return false;
        }
    }
    reading.status = status;
    std::memcpy(reading.net, &frame.payload[1], 7);
    std::memcpy(reading.tare, &frame.payload[8], 7);
    return true;
}

void FillRecord(const Reading& reading, char* record)
{
    record[0] = static_cast<char>(reading.status);
    std::memcpy(record + 1, reading.net, 7);
    record[8] = ',';
    std::memcpy(record + 9, reading.tare, 7);
    record[16] = '\0';
    record[17] = '\0';
}

bool ParseSingle(const Frame& frame, uint8_t& value, std::string& error)
{
    if (frame.payload.size() != 1) {
        error = "answer of " + std::to_string(frame.payload.size()) + " bytes, not 1";
        return false;
    }
    value = frame.payload[0];
    return true;
}

char BoardTypeCode(std::string_view boardType)
{
    if (boardType == "J1900")
        return '1';
    if (boardType == "J1900D")
        return '2';
    if (boardType == "I3/I5")
        return '3';
    return '0';
}

} // namespace board
