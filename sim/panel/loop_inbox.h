// Work handed to the terminal's event loop from other threads (the panel's
// HTTP threads). The loop runs it between its own events, so the devices are
// only ever touched from the loop and a slow browser never holds them up.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "terminal/event_loop.h"

namespace zsim::panel {

// What became of work handed to the loop. A caller that stopped waiting must
// be able to say truthfully whether the work happened: work the loop had not
// taken yet is withdrawn and never runs; work already under way finishes.
struct Asked {
    enum class Outcome {
        Done,     // ran; answer holds what it returned
        NotRun,   // never ran and never will (not taken in time, or the loop is closing)
        Running,  // taken by the loop before the time ran out, not finished yet
        Failed,   // ran and threw
    };
    Outcome outcome = Outcome::NotRun;
    std::string answer;
};

class LoopInbox {
public:
    explicit LoopInbox(term::EventLoop& loop) : loop_(loop) {}
    ~LoopInbox();

    bool start(std::string& error);
    // From any thread: runs work on the loop and waits at most timeout for it.
    Asked ask(std::function<std::string()> work, std::chrono::milliseconds timeout);
    // On the loop's thread: refuses further work and drops what waits, so
    // no thread is left waiting for a loop that no longer runs.
    void close();

private:
    struct Job;
    void drain();

    term::EventLoop& loop_;
    int fd_ = -1;
    std::mutex mutex_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool closed_ = false;
};

}  // namespace zsim::panel
