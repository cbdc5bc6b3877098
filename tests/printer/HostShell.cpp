#include "HostShell.h"

#include "support/TestFiles.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::string ScratchDir()
{
    return EnvOr("ZPT_HOST_SCRATCH", "/tmp");
}

} // namespace

std::wstring FromUtf8(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::string DosPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

int RunOnHost(const std::string& command, std::string* output, unsigned timeoutMs)
{
    static unsigned counter = 0;
    const std::string base =
        ScratchDir() + "/host-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    // The script reports its end through a file: the process Wine starts for a Linux program
    // cannot be waited on like a Windows one.
    WriteWholeFile(DosPath(base + ".sh"),
        "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\n"
        "export CUPS_SERVER='" +
            EnvOr("CUPS_SERVER") +
            "'\n"
            "( " +
            command + " ) >'" + base +
            ".out' 2>&1 </dev/null\n"
            "echo $? >'" +
            base + ".rc.part' && mv '" + base + ".rc.part' '" + base + ".rc'\n");

    std::wstring commandLine = L"Z:\\bin\\sh " + FromUtf8(base + ".sh");
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessW(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    const std::string rcFile = DosPath(base + ".rc");
    for (unsigned waited = 0; !FileExists(rcFile); waited += 50) {
        if (waited >= timeoutMs)
            return -1;
        ::Sleep(50);
    }
    if (output)
        *output = ReadWholeFile(DosPath(base + ".out"));
    const int rc = std::atoi(ReadWholeFile(rcFile).c_str());
    for (const char* suffix : {".sh", ".out", ".rc"})
        ::DeleteFileA(DosPath(base + suffix).c_str());
    return rc;
}
