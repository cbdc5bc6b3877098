#include "wire/sdk_stream.h"

#include <algorithm>
#include <sstream>

#include "terminal/scale/sdk_scale_protocol.h"
#include "wire/quoted.h"

namespace zsim::wire {

namespace {

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    return fields;
}

std::string onOff(const std::string& arg) { return arg == "1" ? "on" : arg == "0" ? "off" : quoted(arg); }

std::string command(const std::string& line) {
    const std::string arg = line.size() > 2 && line[1] == ',' ? line.substr(2) : std::string();
    switch (line.empty() ? 0 : line[0]) {
    case 'R': return "send a reading";
    case 'Z': return "zero";
    case 'T': return "take or clear the tare";
    case 'P': return "preset tare " + arg + " g";
    case 'U': return "unit " + arg;
    case 'F': return arg + " readings a second";
    case 'M': return "automatic readings " + onOff(arg);
    case 'O': return "zero at power-on " + onOff(arg);
    default: return "a command the scale does not know";
    }
}

std::string fromScale(const std::string& line) {
    const std::vector<std::string> f = fieldsOf(line);
    if (f.size() == 7 && f[0] == "W") {
        const std::string status = f[1] == "S"   ? "stable"
                                   : f[1] == "U" ? "in motion"
                                                 : "fault (overload, underload or not zeroed)";
        const std::string& unit = f[3];
        return "reading: " + status + ", " + (f[2] == "Z" ? "at zero" : "not at zero") + "; net " + f[4] + " " + unit +
               ", tare " + f[5] + " " + unit + ", gross " + f[6] + " " + unit;
    }
    if (f.size() == 2 && f[0] == "A") return f[1] + " done";
    if (f.size() >= 3 && f[0] == "N") return f[1] + " refused: " + line.substr(3 + f[1].size());
    return "line";
}

}  // namespace

void SdkStream::take(Direction d, const uint8_t* p, size_t n, std::vector<Item>& out) {
    std::string& line = lines_[d == Direction::ToDevice ? 0 : 1];
    for (size_t i = 0; i < n; ++i) {
        line += static_cast<char>(p[i]);
        const bool ends = p[i] == '\n';
        // A line beyond the longest the scale takes is shown in pieces, never held whole.
        if (!ends && line.size() <= term::SdkScaleProtocol::kMaxLine + 2) continue;
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const bool plain = ends && text.size() <= term::SdkScaleProtocol::kMaxLine &&
                           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
        std::string what;
        if (!plain) {
            what = "not a line the scale reads " + quoted(text, 40);
        } else if (d == Direction::ToDevice) {
            what = text.empty() || text[0] < 'A' || text[0] > 'Z' ? "ignored " + quoted(text)
                                                                  : quoted(text) + " " + command(text);
        } else {
            what = quoted(text) + " " + fromScale(text);
        }
        out.push_back(Item(std::move(what), reinterpret_cast<const uint8_t*>(line.data()), line.size()));
        line.clear();
    }
}

}  // namespace zsim::wire
