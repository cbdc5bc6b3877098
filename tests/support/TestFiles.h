// Folders and files for tests, inside the test prefix's C: drive.
#pragma once

#include <functional>
#include <string>

// An empty folder C:\ztests\<name>\ (removed and made again), with a trailing backslash.
std::string FreshTestFolder(const std::string& name);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Runs the queued messages of this thread until none is left (timers and posted readings).
void PumpMessages();
// The bound of a wait for something that must happen: the waits end as soon as it has, so this
// only ends a test that hangs, however slow the machine is.
constexpr int kHungMs = 30000;

// Runs this thread's messages as they come until done() holds or timeoutMs has passed; returns
// whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
