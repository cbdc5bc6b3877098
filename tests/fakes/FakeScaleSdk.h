// The tests' side of the fake MvScalesSDK.dll (FakeScaleSdk.cpp): its controls, reached in the
// copy of the fake that the program has loaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fake_scale_sdk {

// The loaded fake, or null while the program has not loaded it.
HMODULE Module();
// How often a fake was loaded into this process (each load counts, even one released again).
int Loads();

// Forgets the calls and scripted results (every call returns 1 again), ends a firing.
void Reset();
// "OPO_Open(COM4:115200)", "OPO_Zero", ... in order.
std::vector<std::string> Calls();
// Every later call of fn returns value.
void SetResult(const std::string& fn, int value);

using Callback = void(__stdcall*)(const char* text, int unused);
Callback RegisteredCallback();

// Calls the registered callback count times, every intervalMicros, from the fake's own thread;
// texts are used in turn, "{n}" in a text becoming the reading's number from 0. Returns at once.
void StartFiring(const std::vector<std::string>& texts, int count, int intervalMicros);
// Ends the firing after the reading under way; WaitFiring tells when it has ended.
void StopFiring();
// True when the firing has ended within timeoutMs.
bool WaitFiring(int timeoutMs);
int Fired();

// The next OPO_Open waits until the current firing has ended, at most maxWaitMs; OpenWaitTimedOut
// tells whether it gave up waiting.
void BlockNextOpen(int maxWaitMs);
bool OpenWaitTimedOut();

} // namespace fake_scale_sdk
