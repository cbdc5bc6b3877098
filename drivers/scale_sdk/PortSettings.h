// The text that names a port and its speed: "COMn:baud".
#pragma once

#include <optional>
#include <string>

struct PortSettings {
    int number = 0; // n of COMn, 1..255
    unsigned baud = 0; // 110..921600

    std::string DeviceName() const; // "\\.\COMn", which also reaches COM10 and above
};

// Strict: "COM" in any letter case, the number without sign or leading zero, ":", the baud rate
// the same way, nothing before or after. Anything else, and a null pointer, gives nothing.
std::optional<PortSettings> ParsePortSettings(const char* text);
