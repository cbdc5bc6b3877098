// A recording stand-in for pos_ad_dll.dll, linked into the test programs in place of the import
// library: every call is kept with its arguments, and each function's result can be scripted.
// Built with the C calling convention (fake_pos_ad) and, for i686, also with __stdcall
// (fake_pos_ad_stdcall), as a maker's library may be.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fake_pos_ad {

struct Call {
    std::string fn;
    std::string text; // the string argument, if the function takes one
    std::vector<int> ints; // the integer arguments, in order

    std::string str() const; // readable form for failure messages
};

// Forgets the calls and restores every default: results 1 (240 for the scale calls), drawer
// closed, version "FakeAD 1.0", record "3  0.000,  0.000".
void Reset();
const std::vector<Call>& Calls();
std::vector<Call> CallsOf(const std::string& fn);
std::vector<std::string> Names();

// Every later call of fn returns value.
void SetResult(const std::string& fn, int value);
// The next calls of fn return these values first, in order.
void QueueResults(const std::string& fn, std::vector<int> values);
// Runs during each call of fn, after it is recorded (to look at the world at that moment).
void OnCall(const std::string& fn, std::function<void()> hook);

// What GetDllVersion copies into the caller's buffer, with its NUL, however long it is.
void SetVersion(const std::string& text);
// The bytes read_standard copies into the caller's record (at most 18).
void SetRecord(const std::string& bytes);

} // namespace fake_pos_ad
