#include "wire/status_words.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "escpos/command_table.h"

namespace zsim::wire {

namespace {

using escpos::DrawerSwitch;

bool bit(uint8_t b, int n) { return (b >> n) & 1; }

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : ", ") + w;
    return out;
}

std::string pin3(bool high, DrawerSwitch wiring) {
    const bool open = high == (wiring == DrawerSwitch::OpenIsHigh);
    return std::string("drawer pin 3 ") + (high ? "high" : "low") + (open ? " (open)" : " (closed)");
}

std::string paperSensors(bool nearEnd, bool end) {
    if (end) return "paper end";
    return nearEnd ? "paper near end" : "paper adequate";
}

std::string realTime(int n, uint8_t b, DrawerSwitch wiring) {
    std::vector<std::string> w;
    switch (n) {
    case 1:
        w = {pin3(bit(b, 2), wiring), bit(b, 3) ? "off line" : "on line"};
        if (bit(b, 5)) w.push_back("waiting for on-line recovery");
        if (bit(b, 6)) w.push_back("feed button pressed");
        return "printer status: " + joined(w);
    case 2:
        if (bit(b, 2)) w.push_back("cover open");
        if (bit(b, 3)) w.push_back("paper fed by the feed button");
        if (bit(b, 5)) w.push_back("printing stopped by paper end");
        if (bit(b, 6)) w.push_back("error");
        return "off-line cause: " + (w.empty() ? std::string("none") : joined(w));
    case 3:
        if (bit(b, 2)) w.push_back("mechanical error");
        if (bit(b, 3)) w.push_back("autocutter error");
        if (bit(b, 5)) w.push_back("unrecoverable error");
        if (bit(b, 6)) w.push_back("automatically recoverable error");
        return "error cause: " + (w.empty() ? std::string("none") : joined(w));
    case 4: return "roll paper sensor: " + paperSensors(bit(b, 2) || bit(b, 3), bit(b, 5) || bit(b, 6));
    default: return "real-time status";
    }
}

std::string printerId(int n, const uint8_t* p, size_t size) {
    if (size > 1 && p[0] == 0x5F) {
        const uint8_t* end = std::find(p + 1, p + size, 0);
        std::string text(reinterpret_cast<const char*>(p + 1), reinterpret_cast<const char*>(end));
        for (char& c : text)
            if (c < 0x20 || c > 0x7E) c = '?';
        return "printer information " + std::to_string(n) + ": \"" + text + "\"";
    }
    const int which = n >= 49 && n <= 51 ? n - 48 : n;
    char value[8];
    std::snprintf(value, sizeof value, "0x%02X", p[0]);
    switch (which) {
    case 1: return std::string("printer model ID ") + value;
    case 2: {
        std::vector<std::string> w;
        w.push_back(bit(p[0], 0) ? "two-byte characters" : "one-byte characters");
        w.push_back(bit(p[0], 1) ? "autocutter" : "no autocutter");
        return std::string("type ID ") + value + ": " + joined(w);
    }
    case 3: return std::string("version ID ") + value;
    default: return std::string("printer ID ") + value;
    }
}

}  // namespace

std::string answerWords(const Query& q, const uint8_t* p, size_t n, DrawerSwitch wiring) {
    if (n == 0) return "empty answer";
    switch (q.kind) {
    case Query::RealTime: return realTime(q.n, p[0], wiring);
    case Query::PaperSensor:
        return "paper sensors: " + paperSensors(bit(p[0], 0) || bit(p[0], 1), bit(p[0], 2) || bit(p[0], 3));
    case Query::Drawer: return pin3(bit(p[0], 0), wiring);
    case Query::PrinterId: return printerId(q.n, p, n);
    case Query::Pdf417Size: return "PDF417 size information";
    }
    return "answer";
}

bool isAutomaticStatus(const uint8_t* p, size_t n) { return n == 4 && (p[0] & 0x13) == 0x10; }

std::string automaticStatusWords(const uint8_t* p, DrawerSwitch wiring) {
    std::vector<std::string> w = {pin3(bit(p[0], 2), wiring), bit(p[0], 3) ? "off line" : "on line",
                                  bit(p[0], 5) ? "cover open" : "cover closed"};
    if (bit(p[0], 6)) w.push_back("feed button pressed");
    if (bit(p[1], 2)) w.push_back("mechanical error");
    if (bit(p[1], 3)) w.push_back("autocutter error");
    if (bit(p[1], 5)) w.push_back("unrecoverable error");
    if (bit(p[1], 6)) w.push_back("automatically recoverable error");
    w.push_back(paperSensors(bit(p[2], 0) || bit(p[2], 1), bit(p[2], 2) || bit(p[2], 3)));
    return "automatic status: " + joined(w);
}

std::string pulseWords(const uint8_t* c, size_t n) {
    using namespace escpos;
    auto pin = [](int m) { return m == 0 ? std::string("pin 2") : m == 1 ? std::string("pin 5") : std::string(); };
    if (n >= 5 && c[0] == ESC && c[1] == 'p') {
        const std::string which = pin(asciiOrBinary(c[2]));
        if (which.empty()) return "no drawer connector " + std::to_string(c[2]);
        return "drawer pulse on " + which + ", on " + std::to_string(c[3] * 2) + " ms, off " +
               std::to_string(c[4] * 2) + " ms";
    }
    if (n >= 5 && c[0] == DLE && c[1] == DC4 && c[2] == 1) {
        const std::string which = pin(c[3]);
        if (which.empty()) return "no drawer connector " + std::to_string(c[3]);
        const int ms = std::clamp<int>(c[4], 1, 8) * 100;
        return "drawer pulse on " + which + ", on " + std::to_string(ms) + " ms, off " + std::to_string(ms) + " ms";
    }
    return {};
}

}  // namespace zsim::wire
