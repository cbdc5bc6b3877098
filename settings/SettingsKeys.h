// The settings file the program and the device library share: where it is, and each of the
// program's keys with its section and the value a missing key reads as. Both sides name a key only
// through these, so neither can read a setting differently from the other.
#pragma once

struct IntKey {
    const char* section;
    const char* name;
    int fallback;
};

struct TextKey {
    const char* section;
    const char* name;
    const char* fallback;
};

namespace keys {

constexpr char kSettingsFile[] = "C:\\Morvane\\scales.ini";
// The run log's folder, as the setup page hands it to the shell. Windows reads a doubled slash as
// one separator, so the library builds its log path on the same text.
constexpr char kLogFolder[] = "C://morvane//log";

constexpr IntKey kSoftwareType {"SOFT", "type", 0};
constexpr IntKey kMachineModel {"POS", "TYPE", 0};
constexpr IntKey kRunLog {"POS", "LOG", 0};
constexpr TextKey kPrinterPort {"PRINTER", "PORT", "USB"};
constexpr IntKey kPrinterBaud {"PRINTER", "RATE", 115200};
constexpr IntKey kLineSpacing {"PRINTER", "LINESPACE", 10};
constexpr IntKey kImageDensity {"Print", "Density", 3};
constexpr IntKey kDrawerControl {"CashDrawer", "ControlType", 0};
constexpr TextKey kBoardType {"POS", "BOARD", "J1900"};
constexpr TextKey kScalePort {"SCALE", "PORT", "COM4"};
constexpr IntKey kScaleBaud {"SCALE", "RATE", 115200};
constexpr IntKey kNegativeWeightAlarm {"POS", "ALARM", 0};

} // namespace keys
