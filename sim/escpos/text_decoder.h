// Turns the printer's character codes into Unicode: single bytes through the
// code page chosen with ESC t, and GBK/GB18030 sequences in Chinese mode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zsim::escpos {

// Unicode for byte b (>= 0x80) in ESC t page n; false if the page is not one
// this printer has (the caller then falls back to page 0, CP437).
bool codePageChar(int page, uint8_t b, char32_t& out);
bool knownCodePage(int page);

// How many bytes the GB18030 sequence starting with these bytes has:
// 0 = not a valid start, -1 = need more bytes to tell.
int gbSequenceLength(const uint8_t* s, size_t n);
// Decodes one complete 2- or 4-byte sequence; false if it maps to nothing.
bool decodeGb(const uint8_t* s, size_t n, char32_t& out);

}  // namespace zsim::escpos
