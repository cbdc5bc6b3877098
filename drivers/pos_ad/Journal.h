// The journal backend: every call the program makes, with its arguments and result, appended as
// one readable line to a text file. It is what the library does where no device is configured,
// and it lets a person or a test see exactly what the program asked for.
#pragma once

#include <string>

namespace journal {

// The file in use: [PosAdDll] Journal of the settings file, else C:\Morvane\pos_ad_journal.log.
// Read again after Reload(), which ClosePrinterEx calls.
std::string Path();
void Reload();

// Appends "<local time> <call> = <result>". Failures to write are ignored: a journal must never
// turn a call into a failure.
void Append(const std::string& call, int result);

// Argument formatting for journal lines.
std::string Quote(const char* text);
std::string Hex(const char* bytes, int length);

} // namespace journal
