// Turns GBK/GB18030 sequences (Chinese mode) into Unicode. Single bytes go
// through the model's code page tables (models/printer_models.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zsim::escpos {

// How many bytes the GB18030 sequence starting with these bytes has:
// 0 = not a valid start, -1 = need more bytes to tell.
int gbSequenceLength(const uint8_t* s, size_t n);
// Decodes one complete 2- or 4-byte sequence; false if it maps to nothing.
bool decodeGb(const uint8_t* s, size_t n, char32_t& out);
// Appends cp to out as UTF-8: what the glyphs, the report and the wire record are written in.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace zsim::escpos
