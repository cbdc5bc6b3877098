#include "terminal/device_line.h"

#include <poll.h>

namespace zsim::term {

DeviceLine::DeviceLine(EventLoop& loop, std::unique_ptr<PtyPort> port) : loop_(loop), port_(std::move(port)) {}

DeviceLine::~DeviceLine() {
    loop_.unwatch(port_->fd());
    if (timer_) loop_.cancel(timer_);
}

void DeviceLine::start(std::unique_ptr<DeviceProtocol> protocol) {
    protocol_ = std::move(protocol);
    loop_.watch(port_->fd(), POLLIN, [this](short) { readable(); });
    reschedule();
}

void DeviceLine::readable() {
    uint8_t buffer[4096];
    // Bounded per wake-up, so a host that writes without pause cannot keep
    // the other devices waiting.
    for (int round = 0; round < 16; ++round) {
        const long n = port_->read(buffer, sizeof buffer);
        if (n <= 0) break;
        received_ += static_cast<uint64_t>(n);
        if (wire_) wire_->bytes(wireProtocol_, wireName_, wire::Direction::ToDevice, buffer, static_cast<size_t>(n));
        protocol_->received(buffer, static_cast<size_t>(n), nowMs());
    }
    reschedule();
}

void DeviceLine::send(const std::string& bytes) {
    if (wire_)
        wire_->bytes(wireProtocol_, wireName_, wire::Direction::ToHost, reinterpret_cast<const uint8_t*>(bytes.data()),
                     bytes.size());
    port_->send(bytes);
}

void DeviceLine::setWire(wire::Record* record, wire::Protocol protocol, std::string name) {
    wire_ = record;
    wireProtocol_ = protocol;
    wireName_ = std::move(name);
}

void DeviceLine::reschedule() {
    if (timer_) loop_.cancel(timer_);
    timer_ = 0;
    const std::optional<int64_t> next = protocol_ ? protocol_->nextTick() : std::nullopt;
    if (!next) return;
    timer_ = loop_.after(*next - nowMs(), [this] {
        timer_ = 0;
        protocol_->tick(nowMs());
        reschedule();
    });
}

}  // namespace zsim::term
