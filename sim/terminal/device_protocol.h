// How a device answers on its serial line. The terminal hands each protocol
// what the host wrote and lets it speak unasked when it wants to, so a
// protocol is plain byte handling that can change without touching the
// lines or the loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zsim::term {

class DeviceProtocol {
public:
    using Send = std::function<void(const std::string&)>;

    virtual ~DeviceProtocol() = default;
    virtual void received(const uint8_t* data, size_t size, int64_t nowMs) = 0;
    // When the device next wants to speak unasked; nullopt while it does not.
    virtual std::optional<int64_t> nextTick() const { return std::nullopt; }
    virtual void tick(int64_t /*nowMs*/) {}
};

}  // namespace zsim::term
