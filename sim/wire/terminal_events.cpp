#include "wire/terminal_events.h"

#include <cstdio>

#include "wire/quoted.h"

namespace zsim::wire {

std::string drawerWords(const term::DrawerPulse& p) {
    std::string out = "drawer opened by " + p.by;
    if (!p.command.empty())
        out += ": " + p.command + " on pin " + std::to_string(p.pin) + ", on " + std::to_string(p.onMs) + " ms, off " +
               std::to_string(p.offMs) + " ms";
    return out;
}

std::string driverJobWords(const std::string& title, uint64_t postscriptBytes, size_t pages, int job,
                           const std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "driver-%04d", job);
    std::string out = "job of the Windows queue " + quoted(title, 60) + ": " + std::to_string(postscriptBytes) +
                      " bytes of PostScript, " + std::to_string(pages) + " page(s), filed as " + name;
    if (!error.empty()) out += "; " + error;
    return out;
}

}  // namespace zsim::wire
