// The printer's answers in words, bit by bit as the ESC/POS status bytes
// define them, and its drawer pulses with pin and times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "escpos/device_state.h"

namespace zsim::wire {

// A status request the printer answers, and so what its answer means.
struct Query {
    enum Kind : uint8_t { RealTime, PaperSensor, Drawer, PrinterId, Pdf417Size } kind;
    int n = 0;  // DLE EOT n, GS I n
};

// "drawer pin 3 high (open), on line": what the wiring makes of pin 3 goes in brackets.
std::string answerWords(const Query& q, const uint8_t* p, size_t n, escpos::DrawerSwitch wiring);
// The four bytes the printer sends by itself after GS a.
std::string automaticStatusWords(const uint8_t* p, escpos::DrawerSwitch wiring);
// Looks like an automatic status: bits 0, 1 and 4 of its first byte tell it from other answers.
bool isAutomaticStatus(const uint8_t* p, size_t n);

// ESC p m t1 t2 and DLE DC4 1 m t: connector pin and pulse times; empty for anything else.
std::string pulseWords(const uint8_t* header, size_t n);

}  // namespace zsim::wire
