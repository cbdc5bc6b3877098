// Work handed to the terminal's event loop from other threads (the panel's
// HTTP threads). The loop runs it between its own events, so the devices are
// only ever touched from the loop and a slow browser never holds them up.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "terminal/event_loop.h"

namespace zsim::panel {

class LoopInbox {
public:
    explicit LoopInbox(term::EventLoop& loop) : loop_(loop) {}
    ~LoopInbox();

    bool start(std::string& error);
    // From any thread: runs work on the loop and returns its answer, or
    // nullopt when the loop did not get to it within timeout or is closing.
    std::optional<std::string> ask(std::function<std::string()> work, std::chrono::milliseconds timeout);
    // On the loop's thread: refuses further work and drops what waits, so
    // no thread is left waiting for a loop that no longer runs.
    void close();

private:
    void drain();

    term::EventLoop& loop_;
    int fd_ = -1;
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    bool closed_ = false;
};

}  // namespace zsim::panel
