#include "wire/board_stream.h"

#include <cstdio>

#include "terminal/board/board_frame.h"
#include "terminal/board/board_protocol.h"
#include "wire/quoted.h"

namespace zsim::wire {

namespace {

using term::board::Frame;

std::string letter(uint8_t c) { return c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : "?"; }

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string request(const Frame& f) {
    const bool bare = f.payload.empty();
    switch (f.command) {
    case 'W': return bare ? "read the weight" : "W with a payload (the board refuses it)";
    case 'Z': return bare ? "zero" : "Z with a payload (the board refuses it)";
    case 'T': return bare ? "take the tare" : "T with a payload (the board refuses it)";
    case 'C': return bare ? "clear the tare" : "C with a payload (the board refuses it)";
    case 'D': return bare ? "is the drawer open?" : "D with a payload (the board refuses it)";
    case 'O': return "open the drawer, board type " + quoted(f.payload);
    default: return "unknown request (the board refuses it)";
    }
}

std::string answer(const Frame& f) {
    const std::string& p = f.payload;
    switch (f.command) {
    case 'W': {
        if (p.size() != 15) break;
        const int flags = p[0] - '0';
        return std::string((flags & 1) ? "stable" : "not stable") + ", " + ((flags & 2) ? "at zero" : "not at zero") +
               ", " + ((flags & 4) ? "tare set" : "no tare") + "; net " + trimmed(p.substr(1, 7)) + " kg, tare " +
               trimmed(p.substr(8, 7)) + " kg";
    }
    case 'Z':
    case 'T':
    case 'C':
    case 'O':
        if (p == "0") return "done";
        if (p == "1") return "refused";
        break;
    case 'D':
        if (p == "0") return "drawer open";
        if (p == "1") return "drawer closed";
        break;
    case 'N': return "refused request " + quoted(p);
    default: break;
    }
    return "answer";
}

// The frame's fields, so a wrong length or check byte can be seen.
std::string fields(const Frame& f) {
    uint8_t check = static_cast<uint8_t>(f.command ^ f.payload.size());
    for (char c : f.payload) check ^= static_cast<uint8_t>(c);
    char bcc[8];
    std::snprintf(bcc, sizeof bcc, "%02X", check);
    return "STX '" + letter(f.command) + "' len " + std::to_string(f.payload.size()) +
           (f.payload.empty() ? "" : " " + quoted(f.payload)) + " BCC " + bcc + " ETX";
}

}  // namespace

void BoardStream::take(Direction d, const uint8_t* p, size_t n, int64_t nowMs, std::vector<Item>& out) {
    Side& side = sides_[d == Direction::ToDevice ? 0 : 1];
    std::string& buffer = side.buffer;
    auto bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
    // As the board: a piece of a frame left this long is given up.
    if (!buffer.empty() && nowMs - side.lastMs > term::BoardProtocol::kStaleMs) {
        out.push_back(Item("piece of a frame, given up", bytes(buffer), buffer.size()));
        buffer.clear();
    }
    side.lastMs = nowMs;
    std::string ignored;
    auto flushIgnored = [&] {
        if (!ignored.empty()) out.push_back(Item("no frame (bytes the board ignores)", bytes(ignored), ignored.size()));
        ignored.clear();
    };
    // Byte by byte, as the board reads them, so the buffer never holds more than one frame.
    for (size_t i = 0; i < n; ++i) {
        buffer += static_cast<char>(p[i]);
        for (;;) {
            const std::string before = buffer;
            Frame frame;
            const bool whole = term::board::take(buffer, frame);
            // take() only drops bytes from the front: the frame, and what came before it.
            const size_t consumed = before.size() - buffer.size();
            const size_t frameLength = whole ? frame.payload.size() + 5 : 0;
            ignored.append(before, 0, consumed - frameLength);
            if (!whole) break;
            flushIgnored();
            const std::string words = d == Direction::ToDevice ? request(frame) : answer(frame);
            out.push_back(Item(letter(frame.command) + ": " + words + " · " + fields(frame),
                               bytes(before) + consumed - frameLength, frameLength));
        }
    }
    flushIgnored();
}

}  // namespace zsim::wire
