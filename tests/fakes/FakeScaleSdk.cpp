// A recording stand-in for MvScalesSDK.dll, built as a DLL of that name into a test's own folder:
// every call is kept with its argument, each result can be scripted, and the registered callback
// can be fired from a thread of the fake's own. Built once more without OPO_PowOnZero.
// The tests reach the controls below through FakeScaleSdk.h.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using ResultCallback = void(__stdcall*)(const char* text, int unused);

namespace {

struct Firing {
    std::vector<std::string> texts;
    int count = 0;
    int intervalMicros = 0;
};

struct State {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::map<std::string, int> results;
    std::atomic<ResultCallback> callback {nullptr};

    std::thread firer;
    std::atomic<int> fired {0};
    std::atomic<bool> stopFiring {false};
    HANDLE firingDone = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);

    int openBlockMs = 0; // the next OPO_Open waits for firingDone at most this long
    bool openWaitTimedOut = false;
};

// Never destroyed: the firing thread may outlive the test's static objects.
State& S()
{
    static State* state = new State;
    return *state;
}

int Record(const std::string& fn, const std::string& argument = {})
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.calls.push_back(argument.empty() ? fn : fn + "(" + argument + ")");
    const auto result = s.results.find(fn);
    return result == s.results.end() ? 1 : result->second;
}

void Fire(Firing firing)
{
    State& s = S();
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < firing.count && !s.stopFiring.load(); ++i) {
        const long long due = start.QuadPart + frequency.QuadPart * firing.intervalMicros / 1000000 * i;
        for (::QueryPerformanceCounter(&now); now.QuadPart < due; ::QueryPerformanceCounter(&now))
            ::Sleep((due - now.QuadPart) * 2000 >= frequency.QuadPart ? 1 : 0); // sleep from half a ms on
        std::string text = firing.texts[static_cast<size_t>(i) % firing.texts.size()];
        const size_t number = text.find("{n}");
        if (number != std::string::npos)
            text.replace(number, 3, std::to_string(i));
        if (const ResultCallback callback = s.callback.load())
            callback(text.c_str(), static_cast<int>(text.size()));
        s.fired.fetch_add(1);
    }
    ::SetEvent(s.firingDone);
}

std::string Text(const char* text)
{
    return text ? text : "(null)";
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    // Counts the loads of this process in the environment, which outlives the library itself.
    if (reason == DLL_PROCESS_ATTACH) {
        char count[16] = "0";
        ::GetEnvironmentVariableA("ZPT_FAKE_SCALE_SDK_LOADS", count, sizeof count);
        ::SetEnvironmentVariableA("ZPT_FAKE_SCALE_SDK_LOADS", std::to_string(std::atoi(count) + 1).c_str());
    }
    return TRUE;
}

__declspec(dllexport) int __stdcall OPO_SetModuleCallBack(ResultCallback callback)
{
    S().callback.store(callback);
    return Record("OPO_SetModuleCallBack");
}
__declspec(dllexport) int __stdcall OPO_SetAutoMode(int on)
{
    return Record("OPO_SetAutoMode", std::to_string(on));
}
__declspec(dllexport) int __stdcall OPO_Open(const char* portAndBaud)
{
    State& s = S();
    int blockMs = 0;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        blockMs = s.openBlockMs;
        s.openBlockMs = 0;
    }
    if (blockMs > 0 && ::WaitForSingleObject(s.firingDone, static_cast<DWORD>(blockMs)) != WAIT_OBJECT_0) {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.openWaitTimedOut = true;
    }
    return Record("OPO_Open", Text(portAndBaud));
}
__declspec(dllexport) int __stdcall OPO_Close()
{
    return Record("OPO_Close");
}
__declspec(dllexport) int __stdcall OPO_GetResult(char* text, int size)
{
    if (text && size > 0)
        text[0] = '\0';
    return Record("OPO_GetResult");
}
__declspec(dllexport) int __stdcall OPO_ReadResultCache(char* text, int size)
{
    if (text && size > 0)
        text[0] = '\0';
    return Record("OPO_ReadResultCache");
}
__declspec(dllexport) int __stdcall OPO_SendFre(int perSecond)
{
    return Record("OPO_SendFre", std::to_string(perSecond));
}
__declspec(dllexport) int __stdcall OPO_Zero()
{
    return Record("OPO_Zero");
}
__declspec(dllexport) int __stdcall OPO_Tare()
{
    return Record("OPO_Tare");
}
__declspec(dllexport) int __stdcall OPO_PreTare(int grams)
{
    return Record("OPO_PreTare", std::to_string(grams));
}
__declspec(dllexport) int __stdcall OPO_SetUnit(int unit)
{
    return Record("OPO_SetUnit", std::to_string(unit));
}
#ifndef FAKE_SCALE_SDK_WITHOUT_POWONZERO
__declspec(dllexport) int __stdcall OPO_PowOnZero(int on)
{
    return Record("OPO_PowOnZero", std::to_string(on));
}
#endif

// Controls for the tests.

__declspec(dllexport) void FakeSdk_Reset()
{
    State& s = S();
    if (s.firer.joinable()) {
        s.stopFiring.store(true);
        ::WaitForSingleObject(s.firingDone, 10000);
        s.firer.join();
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    s.calls.clear();
    s.results.clear();
    s.fired.store(0);
    s.openBlockMs = 0;
    s.openWaitTimedOut = false;
}

// The calls so far, one a line; returns the length the whole list needs.
__declspec(dllexport) int FakeSdk_Calls(char* buffer, int size)
{
    State& s = S();
    std::string all;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        for (const std::string& call : s.calls)
            all += call + "\n";
    }
    if (buffer && size > 0) {
        const size_t copied = std::min(all.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, all.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(all.size());
}

__declspec(dllexport) void FakeSdk_SetResult(const char* fn, int value)
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.results[fn] = value;
}

__declspec(dllexport) ResultCallback FakeSdk_Callback()
{
    return S().callback.load();
}

// Starts calling the callback count times, every intervalMicros, from a thread of the fake's;
// texts are one a line and used in turn, "{n}" in a text becoming the reading's number from 0.
__declspec(dllexport) void FakeSdk_StartFiring(const char* texts, int count, int intervalMicros)
{
    State& s = S();
    if (s.firer.joinable()) {
        ::WaitForSingleObject(s.firingDone, 10000);
        s.firer.join();
    }
    Firing firing {{}, count, intervalMicros};
    std::string current;
    for (const char* p = texts; *p; ++p) {
        if (*p == '\n') {
            firing.texts.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    firing.texts.push_back(current);
    s.fired.store(0);
    s.stopFiring.store(false);
    ::ResetEvent(s.firingDone);
    s.firer = std::thread(Fire, std::move(firing));
}

// Ends the current firing after the reading under way.
__declspec(dllexport) void FakeSdk_StopFiring()
{
    S().stopFiring.store(true);
}

__declspec(dllexport) int FakeSdk_WaitFiring(int timeoutMs)
{
    return ::WaitForSingleObject(S().firingDone, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0 ? 1 : 0;
}

__declspec(dllexport) int FakeSdk_Fired()
{
    return S().fired.load();
}

// The next OPO_Open waits until the current firing has ended, at most maxWaitMs.
__declspec(dllexport) void FakeSdk_BlockNextOpen(int maxWaitMs)
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.openBlockMs = maxWaitMs;
    s.openWaitTimedOut = false;
}

__declspec(dllexport) int FakeSdk_OpenWaitTimedOut()
{
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.openWaitTimedOut ? 1 : 0;
}

} // extern "C"
