// ESC/POS for the plain calls: text, paper feed, cut, cash drawer and its status.
#pragma once

#include "Bytes.h"

namespace escpos {

constexpr uint8_t ESC = 0x1B, GS = 0x1D, FS = 0x1C, DLE = 0x10, EOT = 0x04, LF = 0x0A;

// A longer text is refused rather than printed: it is no receipt line but a mistake.
constexpr size_t kMaxTextBytes = 4096;

// [PRINTER] LINESPACE is the gap in dots between two 24-dot text lines; ESC 3 takes the whole
// line pitch. Values outside what ESC 3 can say are clamped.
int LinePitch(int lineSpaceSetting);

// Sent once on each new connection: reset, line pitch, Chinese (GBK) character mode.
Bytes Initialize(int lineSpaceSetting);

// One line of GBK text. A trailing CR LF (or LF) ends the line; CR LF inside becomes LF; control
// bytes other than HT and LF cannot reach the printer as commands and print as spaces.
Encoded Text(std::string_view text);

// ESC d n: prints what is buffered and feeds n lines (0..255).
Encoded Feed(int lines);

// GS V 66 0: feed to the cutter and cut, leaving a hinge.
Bytes Cut();

// ESC p 0 50 250: a 100 ms pulse on drawer pin 2.
Bytes DrawerPulse();

// DLE EOT 1: real-time printer status; the answer is one byte.
Bytes DrawerStatusRequest();

// A DLE EOT 1 answer has bits 1 and 4 set and bits 0 and 7 clear.
bool IsPrinterStatus(uint8_t status);

// Bit 2 is drawer-connector pin 3. Whether a high pin means open depends on the drawer, so the
// caller says which level is "open".
bool DrawerOpen(uint8_t status, bool openWhenHigh);

} // namespace escpos
