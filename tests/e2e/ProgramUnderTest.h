// ZantorPosTest as a user starts it beside our two libraries, with the settings file the run
// command writes for the virtual terminal (changed by a test where it needs), driven from outside
// through window messages.
#pragma once

#include "ProgramDriver.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Section, key, value.
struct SettingChange {
    std::string section, key, value;
};

// C:\Morvane\scales.ini as the run command writes it, with the changes applied through the same
// profile functions the program uses.
bool WriteTerminalSettings(const std::vector<SettingChange>& changes, std::string& error);
std::string ReadSetting(const std::string& section, const std::string& key);

class ProgramUnderTest {
public:
    ~ProgramUnderTest() { Stop(); }

    bool Start(std::string& error);
    // Closes the program with its close button; ends it by force if it does not go in time.
    void Stop();

    ProgramDriver& Driver() { return m_driver; }

private:
    PROCESS_INFORMATION m_process {};
    ProgramDriver m_driver;
};
