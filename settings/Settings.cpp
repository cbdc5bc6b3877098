#include "Settings.h"

#include <windows.h>

#include <cstdio>

Settings g_settings;

namespace {

int Read(const IntKey& key, const std::string& path)
{
    return static_cast<int>(::GetPrivateProfileIntA(key.section, key.name, key.fallback, path.c_str()));
}

std::string Read(const TextKey& key, const std::string& path)
{
    return readProfileString(key.section, key.name, key.fallback, path);
}

bool Write(const IntKey& key, int value, const std::string& path)
{
    return writeProfileInt(key.section, key.name, value, path);
}

bool Write(const TextKey& key, const std::string& value, const std::string& path)
{
    return ::WritePrivateProfileStringA(key.section, key.name, value.c_str(), path.c_str()) != FALSE;
}

// Hands each stored field to visit with its key, in the order of the file: a save into a new file
// writes its sections and keys in this order.
template <typename Record, typename Visit> void ForEachStored(Record& s, const Visit& visit)
{
    visit(keys::kSoftwareType, s.softwareType);
    visit(keys::kMachineModel, s.machineModel);
    visit(keys::kRunLog, s.runLog);
    visit(keys::kPrinterPort, s.printerPort);
    visit(keys::kPrinterBaud, s.printerBaud);
    visit(keys::kLineSpacing, s.lineSpacing);
    visit(keys::kImageDensity, s.imageDensity);
    visit(keys::kDrawerControl, s.drawerControl);
    visit(keys::kBoardType, s.boardType);
    visit(keys::kScalePort, s.scalePort);
    visit(keys::kScaleBaud, s.scaleBaud);
    visit(keys::kNegativeWeightAlarm, s.negativeWeightAlarm);
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
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), text, path.c_str()) != FALSE;
}

void loadSettings(Settings& s)
{
    ForEachStored(s, [&s](const auto& key, auto& field) { field = Read(key, s.iniPath); });
}

bool saveSettings(const Settings& s)
{
    // Windows refuses to write a read-only file; check first so that the outcome is the same
    // where the process could override the attribute (an administrator, or Wine run as root).
    if (!ensureParentFolder(s.iniPath) || isReadOnlyFile(s.iniPath))
        return false;
    bool ok = true;
    ForEachStored(s, [&](const auto& key, const auto& field) { ok &= Write(key, field, s.iniPath); });
    return ok;
}
