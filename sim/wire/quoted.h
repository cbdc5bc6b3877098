// Bytes from a line as readable text for the wire view: GBK (GB18030)
// decoded, as the printer reads text in Chinese mode, printable ASCII as it
// is, anything else as \xNN, so an entry always stays on one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zsim::wire {

// In double quotes, at most maxChars characters, then "…".
std::string quoted(const uint8_t* p, size_t n, size_t maxChars = 80);
inline std::string quoted(const std::string& s, size_t maxChars = 80) {
    return quoted(reinterpret_cast<const uint8_t*>(s.data()), s.size(), maxChars);
}
// How many bytes at the end of p[0..n) begin a GBK character whose rest has
// not come yet (0 when the bytes end on a whole character).
size_t unfinishedGbk(const uint8_t* p, size_t n);

}  // namespace zsim::wire
