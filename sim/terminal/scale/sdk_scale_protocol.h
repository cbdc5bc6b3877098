// The SDK scale's line protocol. The host sends one command per line
// ("Z", "T", "P,1250", "U,g", "O,1", "M,0", "F,20", "R"); the scale answers
// "A,<letter>" when it carried a command out and "N,<letter>,<why>" when
// not, and sends readings "W,<S|U|F>,<Z|N>,<unit>,<net>,<tare>,<gross>" on
// request and, in automatic mode, by itself several times a second. Lines
// end in CR LF. A line that does not start with a capital letter, or holds
// a byte that is not printable ASCII, is ignored.
#pragma once

#include <string>

#include "terminal/device_protocol.h"
#include "terminal/scale/scale_model.h"

namespace zsim::term {

class SdkScaleProtocol : public DeviceProtocol {
public:
    static constexpr size_t kMaxLine = 126;
    static constexpr int kMaxRate = 100;

    SdkScaleProtocol(ScaleModel& scale, Send send, int readingsPerSecond);

    void received(const uint8_t* data, size_t size, int64_t nowMs) override;
    std::optional<int64_t> nextTick() const override;
    void tick(int64_t nowMs) override;

    bool autoMode() const { return autoMode_; }
    int rate() const { return rate_; }
    void setRate(int readingsPerSecond);
    uint64_t readingsSent() const { return readings_; }
    uint64_t requests() const { return requests_; }  // lines the host sent that were not ignored
    uint64_t linesIgnored() const { return ignored_; }

    // The reading line as it goes out, without its line end.
    static std::string readingText(const ScaleReading& reading, WeightUnit unit);

private:
    void handleLine(const std::string& line, int64_t nowMs);
    void sendReading(int64_t nowMs);
    void answer(char letter, const Refusal& refused);

    ScaleModel& scale_;
    Send send_;
    bool autoMode_ = true;
    int rate_;
    int64_t nextReading_ = 0;
    std::string line_;
    bool spoiled_ = false;
    uint64_t readings_ = 0;
    uint64_t requests_ = 0;
    uint64_t ignored_ = 0;
};

}  // namespace zsim::term
