// The scale's line protocol: what the host sends, what the scale answers, and how received bytes
// become lines. Pure text handling; the serial port and the threads are elsewhere.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace scale_protocol {

// Characters of one line before its CR LF. A longer line is dropped whole.
constexpr size_t kMaxLineLength = 126;

enum class LineKind { Reading, Accepted, Refused, Other };

struct Line {
    LineKind kind = LineKind::Other;
    char command = 0; // the command letter an acknowledgement answers
};

// Sorts one received line (without its line end). A reading must match its format exactly.
Line Classify(const std::string& line);

// "Z\r\n", or "P,1250\r\n" with an argument.
std::string CommandLine(char letter, const std::string& argument = {});

// Cuts received bytes into lines at LF (dropping one CR before it). Keeps at most one line of
// kMaxLineLength characters: a line that grows beyond it, or holds a byte outside printable ASCII,
// is dropped up to and including its LF, so garbage never reaches the classifier.
class LineAssembler {
public:
    void Feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine);

private:
    std::string m_line;
    bool m_spoiled = false;
};

} // namespace scale_protocol
