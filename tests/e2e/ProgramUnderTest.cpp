#include "ProgramUnderTest.h"

#include <string>

namespace {

const char kIniPath[] = "C:\\Morvane\\scales.ini";
// What the fixture's run of the run command's settings step wrote, kept for every test to start from.
const char kTerminalIni[] = "C:\\Morvane\\terminal-scales.ini";

const unsigned kStartBoundMs = 60000;
const unsigned kCloseBoundMs = 15000;

std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

} // namespace

bool WriteTerminalSettings(const std::vector<SettingChange>& changes, std::string& error)
{
    if (!::CopyFileA(kTerminalIni, kIniPath, FALSE)) {
        error = std::string("cannot copy ") + kTerminalIni + " to " + kIniPath;
        return false;
    }
    for (const SettingChange& change : changes) {
        if (!::WritePrivateProfileStringA(change.section.c_str(), change.key.c_str(), change.value.c_str(), kIniPath)) {
            error = "cannot write [" + change.section + "] " + change.key;
            return false;
        }
    }
    return true;
}

std::string ReadSetting(const std::string& section, const std::string& key)
{
    char value[256] = {};
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, kIniPath);
    return value;
}

bool ProgramUnderTest::Start(std::string& error)
{
    const std::wstring folder = ProgramFolder();
    std::wstring commandLine = L"\"" + folder + L"\\ZantorPosTest.exe\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &m_process)) {
        error = "ZantorPosTest.exe does not start: error " + std::to_string(::GetLastError());
        return false;
    }
    return m_driver.Attach(m_process.dwProcessId, kStartBoundMs, error);
}

void ProgramUnderTest::Stop()
{
    if (!m_process.hProcess)
        return;
    std::string ignored;
    if (::WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0 &&
        !(m_driver.MainWindow() && m_driver.Close(kCloseBoundMs, ignored))) {
        // A program stuck in a handler would hold the terminal's ports for the next test.
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, kCloseBoundMs);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION {};
}
