// The cash drawer: a pulse from the printer's kick connector or from the
// main board springs it open; it stays open until someone pushes it shut,
// which the terminal plays as a set time after the last opening (or a
// command).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "terminal/event_loop.h"

namespace zsim::term {

// One opening as the drawer saw it: who sent it and, for the printer's kick
// connector, the pin and the pulse's on and off times.
struct DrawerPulse {
    std::string by;
    std::string command;  // "ESC p", "DLE DC4"; empty from the board
    int pin = 0;          // 2 or 5; 0 from the board
    int onMs = 0;
    int offMs = 0;
    int64_t atMs = 0;  // wall clock, ms since the epoch
};

class Drawer {
public:
    static constexpr size_t kPulsesKept = 20;

    // changed runs after every change of state, on the loop's thread.
    Drawer(EventLoop& loop, int64_t autoCloseMs, std::function<void(bool open)> changed);
    ~Drawer();

    void open(const std::string& by);
    void open(const DrawerPulse& pulse);
    void close();
    bool isOpen() const { return open_; }

    // 0: stays open until closed by command.
    void setAutoCloseMs(int64_t ms);
    int64_t autoCloseMs() const { return autoCloseMs_; }
    uint64_t openings() const { return openings_; }
    const std::string& openedBy() const { return openedBy_; }
    const std::deque<DrawerPulse>& pulses() const { return pulses_; }  // oldest first
    // Hears of every opening, also of an open drawer's.
    void onPulse(std::function<void(const DrawerPulse&)> listener) { pulsed_ = std::move(listener); }

private:
    void armTimer();

    EventLoop& loop_;
    int64_t autoCloseMs_;
    std::function<void(bool)> changed_;
    bool open_ = false;
    uint64_t openings_ = 0;
    std::string openedBy_;
    EventLoop::TimerId timer_ = 0;
    std::deque<DrawerPulse> pulses_;
    std::function<void(const DrawerPulse&)> pulsed_;
};

}  // namespace zsim::term
