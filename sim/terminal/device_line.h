// A device protocol on its pseudo-terminal: what the host writes goes to the
// protocol, what the protocol says goes back, and the protocol is woken when
// it wants to speak unasked.
#pragma once

#include <memory>
#include <string>

#include "terminal/device_protocol.h"
#include "terminal/event_loop.h"
#include "terminal/pty_port.h"
#include "wire/wire_record.h"

namespace zsim::term {

class DeviceLine {
public:
    DeviceLine(EventLoop& loop, std::unique_ptr<PtyPort> port);
    ~DeviceLine();

    // The protocol's Send should call send() of this line.
    void start(std::unique_ptr<DeviceProtocol> protocol);
    void send(const std::string& bytes);
    // Every byte read and sent goes on this record too, as the line called name.
    void setWire(wire::Record* record, wire::Protocol protocol, std::string name);
    // Call after changing what decides the protocol's next unasked word.
    void reschedule();

    const PtyPort& port() const { return *port_; }
    uint64_t bytesReceived() const { return received_; }

private:
    void readable();

    EventLoop& loop_;
    std::unique_ptr<PtyPort> port_;
    std::unique_ptr<DeviceProtocol> protocol_;
    EventLoop::TimerId timer_ = 0;
    uint64_t received_ = 0;
    wire::Record* wire_ = nullptr;
    wire::Protocol wireProtocol_ = wire::Protocol::Board;
    std::string wireName_;
};

}  // namespace zsim::term
