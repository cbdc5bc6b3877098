// One thread waits on every line, socket and timer of the virtual terminal,
// so the printer, the drawer and the scales are only ever touched from it and
// need no locks between them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

namespace zsim::term {

using Clock = std::chrono::steady_clock;

// Milliseconds on the monotonic clock; what the protocol handlers reckon in.
int64_t nowMs();

class EventLoop {
public:
    using FdHandler = std::function<void(short revents)>;
    using TimerId = uint64_t;

    // Calls handler when poll() reports one of events (or an error) on fd.
    // Watching an fd again replaces its handler and events.
    void watch(int fd, short events, FdHandler handler);
    void setEvents(int fd, short events);
    void unwatch(int fd);
    bool watching(int fd) const { return fds_.count(fd) != 0; }

    TimerId after(int64_t ms, std::function<void()> fn);
    void cancel(TimerId id);

    // Runs until stop(); handlers may watch, unwatch, start and cancel timers.
    void run();
    void stop() { stopping_ = true; }

private:
    struct Watch {
        short events;
        FdHandler handler;
        uint64_t generation;
    };
    struct Timer {
        int64_t due;
        std::function<void()> fn;
    };
    void runDueTimers();
    int pollTimeout() const;

    std::map<int, Watch> fds_;
    std::map<TimerId, Timer> timers_;
    TimerId nextTimer_ = 1;
    uint64_t generation_ = 0;
    bool stopping_ = false;
};

}  // namespace zsim::term
