// What the printer knows about its surroundings: paper, cover, the drawer
// wired to its kick connector. Owned by whoever plays the hardware; the
// interpreter only reads it when the host asks for status.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace zsim::escpos {

struct DeviceStatus {
    bool drawerOpen = false;
    bool paperOut = false;
    bool paperNearEnd = false;
    bool coverOpen = false;
    bool feedButtonPressed = false;
    bool cutterError = false;
    bool unrecoverableError = false;
    bool autoRecoverableError = false;
};

class DeviceState {
public:
    virtual ~DeviceState() = default;
    // May be called from the thread that feeds the printer while another
    // thread changes the state; implementations must be thread-safe.
    virtual DeviceStatus status() const = 0;
};

// A state that is simply set from outside (control client, tests).
class SettableDeviceState : public DeviceState {
public:
    DeviceStatus status() const override;
    void set(const DeviceStatus& s);

private:
    mutable std::mutex mutex_;
    DeviceStatus status_;
};

// How the drawer's switch drives connector pin 3. The usual drawer pulls
// the pin low while it stands open; some wire it the other way round.
enum class DrawerSwitch : uint8_t { OpenIsLow, OpenIsHigh };

bool pin3High(const DeviceStatus& s, DrawerSwitch wiring);
// Cover open, paper end and every error stop the printer: it prints nothing
// until the cause is gone, and keeps what it receives.
bool offline(const DeviceStatus& s);

// Status answers as the host reads them.
uint8_t realtimeStatus(int n, const DeviceStatus& s, DrawerSwitch wiring);         // DLE EOT n, n = 1..4
uint8_t paperSensorStatus(const DeviceStatus& s);                                  // GS r 1, ESC v
uint8_t drawerStatus(const DeviceStatus& s, DrawerSwitch wiring);                  // GS r 2, ESC u
std::vector<uint8_t> automaticStatus(const DeviceStatus& s, DrawerSwitch wiring);  // GS a

}  // namespace zsim::escpos
