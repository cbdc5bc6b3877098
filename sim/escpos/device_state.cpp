#include "escpos/device_state.h"

namespace zsim::escpos {

DeviceStatus SettableDeviceState::status() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

void SettableDeviceState::set(const DeviceStatus& s) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = s;
}

bool pin3High(const DeviceStatus& s, DrawerSwitch wiring) {
    return wiring == DrawerSwitch::OpenIsHigh ? s.drawerOpen : !s.drawerOpen;
}

bool offline(const DeviceStatus& s) {
    return s.paperOut || s.coverOpen || s.cutterError || s.unrecoverableError || s.autoRecoverableError;
}

namespace {
constexpr uint8_t kFixed = 0x12;  // bits 1 and 4 are always set in DLE EOT answers
uint8_t bit(bool on, int n) { return on ? static_cast<uint8_t>(1u << n) : 0; }
bool anyError(const DeviceStatus& s) { return s.cutterError || s.unrecoverableError || s.autoRecoverableError; }
}  // namespace

uint8_t realtimeStatus(int n, const DeviceStatus& s, DrawerSwitch wiring) {
    switch (n) {
    case 1: return kFixed | bit(pin3High(s, wiring), 2) | bit(offline(s), 3) | bit(s.feedButtonPressed, 6);
    case 2:
        return kFixed | bit(s.coverOpen, 2) | bit(s.feedButtonPressed, 3) | bit(s.paperOut, 5) | bit(anyError(s), 6);
    case 3: return kFixed | bit(s.cutterError, 3) | bit(s.unrecoverableError, 5) | bit(s.autoRecoverableError, 6);
    case 4: return kFixed | (s.paperNearEnd || s.paperOut ? 0x0C : 0) | (s.paperOut ? 0x60 : 0);
    default: return kFixed;
    }
}

uint8_t paperSensorStatus(const DeviceStatus& s) {
    return (s.paperNearEnd || s.paperOut ? 0x03 : 0) | (s.paperOut ? 0x0C : 0);
}

uint8_t drawerStatus(const DeviceStatus& s, DrawerSwitch wiring) { return pin3High(s, wiring) ? 1 : 0; }

std::vector<uint8_t> automaticStatus(const DeviceStatus& s, DrawerSwitch wiring) {
    // Bits 0, 1 clear and bit 4 set in the first byte tell ASB apart from
    // DLE EOT answers.
    const uint8_t b1 =
        0x10 | bit(pin3High(s, wiring), 2) | bit(offline(s), 3) | bit(s.coverOpen, 5) | bit(s.feedButtonPressed, 6);
    const uint8_t b2 = bit(s.cutterError, 3) | bit(s.unrecoverableError, 5) | bit(s.autoRecoverableError, 6);
    const uint8_t b3 = paperSensorStatus(s);
    return {b1, b2, b3, 0x00};
}

}  // namespace zsim::escpos
