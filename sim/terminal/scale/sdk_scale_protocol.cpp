#include "terminal/scale/sdk_scale_protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zsim::term {

namespace {

std::string fixed(int64_t value, int64_t divisor, int decimals) {
    const int64_t magnitude = std::llabs(value);
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", value < 0 ? "-" : "", static_cast<long long>(magnitude / divisor),
                  decimals, static_cast<long long>(magnitude % divisor));
    return text;
}

std::string inUnit(int64_t grams, WeightUnit unit) {
    switch (unit) {
    case WeightUnit::G: return std::to_string(grams);
    case WeightUnit::Lb: {
        const int64_t tenThousandths = std::llround(static_cast<double>(grams) / 453.59237 * 10000.0);
        return fixed(tenThousandths, 10000, 4);
    }
    case WeightUnit::Kg: break;
    }
    return fixed(grams, 1000, 3);
}

// "1".."100", "0" or "1", "0".."99999": plain digits, no sign, no blanks.
std::optional<long> number(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    return std::strtol(text.c_str(), nullptr, 10);
}

}  // namespace

SdkScaleProtocol::SdkScaleProtocol(ScaleModel& scale, Send send, int readingsPerSecond)
    : scale_(scale), send_(std::move(send)), rate_(std::clamp(readingsPerSecond, 1, kMaxRate)) {}

void SdkScaleProtocol::setRate(int readingsPerSecond) { rate_ = std::clamp(readingsPerSecond, 1, kMaxRate); }

std::string SdkScaleProtocol::readingText(const ScaleReading& r, WeightUnit unit) {
    const char* status = (r.overload || r.underload || r.notZeroed) ? "F" : r.stable ? "S" : "U";
    return std::string("W,") + status + "," + (r.atZero ? "Z" : "N") + "," + unitName(unit) + "," +
           inUnit(r.net, unit) + "," + inUnit(r.tare, unit) + "," + inUnit(r.gross, unit);
}

void SdkScaleProtocol::received(const uint8_t* data, size_t size, int64_t nowMs) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = data[i];
        if (c == '\n') {
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            if (spoiled_)
                ++ignored_;
            else
                handleLine(line_, nowMs);
            line_.clear();
            spoiled_ = false;
            continue;
        }
        if (spoiled_) continue;
        const bool afterCr = !line_.empty() && line_.back() == '\r';
        const bool printable = c >= 0x20 && c <= 0x7E;
        if (afterCr || (!printable && c != '\r') || line_.size() >= kMaxLine) {
            spoiled_ = true;
            line_.clear();
            continue;
        }
        line_ += static_cast<char>(c);
    }
}

void SdkScaleProtocol::answer(char letter, const Refusal& refused) {
    send_(refused ? std::string("N,") + letter + "," + *refused + "\r\n" : std::string("A,") + letter + "\r\n");
}

void SdkScaleProtocol::handleLine(const std::string& line, int64_t nowMs) {
    const char letter = line.empty() ? 0 : line[0];
    if (letter < 'A' || letter > 'Z') {
        ++ignored_;
        return;
    }
    ++requests_;
    if (line.size() > 1 && line[1] != ',') return answer(letter, std::string("bad command"));
    const bool hasArgument = line.size() > 1;
    const std::string argument = hasArgument ? line.substr(2) : std::string();
    const Refusal badArgument = std::string("bad argument");
    switch (letter) {
    case 'R':
        if (hasArgument) return answer(letter, badArgument);
        return sendReading(nowMs);
    case 'Z': return answer(letter, hasArgument ? badArgument : scale_.zero(nowMs));
    case 'T': return answer(letter, hasArgument ? badArgument : scale_.toggleTare(nowMs));
    case 'P': {
        const auto grams = number(argument, 5);
        return answer(letter, grams ? scale_.presetTare(*grams) : badArgument);
    }
    case 'U': {
        const auto unit = parseUnit(argument);
        if (unit) scale_.setUnit(*unit);
        return answer(letter, unit ? Refusal() : badArgument);
    }
    case 'O':
    case 'M': {
        const auto on = number(argument, 1);
        if (!on || *on > 1) return answer(letter, badArgument);
        if (letter == 'O') {
            scale_.setPowerOnZero(*on == 1);
        } else {
            if (*on == 1 && !autoMode_) nextReading_ = nowMs;
            autoMode_ = *on == 1;
        }
        return answer(letter, std::nullopt);
    }
    case 'F': {
        const auto perSecond = number(argument, 3);
        if (!perSecond || *perSecond < 1 || *perSecond > kMaxRate) return answer(letter, badArgument);
        setRate(static_cast<int>(*perSecond));
        nextReading_ = std::min(nextReading_, nowMs + 1000 / rate_);
        return answer(letter, std::nullopt);
    }
    default: return answer(letter, std::string("unknown command"));
    }
}

void SdkScaleProtocol::sendReading(int64_t nowMs) {
    send_(readingText(scale_.read(nowMs), scale_.unit()) + "\r\n");
    ++readings_;
}

std::optional<int64_t> SdkScaleProtocol::nextTick() const {
    if (!autoMode_) return std::nullopt;
    return nextReading_;
}

void SdkScaleProtocol::tick(int64_t nowMs) {
    if (!autoMode_ || nowMs < nextReading_) return;
    sendReading(nowMs);
    // Keep the cadence, but never send a burst to catch up after a stall.
    const int64_t period = 1000 / rate_;
    nextReading_ += period;
    if (nextReading_ <= nowMs) nextReading_ = nowMs + period;
}

}  // namespace zsim::term
