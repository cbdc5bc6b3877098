// The settings file the program and the device library share: where it is, and each key with its
// section and the value a missing key reads as. Both sides name a key only through these, so
// neither can read a setting differently from the other.
#pragma once

// A key of the file: its section, its name, and what it reads as when it is missing.
template <typename Value> struct Key {
    const char* section;
    const char* name;
    Value fallback;
};
using IntKey = Key<int>;
using TextKey = Key<const char*>;

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

// Read by the device library alone; the setup page never writes them (docs/pos-ad.md).
constexpr TextKey kPrinterAddress {"PosAdDll", "PrinterAddress", ""};
constexpr TextKey kUsbDevice {"PosAdDll", "UsbDevice", ""};
constexpr IntKey kPaperWidth {"PosAdDll", "PaperWidth", 576};
constexpr TextKey kBoardPort {"PosAdDll", "BoardPort", ""};
constexpr IntKey kBoardBaud {"PosAdDll", "BoardRate", 0};
constexpr IntKey kDrawerOpenHigh {"PosAdDll", "DrawerOpenHigh", 1};

} // namespace keys
