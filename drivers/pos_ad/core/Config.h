// What the library reads from the settings file when a connection opens: the program's own keys,
// and in [PosAdDll] the keys that only this library knows (docs/pos-ad.md).
#pragma once

#include "settings/SettingsKeys.h"

#include <string>

// Each field as a missing key reads.
struct PosAdConfig {
    int runLog = keys::kRunLog.fallback;
    std::string printerPort = keys::kPrinterPort.fallback;
    int printerBaud = keys::kPrinterBaud.fallback;
    int lineSpace = keys::kLineSpacing.fallback;
    int density = keys::kImageDensity.fallback;
    int drawerControl = keys::kDrawerControl.fallback; // 0 main board, else printer
    std::string boardType = keys::kBoardType.fallback;
    std::string scalePort = keys::kScalePort.fallback;
    int scaleBaud = keys::kScaleBaud.fallback;

    std::string printerAddress = keys::kPrinterAddress.fallback; // a network printer, instead of the port
    std::string usbDevice = keys::kUsbDevice.fallback; // a device path, instead of the first found
    int paperWidth = keys::kPaperWidth.fallback; // dots
    std::string boardPort = keys::kBoardPort.fallback; // else the scale's port
    int boardBaud = keys::kBoardBaud.fallback; // else the scale's rate
    int drawerOpenHigh = keys::kDrawerOpenHigh.fallback; // 1 = drawer pin 3 high means open
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
