// The terminal's A/D and I/O board: weighing, zero, tare and the main-board cash drawer, one
// framed request and one framed answer at a time on a serial line (docs/board-protocol.md).
#pragma once

#include "Bytes.h"

#include <string>

namespace board {

constexpr uint8_t STX = 0x02, ETX = 0x03;
constexpr size_t kMaxPayload = 64;
constexpr size_t kMaxFrame = kMaxPayload + 5;

// Request letters; an answer carries the letter of its request, or 'N' when refused outright.
constexpr uint8_t kWeight = 'W', kZero = 'Z', kTare = 'T', kClearTare = 'C', kOpenDrawer = 'O', kDrawerState = 'D',
                  kNak = 'N';

struct Frame {
    uint8_t command = 0;
    Bytes payload;
};

// STX command length payload BCC ETX, BCC being the XOR of command, length and payload.
Bytes Build(uint8_t command, std::string_view payload = {});

enum class Scan {
    Found, // frame filled; consumed counts the bytes up to and including its ETX
    NeedMore, // a frame may be starting; consumed counts the garbage before its STX
    Garbage, // nothing usable: consumed bytes can be dropped (at least one)
};
// Looks for the first well-formed frame in data. Bytes before an STX, and an STX whose frame is
// malformed (length too large, wrong BCC, no ETX), are garbage.
Scan Find(const uint8_t* data, size_t size, Frame& frame, size_t& consumed);

// Weight answer: status character, 7 characters of net weight, 7 of tare.
constexpr size_t kReadingLength = 15;
constexpr size_t kRecordLength = 18;
struct Reading {
    uint8_t status = 0;
    char net[7] = {};
    char tare[7] = {};
};
// The status must be '0' plus flags 1 (stable), 2 (at zero), 4 (tare present); weights are
// printable ASCII.
bool ParseReading(const Frame& frame, Reading& reading, std::string& error);

// The caller's weighing record: status, net in 1..7, ',' at 8, tare in 9..15, NULs in 16 and 17.
// Writes exactly kRecordLength bytes.
void FillRecord(const Reading& reading, char* record);

// The answer to zero, tare, clear-tare and open-drawer: '0' done, anything else refused.
// The answer to the drawer-state request: '0' open, '1' closed.
bool ParseSingle(const Frame& frame, uint8_t& value, std::string& error);

// [POS] BOARD as sent with the open-drawer request: J1900 '1', J1900D '2', I3/I5 '3', else '0'.
char BoardTypeCode(std::string_view boardType);

} // namespace board
