// Measures the scale page for scripts/bench-scale.sh; not a test.
//   scale_bench latency SECONDS COMn   readings at 100 Hz from a scale played on COMn (the serial
//                                      bridge must be up), through our SDK, to the page: time from
//                                      the SDK's callback to the gross field's text being set
//   scale_bench command ROUNDS COMn    our SDK's OPO_Zero against a scale on COMn that answers at
//                                      once, each after a pause that lets the SDK's reader go idle
//   scale_bench idle SECONDS PID HZ [stopped]
//                                      the main window in device-library mode with weighing
//                                      started (or not) and nothing else to do: CPU time of this
//                                      program and of its Wine server (Linux pid PID, HZ ticks/s)
#include "app/ZantorPosTestApp.h"
#include "app/ZantorPosTestDlg.h"
#include "bench/Responder.h"
#include "bench/Stopwatch.h"
#include "devices/ScaleSdk.h"
#include "framework/Seams.h"
#include "settings/Settings.h"
#include "support/SerialPeer.h"
#include "support/TestFiles.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// This program's CPU time, all threads.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

// User and system CPU time of another Linux process in clock ticks, read through Wine's Z:
// drive. (Wine's server opens the file, so "self" would be the server, not this program.)
double LinuxCpuTicks(const std::string& pid)
{
    std::ifstream in("Z:\\proc\\" + pid + "\\stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i) {
        if (i >= 14)
            ticks += std::atof(field.c_str());
    }
    return ticks;
}

// Runs the window's messages as a modal dialog's loop would, waking only for them; with stop,
// also looks at it every 50 ms.
void RunMessagesFor(double ms, const std::atomic<bool>* stop = nullptr)
{
    const double end = NowMs() + ms;
    for (double now = NowMs(); now < end && !(stop && stop->load()); now = NowMs()) {
        const DWORD wait = stop ? 50 : static_cast<DWORD>(end - now) + 1;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void UseSettings(const std::string& content)
{
    g_settings.iniPath = FreshTestFolder("bench") + "scales.ini";
    WriteWholeFile(g_settings.iniPath, content);
}

void Click(CWnd& page, int id)
{
    page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// Readings carry their sequence number as the gross weight: "W,S,N,kg,1.000,0.000,<n>.000".
const size_t kMaxReadings = 100000;
std::vector<double> g_sentAt(kMaxReadings), g_calledAt(kMaxReadings);
std::vector<double> g_wireMs, g_pageMs;
WNDPROC g_editProc = nullptr;

long SequenceOf(const char* text)
{
    const char* gross = std::strrchr(text, ',');
    return gross ? std::strtol(gross + 1, nullptr, 10) : -1;
}

void __stdcall TimedCallback(const char* text, int length)
{
    const double now = NowMs();
    const long n = SequenceOf(text);
    if (n >= 0 && static_cast<size_t>(n) < kMaxReadings)
        g_calledAt[static_cast<size_t>(n)] = now;
    CPageScale::onScaleResult(text, length);
}

LRESULT CALLBACK GrossFieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam) {
        const double now = NowMs();
        const long n = std::wcstol(reinterpret_cast<const wchar_t*>(lParam), nullptr, 10);
        if (n > 0 && static_cast<size_t>(n) < kMaxReadings && g_calledAt[static_cast<size_t>(n)] > 0) {
            g_pageMs.push_back(now - g_calledAt[static_cast<size_t>(n)]);
            g_wireMs.push_back(g_calledAt[static_cast<size_t>(n)] - g_sentAt[static_cast<size_t>(n)]);
        }
    }
    return ::CallWindowProcW(g_editProc, hwnd, message, wParam, lParam);
}

int Latency(int seconds, int com)
{
    SerialPeer scale(com);
    if (!scale.Connected()) {
        std::fprintf(stderr, "%s\n", scale.Error().c_str());
        return 1;
    }
    UseSettings("[POS]\r\nTYPE=0\r\n[SCALE]\r\nPORT=COM" + std::to_string(com) + "\r\n");
    CZantorPosTestDlg dlg;
    if (!dlg.Create(nullptr) || !g_scaleSdk.module)
        return 1;
    dlg.ShowPage(CZantorPosTestDlg::kPageScale);
    CPageScale& page = dlg.m_pageScale;
    g_scaleSdk.OPO_SetModuleCallBack(&TimedCallback);
    const HWND gross = page.GetDlgItem(IDC_SCALE_FIELD_3);
    g_editProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(gross, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GrossFieldProc)));
    Click(page, IDC_SCALE_OPEN);

    const int total = std::min<int>(seconds * 100, static_cast<int>(kMaxReadings) - 1);
    std::atomic<bool> done {false};
    std::thread player([&] {
        const double start = NowMs();
        for (int n = 1; n <= total; ++n) {
            const double due = start + (n - 1) * 10.0;
            while (NowMs() < due)
                ::Sleep(1);
            g_sentAt[static_cast<size_t>(n)] = NowMs();
            scale.Send("W,S,N,kg,1.000,0.000," + std::to_string(n) + ".000\r\n");
        }
        ::Sleep(500);
        done = true;
    });
    RunMessagesFor(seconds * 1000.0 + 5000.0, &done);
    player.join();
    Click(page, IDC_SCALE_CLOSE);

    std::printf("readings sent            %d at 100 Hz\n", total);
    std::printf("shown one by one         %zu (the rest folded into a later one)\n", g_pageMs.size());
    std::printf("callback -> field text   p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", Percentile(g_pageMs, 0.5),
        Percentile(g_pageMs, 0.99), Percentile(g_pageMs, 1.0));
    std::printf("sent on the line -> callback (bridge, pty, SDK)  p50 %.3f ms  p99 %.3f ms\n",
        Percentile(g_wireMs, 0.5), Percentile(g_wireMs, 0.99));
    return g_pageMs.empty() ? 1 : 0;
}

