#include "Settings.h"

#include <windows.h>

#include <cstdio>

Settings g_settings;

namespace {

bool writeProfileString(const char* section, const char* key, const std::string& value, const std::string& path)
{
    return ::WritePrivateProfileStringA(section, key, value.c_str(), path.c_str()) != FALSE;
}

// A field of the record and its key in the file, a number or a text.
class StoredField {
public:
    StoredField(const IntKey& key, int Settings::*field) : m_intKey(&key), m_number(field) { }
    StoredField(const TextKey& key, std::string Settings::*field) : m_textKey(&key), m_text(field) { }

    void Load(Settings& s) const
    {
        if (m_intKey)
            s.*m_number = static_cast<int>(
                ::GetPrivateProfileIntA(m_intKey->section, m_intKey->name, m_intKey->fallback, s.iniPath.c_str()));
        else
            s.*m_text = readProfileString(m_textKey->section, m_textKey->name, m_textKey->fallback, s.iniPath);
    }
    bool Save(const Settings& s) const
    {
        return m_intKey ? writeProfileInt(m_intKey->section, m_intKey->name, s.*m_number, s.iniPath)
                        : writeProfileString(m_textKey->section, m_textKey->name, s.*m_text, s.iniPath);
    }

private:
    const IntKey* m_intKey = nullptr;
    int Settings::*m_number = nullptr;
    const TextKey* m_textKey = nullptr;
    std::string Settings::*m_text = nullptr;
};

// In the order of the file: a save into a new file writes its sections and keys in this order.
const StoredField kStoredFields[] = {
    {keys::kSoftwareType, &Settings::softwareType},
    {keys::kMachineModel, &Settings::machineModel},
    {keys::kRunLog, &Settings::runLog},
    {keys::kPrinterPort, &Settings::printerPort},
    {keys::kPrinterBaud, &Settings::printerBaud},
    {keys::kLineSpacing, &Settings::lineSpacing},
    {keys::kImageDensity, &Settings::imageDensity},
    {keys::kDrawerControl, &Settings::drawerControl},
    {keys::kBoardType, &Settings::boardType},
    {keys::kScalePort, &Settings::scalePort},
    {keys::kScaleBaud, &Settings::scaleBaud},
    {keys::kNegativeWeightAlarm, &Settings::negativeWeightAlarm},
};

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
    for (const StoredField& field : kStoredFields)
        field.Load(s);
}

bool saveSettings(const Settings& s)
{
    // Windows refuses to write a read-only file; check first so that the outcome is the same
    // where the process could override the attribute (an administrator, or Wine run as root).
    if (!ensureParentFolder(s.iniPath) || isReadOnlyFile(s.iniPath))
        return false;
    bool ok = true;
    for (const StoredField& field : kStoredFields)
        ok &= field.Save(s);
    return ok;
}
