// The Linux side of a test run under Wine: shell commands for the private CUPS server and for
// ghostscript, and the paths Wine shows the Linux file system under (drive Z:).
#pragma once

#include <string>

// Linux file names and tool output are UTF-8.
std::wstring FromUtf8(const std::string& utf8);

// A Linux path as the Windows program names it.
std::string DosPath(const std::string& unixPath);

// Runs command with /bin/sh on the Linux side (Wine starts Linux programs itself) and waits
// for it at most timeoutMs. Returns its exit code, or -1 when it could not start or did not
// end in time. output receives what it wrote to stdout and stderr.
int RunOnHost(const std::string& command, std::string* output = nullptr, unsigned timeoutMs = 60000);

// The value of an environment variable the test run was started with; empty when unset.
std::string EnvOr(const char* name, const std::string& fallback = {});
