// The journal backend ([PosAdDll] Backend=journal): every call the program makes, with its
// arguments and result, appended as one readable line to a text file, and no device touched.
// It lets a person or a test see exactly what the program asked for.
#pragma once

#include <string>

namespace journal {

// [PosAdDll] Journal, or this file when the key is empty.
extern const char kDefaultPath[];

// Appends "<local time> <call> = <result>". Failures to write are ignored: a journal must never
// turn a call into a failure.
void Append(const std::string& path, const std::string& call, int result);

// Raw bytes as hexadecimal pairs in brackets.
std::string Hex(const char* bytes, int length);

} // namespace journal
