#include "terminal/board/board_protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zsim::term {

namespace {

// Seven characters, kilograms with three decimals, right-aligned; what does
// not fit is shown as the nearest value that does.
std::string weightText(int64_t grams) {
    grams = std::clamp<int64_t>(grams, -99999, 999999);
    const int64_t magnitude = std::llabs(grams);
    char text[16];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", grams < 0 ? "-" : "", static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    std::string out(text);
    return std::string(7 - std::min<size_t>(out.size(), 7), ' ') + out;
}

}  // namespace

BoardProtocol::BoardProtocol(ScaleModel& scale, BoardDrawer drawer, Send send)
    : scale_(scale), drawer_(std::move(drawer)), send_(std::move(send)) {}

std::string BoardProtocol::weightPayload(const ScaleReading& r) {
    // The board has no overload flag: an over- or underloaded cell is never
    // stable.
    const int flags = (r.stable && !r.overload && !r.underload ? 1 : 0) | (r.atZero ? 2 : 0) | (r.tarePresent ? 4 : 0);
    return std::string(1, static_cast<char>('0' + flags)) + weightText(r.net) + weightText(r.tare);
}

void BoardProtocol::received(const uint8_t* data, size_t size, int64_t nowMs) {
    if (!buffer_.empty() && nowMs - lastByteMs_ > kStaleMs) buffer_.clear();
    lastByteMs_ = nowMs;
    for (size_t i = 0; i < size; ++i) {
        buffer_ += static_cast<char>(data[i]);
        board::Frame request;
        while (board::take(buffer_, request)) handle(request, nowMs);
        // take() keeps at most the start of one frame.
    }
}

void BoardProtocol::reply(uint8_t command, const std::string& payload) { send_(board::build(command, payload)); }

void BoardProtocol::handle(const board::Frame& request, int64_t nowMs) {
    ++requests_;
    const bool bare = request.payload.empty();
    auto done = [&](const Refusal& refused) {
        if (refused) ++refused_;
        reply(request.command, refused ? "1" : "0");
    };
    switch (request.command) {
    case 'W':
        if (bare) return reply('W', weightPayload(scale_.read(nowMs)));
        break;
    case 'Z':
        if (bare) return done(scale_.zero(nowMs));
        break;
    case 'T':
        if (bare) return done(scale_.takeTare(nowMs));
        break;
    case 'C':
        if (bare) {
            scale_.clearTare();
            return done(std::nullopt);
        }
        break;
    case 'O':
        if (request.payload.size() == 1 && request.payload[0] >= '0' && request.payload[0] <= '3') {
            drawer_.open();
            return done(std::nullopt);
        }
        break;
    case 'D':
        if (bare) return reply('D', drawer_.isOpen() ? "0" : "1");
        break;
    default: break;
    }
    ++refused_;
    reply('N', std::string(1, static_cast<char>(request.command)));
}

}  // namespace zsim::term
