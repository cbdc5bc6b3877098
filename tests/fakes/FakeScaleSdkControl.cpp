#include "FakeScaleSdk.h"

#include <cstdlib>
#include <stdexcept>

namespace fake_scale_sdk {
namespace {

template <typename Fn> Fn Control(const char* name)
{
    const HMODULE module = Module();
    const FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
    if (!address)
        throw std::runtime_error(std::string("the fake scale SDK is not loaded, or lacks ") + name);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

} // namespace

HMODULE Module()
{
    return ::GetModuleHandleA("MvScalesSDK.dll");
}

int Loads()
{
    char count[16] = "0";
    ::GetEnvironmentVariableA("ZPT_FAKE_SCALE_SDK_LOADS", count, sizeof count);
    return std::atoi(count);
}

void Reset()
{
    Control<void (*)()>("FakeSdk_Reset")();
}

std::vector<std::string> Calls()
{
    const auto calls = Control<int (*)(char*, int)>("FakeSdk_Calls");
    std::string all(static_cast<size_t>(calls(nullptr, 0)) + 1, '\0');
    calls(all.data(), static_cast<int>(all.size()));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(all.substr(start, end - start));
    return lines;
}

void SetResult(const std::string& fn, int value)
{
    Control<void (*)(const char*, int)>("FakeSdk_SetResult")(fn.c_str(), value);
}

Callback RegisteredCallback()
{
    return Control<Callback (*)()>("FakeSdk_Callback")();
}

void StartFiring(const std::vector<std::string>& texts, int count, int intervalMicros)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "\n") + text;
    Control<void (*)(const char*, int, int)>("FakeSdk_StartFiring")(joined.c_str(), count, intervalMicros);
}

void StopFiring()
{
    Control<void (*)()>("FakeSdk_StopFiring")();
}

bool WaitFiring(int timeoutMs)
{
    return Control<int (*)(int)>("FakeSdk_WaitFiring")(timeoutMs) == 1;
}

int Fired()
{
    return Control<int (*)()>("FakeSdk_Fired")();
}

void BlockNextOpen(int maxWaitMs)
{
    Control<void (*)(int)>("FakeSdk_BlockNextOpen")(maxWaitMs);
}

bool OpenWaitTimedOut()
{
    return Control<int (*)()>("FakeSdk_OpenWaitTimedOut")() == 1;
}

} // namespace fake_scale_sdk
