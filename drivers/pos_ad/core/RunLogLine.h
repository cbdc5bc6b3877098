// Lines of the run log: one per call, with time, call and arguments, outcome and bytes sent.
#pragma once

#include <string>
#include <string_view>

namespace runlog {

struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "pos_ad_YYYYMMDD.log": one file a day.
std::string FileName(const Stamp& when);

// A text argument in double quotes with C escapes for control bytes, quotes and backslashes;
// GBK bytes stay as they are. Past maxBytes the text is cut and its full length noted.
std::string Quote(const char* text, size_t maxBytes = 160);

// Raw bytes as hexadecimal pairs in brackets, all of them.
std::string Hex(const char* bytes, int length);

// "YYYY-MM-DD hh:mm:ss.mmm call -> outcome; sent N bytes" and CR LF.
std::string Line(const Stamp& when, std::string_view call, std::string_view outcome, size_t bytesSent);

} // namespace runlog
