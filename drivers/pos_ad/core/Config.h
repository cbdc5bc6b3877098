// What the library reads from the settings file when a connection opens. The program's own keys
// come first; [PosAdDll] holds the keys that only this library knows (docs/pos-ad.md).
#pragma once

#include <string>

struct PosAdConfig {
    int runLog = 0; // [POS] LOG
    std::string printerPort = "USB"; // [PRINTER] PORT
    int printerBaud = 115200; // [PRINTER] RATE
    int lineSpace = 10; // [PRINTER] LINESPACE
    int density = 3; // [Print] Density
    int drawerControl = 0; // [CashDrawer] ControlType: 0 main board, else printer
    std::string boardType = "J1900"; // [POS] BOARD
    std::string scalePort = "COM4"; // [SCALE] PORT
    int scaleBaud = 115200; // [SCALE] RATE

    std::string printerAddress; // [PosAdDll] PrinterAddress: a network printer, instead of PORT
    std::string usbDevice; // [PosAdDll] UsbDevice: a device path, instead of the first found
    int paperWidth = 576; // [PosAdDll] PaperWidth, dots
    std::string boardPort; // [PosAdDll] BoardPort, else [SCALE] PORT
    int boardBaud = 0; // [PosAdDll] BoardRate, else [SCALE] RATE
    int drawerOpenHigh = 1; // [PosAdDll] DrawerOpenHigh: 1 = drawer pin 3 high means open
};

enum class PortKind { Serial, Parallel, Usb, Network, Invalid };

struct PortSpec {
    PortKind kind = PortKind::Invalid;
    std::string name; // as configured, for messages
    std::string device; // \\.\COMn, \\.\LPTn, a USB device path (empty: the first found)
    std::string host; // numeric address of a network printer
    int tcpPort = 9100;
    int baud = 0;
    std::string error; // why kind is Invalid
};

// "COM1".."COM255", "LPT1".."LPT3", "USB", or [PosAdDll] PrinterAddress "a.b.c.d[:port]"
// (or "[v6]:port"), which wins over PORT when set.
PortSpec PrinterPort(const PosAdConfig& config);
// The board's serial line.
PortSpec BoardPort(const PosAdConfig& config);
