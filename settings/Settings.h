// The terminal's configuration: one process-wide record and its INI file, which the device
// library reads too. Every read and write of the file goes through the functions below.
#pragma once

#include "SettingsKeys.h"

#include <string>

// The stored model. The file may hold any number; one that names no model matches none of these.
enum class MachineModel { RX720 = 0, RX520 = 1, Veyla = 2 };
// Who drives the cash drawer. Anything but the main board counts as the printer.
enum class DrawerControl { MainBoard = 0, Printer = 1 };

// The values at process start; every load replaces the stored fields (each bound to its key in
// Settings.cpp) with the file's values or the keys' defaults.
struct Settings {
    std::string iniPath = keys::kSettingsFile; // set once, never stored in the file
    int softwareType = 0; // 0 Quillo, 1 Morvane, 99 other
    int machineModel = 0; // MachineModel
    int runLog = 0; // 1: the library keeps a run log
    std::string printerPort; // USB, COM1..COM6, LPT1
    int printerBaud = 0; // 0 when none was chosen
    int imageDensity = 0; // 0..3, -1 when none was chosen
    int lineSpacing = 0;
    int drawerControl = 0; // DrawerControl
    std::string boardType; // J1900, J1900D, I3/I5
    std::string scalePort; // COM1..COM12
    int scaleBaud = 0;
    int negativeWeightAlarm = 0; // 1: raise the alarm

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
