// The texts the page shows from a weighing record of read_standard: status byte 0 is 0x30 plus
// flags (1 stable, 2 at zero, 4 tare present), bytes 1-7 the net and 9-15 the tare weight text.
#pragma once

#include <cstddef>
#include <string>

// The status flags of byte 0 (the byte minus 0x30, as one byte).
unsigned char StatusBits(const char* record);

// "稳定" or "不稳定", then " 零位" or " 非零位".
std::string DeviceStatusText(unsigned char bits);

// The status flags as two hexadecimal digits, a comma, and the record's text from byte 1 up to
// the first NUL within size bytes.
std::string DiagnosticLine(const char* record, size_t size);

// count bytes from byte from, fewer when a NUL comes first.
std::string RecordText(const char* record, size_t from, size_t count);