void __stdcall IgnoreReading(const char*, int)
{
}

int Command(int rounds, int com)
{
    const Responder scale(com, "Z\r\n", "A,Z\r\n");
    if (!scale.Ok() || !loadScaleSdk()) {
        std::fprintf(stderr, "no scale line on COM%d or no SDK\n", com);
        return 1;
    }
    g_scaleSdk.OPO_SetModuleCallBack(&IgnoreReading);
    if (g_scaleSdk.OPO_Open(("COM" + std::to_string(com) + ":115200").c_str()) != 1)
        return 1;
    std::vector<double> times;
    int refused = 0;
    for (int round = 0; round < rounds; ++round) {
        // Pauses that fall at every point of the reader's idle cycle, as a click does.
        ::Sleep(250 + 37 * static_cast<DWORD>(round % 11));
        const double start = NowMs();
        refused += g_scaleSdk.OPO_Zero() != 1;
        times.push_back(NowMs() - start);
    }
    g_scaleSdk.OPO_Close();
    std::printf("OPO_Zero answered at once    p50 %.1f ms  p90 %.1f ms  max %.1f ms, %d of %d not accepted\n",
        Percentile(times, 0.5), Percentile(times, 0.9), Percentile(times, 1.0), refused, rounds);
    return 0;
}

int Idle(int seconds, const std::string& serverPid, double ticksPerSecond, bool weighing)
{
    UseSettings("[POS]\r\nTYPE=1\r\n");
    CZantorPosTestDlg dlg;
    if (!dlg.Create(nullptr))
        return 1;
    dlg.ShowPage(CZantorPosTestDlg::kPageScale);
    if (weighing)
        Click(dlg.m_pageScale, IDC_SCALE_OPEN);
    RunMessagesFor(1500); // settle

    const double program0 = ProcessCpuMs(), server0 = LinuxCpuTicks(serverPid), wall0 = NowMs();
    RunMessagesFor(seconds * 1000.0);
    const double program = ProcessCpuMs() - program0, server = LinuxCpuTicks(serverPid) - server0;
    const double wallSeconds = (NowMs() - wall0) / 1000.0;
    std::printf("idle, read timer %s, %.1f s: program %.3f %% of one core, Wine server %.3f %%\n",
        weighing ? "running" : "stopped", wallSeconds, program / 10.0 / wallSeconds,
        100.0 * server / ticksPerSecond / wallSeconds);
    std::printf("status field now: %s\n", dlg.m_pageScale.GetDlgItemText(IDC_SCALE_STATUS).empty() ? "(empty)" : "set");
    Click(dlg.m_pageScale, IDC_SCALE_CLOSE);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    CurrentSeams().messageBox = [](HWND, const std::string&, const char*, UINT) { return IDOK; };
    const std::string mode = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (mode == "latency")
        return Latency(seconds, argc > 3 ? std::atoi(argv[3]) : 10);
    if (mode == "command")
        return Command(argc > 2 ? std::atoi(argv[2]) : 40, argc > 3 ? std::atoi(argv[3]) : 10);
    if (mode == "idle" && argc > 4)
        return Idle(seconds, argv[3], std::atof(argv[4]), argc <= 5 || std::string(argv[5]) != "stopped");
    std::fprintf(stderr,
        "usage: scale_bench latency SECONDS COMn | command ROUNDS COMn | idle SECONDS WINESERVER-PID CLOCK-TICKS "
        "[stopped]\n");
    return 2;
}
