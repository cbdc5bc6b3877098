// startup_probe PROGRAM RUNS: starts PROGRAM RUNS times; for each run prints the milliseconds
// from CreateProcess to its first visible top-level window, and from asking that window to
// close (WM_CLOSE) to the process's exit. Every wait is bounded.
#include "bench/Stopwatch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM RUNS\n");
        return 2;
    }
    const std::string program = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    std::vector<double> shown, exited;

    for (int run = 0; run < runs; ++run) {
        STARTUPINFOA startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        std::string commandLine = "\"" + program + "\"";
        const double start = NowMs();
        if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                &startup, &process)) {
            std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), ::GetLastError());
            return 1;
        }
        Search search {process.dwProcessId, nullptr};
        while (!search.found && NowMs() - start < 30000.0) {
            ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
            if (!search.found && ::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
                break;
        }
        if (!search.found) {
            std::fprintf(stderr, "run %d: no visible window within 30 s\n", run);
            ::TerminateProcess(process.hProcess, 1);
            return 1;
        }
        const double visible = NowMs();
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
        const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
        const double gone = NowMs();
        if (waited != WAIT_OBJECT_0) {
            std::fprintf(stderr, "run %d: did not exit within 30 s\n", run);
            ::TerminateProcess(process.hProcess, 1);
            return 1;
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        shown.push_back(visible - start);
        exited.push_back(gone - visible);
        std::printf("run %d: shown %.1f ms, exit %.1f ms\n", run, visible - start, gone - visible);
    }
    std::printf("median: shown %.1f ms, exit %.1f ms\n", Median(shown), Median(exited));
    return 0;
}
