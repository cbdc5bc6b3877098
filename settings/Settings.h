// The terminal's configuration: one process-wide record and its INI file, which the device
// library reads too. Every read and write of the file goes through the functions below.
#pragma once

#include <string>

// [POS] TYPE. The file may hold any number; one that names no model matches none of these.
enum class MachineModel { RX720 = 0, RX520 = 1, Veyla = 2 };
// [CashDrawer] ControlType. Anything but the main board counts as the printer.
enum class DrawerControl { MainBoard = 0, Printer = 1 };

struct Settings {
    std::string iniPath = "C:\\Morvane\\scales.ini"; // set once, never stored in the file
    int softwareType = 0; // [SOFT] type: 0 Quillo, 1 Morvane, 99 other
    int machineModel = 0; // [POS] TYPE: 0 RX720, 1 RX520, 2 Veyla
    int runLog = 0; // [POS] LOG
    std::string printerPort; // [PRINTER] PORT: USB, COM1..COM6, LPT1
    int printerBaud = 0; // [PRINTER] RATE; 0 when none was chosen
    int imageDensity = 0; // [Print] Density: 0..3, -1 when none was chosen
    int lineSpacing = 0; // [PRINTER] LINESPACE
    int drawerControl = 0; // [CashDrawer] ControlType: 0 main board, 1 printer
    std::string boardType; // [POS] BOARD: J1900, J1900D, I3/I5
    std::string scalePort; // [SCALE] PORT: COM1..COM12
    int scaleBaud = 0; // [SCALE] RATE
    int negativeWeightAlarm = 0; // [POS] ALARM

    bool IsModel(MachineModel model) const { return machineModel == static_cast<int>(model); }
    bool IsDrawerOnBoard() const { return drawerControl == static_cast<int>(DrawerControl::MainBoard); }
};

extern Settings g_settings;

// Replaces every stored field with the file's value or its default. A missing file is no error.
void loadSettings(Settings& settings);

// Writes all twelve keys, creating the settings folder first if it is missing. Returns true only
// when every key reached the file; a read-only file is left untouched and reported as false.
bool saveSettings(const Settings& settings);

// Values longer than 99 bytes come back cut to their first 99 bytes.
std::string readProfileString(
    const std::string& section, const std::string& key, const std::string& defaultValue, const std::string& path);
bool writeProfileInt(const std::string& section, const std::string& key, int value, const std::string& path);
