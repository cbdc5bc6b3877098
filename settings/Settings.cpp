#include "Settings.h"

#include <windows.h>

#include <cstdio>

Settings g_settings;

namespace {

int readProfileInt(const char* section, const char* key, int defaultValue, const std::string& path)
{
    return static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

bool writeProfileString(const char* section, const char* key, const std::string& value, const std::string& path)
{
    return ::WritePrivateProfileStringA(section, key, value.c_str(), path.c_str()) != FALSE;
}

// Creates every missing folder above path. True when the folder of path exists afterwards.
bool ensureParentFolder(const std::string& path)
{
    const size_t lastSlash = path.find_last_of("\\/");
    if (lastSlash == std::string::npos || lastSlash == 0)
        return true;
    const std::string folder = path.substr(0, lastSlash);
    for (size_t pos = folder.find_first_of("\\/", 3);; pos = folder.find_first_of("\\/", pos + 1)) {
        const std::string prefix = folder.substr(0, pos);
        if (!prefix.empty() && prefix.back() != ':')
            ::CreateDirectoryA(prefix.c_str(), nullptr);
        if (pos == std::string::npos)
            break;
    }
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isReadOnlyFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace

std::string readProfileString(
    const std::string& section, const std::string& key, const std::string& defaultValue, const std::string& path)
{
    char buffer[100] = {};
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, sizeof buffer, path.c_str());
    return buffer;
}

bool writeProfileInt(const std::string& section, const std::string& key, int value, const std::string& path)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return writeProfileString(section.c_str(), key.c_str(), text, path);
}

void loadSettings(Settings& s)
{
    const std::string& file = s.iniPath;
    s.softwareType = readProfileInt("SOFT", "type", 0, file);
    s.machineModel = readProfileInt("POS", "TYPE", 0, file);
    s.runLog = readProfileInt("POS", "LOG", 0, file);
    s.printerPort = readProfileString("PRINTER", "PORT", "USB", file);
    s.printerBaud = readProfileInt("PRINTER", "RATE", 115200, file);
    s.lineSpacing = readProfileInt("PRINTER", "LINESPACE", 10, file);
    s.imageDensity = readProfileInt("Print", "Density", 3, file);
    s.drawerControl = readProfileInt("CashDrawer", "ControlType", 0, file);
    s.boardType = readProfileString("POS", "BOARD", "J1900", file);
    s.scalePort = readProfileString("SCALE", "PORT", "COM4", file);
    s.scaleBaud = readProfileInt("SCALE", "RATE", 115200, file);
    s.negativeWeightAlarm = readProfileInt("POS", "ALARM", 0, file);
}

bool saveSettings(const Settings& s)
{
    const std::string& file = s.iniPath;
    // Windows refuses to write a read-only file; check first so that the outcome is the same
    // where the process could override the attribute (an administrator, or Wine run as root).
    if (!ensureParentFolder(file) || isReadOnlyFile(file))
        return false;

    bool ok = true;
    ok &= writeProfileInt("SOFT", "type", s.softwareType, file);
    ok &= writeProfileInt("POS", "TYPE", s.machineModel, file);
    ok &= writeProfileInt("POS", "LOG", s.runLog, file);
    ok &= writeProfileString("PRINTER", "PORT", s.printerPort, file);
    ok &= writeProfileInt("PRINTER", "RATE", s.printerBaud, file);
    ok &= writeProfileInt("PRINTER", "LINESPACE", s.lineSpacing, file);
    ok &= writeProfileInt("Print", "Density", s.imageDensity, file);
    ok &= writeProfileInt("CashDrawer", "ControlType", s.drawerControl, file);
    ok &= writeProfileString("POS", "BOARD", s.boardType, file);
    ok &= writeProfileString("SCALE", "PORT", s.scalePort, file);
    ok &= writeProfileInt("SCALE", "RATE", s.scaleBaud, file);
    ok &= writeProfileInt("POS", "ALARM", s.negativeWeightAlarm, file);
    return ok;
}
