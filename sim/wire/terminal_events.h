// Entries of the wire record for what passes no serial line: the drawer's
// pulses and the jobs of the Windows printer queue.
#pragma once

#include <cstdint>
#include <string>

#include "terminal/drawer.h"

namespace zsim::wire {

// "opened by printer: ESC p on pin 2, on 100 ms, off 500 ms"
std::string drawerWords(const term::DrawerPulse& pulse);
// "job of the Windows queue "title": 4096 bytes of PostScript, 1 page(s), filed as driver-0007"
std::string driverJobWords(const std::string& title, uint64_t postscriptBytes, size_t pages, int job,
                           const std::string& error);

}  // namespace zsim::wire
