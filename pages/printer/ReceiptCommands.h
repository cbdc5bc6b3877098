// The receipt printed line by line through the device library, framed by its start time, end
// time and the milliseconds it took.
#pragma once

#include <windows.h>

#include <string>

// Splits text at CR LF and prints each piece; a piece that is exactly "BARCODE" becomes the
// receipt's barcode. Ends the job with BeginPrint(4); the paper is not cut.
void PrintReceiptByCommands(const std::string& text);

// The millisecond counter the receipt reads its times from; GetTickCount unless a test puts
// another one in place (to put a counter wrap between the two readings). Returns the previous one.
using TickSource = DWORD(WINAPI*)();
TickSource SetReceiptTickSource(TickSource source);

// Milliseconds from start to end of a 32-bit counter that may have wrapped once in between.
long long ElapsedTicks(DWORD start, DWORD end);
