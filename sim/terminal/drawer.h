// The cash drawer: a pulse from the printer's kick connector or from the
// main board springs it open; it stays open until someone pushes it shut,
// which the terminal plays as a set time after the last opening (or a
// command).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "terminal/event_loop.h"

namespace zsim::term {

class Drawer {
public:
    // changed runs after every change of state, on the loop's thread.
    Drawer(EventLoop& loop, int64_t autoCloseMs, std::function<void(bool open)> changed);
    ~Drawer();

    void open(const std::string& by);
    void close();
    bool isOpen() const { return open_; }

    // 0: stays open until closed by command.
    void setAutoCloseMs(int64_t ms);
    int64_t autoCloseMs() const { return autoCloseMs_; }
    uint64_t openings() const { return openings_; }
    const std::string& openedBy() const { return openedBy_; }

private:
    void armTimer();

    EventLoop& loop_;
    int64_t autoCloseMs_;
    std::function<void(bool)> changed_;
    bool open_ = false;
    uint64_t openings_ = 0;
    std::string openedBy_;
    EventLoop::TimerId timer_ = 0;
};

}  // namespace zsim::term
