#include "terminal/event_loop.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace zsim::term {

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

void EventLoop::watch(int fd, short events, FdHandler handler) {
    fds_[fd] = Watch{events, std::move(handler), ++generation_};
}

void EventLoop::setEvents(int fd, short events) {
    auto it = fds_.find(fd);
    if (it != fds_.end()) it->second.events = events;
}

void EventLoop::unwatch(int fd) { fds_.erase(fd); }

EventLoop::TimerId EventLoop::after(int64_t ms, std::function<void()> fn) {
    const TimerId id = nextTimer_++;
    timers_[id] = Timer{nowMs() + (ms < 0 ? 0 : ms), std::move(fn)};
    return id;
}

void EventLoop::cancel(TimerId id) { timers_.erase(id); }

int EventLoop::pollTimeout() const {
    // Also a bound on how long a stop request can go unnoticed.
    int64_t wait = 1000;
    const int64_t now = nowMs();
    for (const auto& [id, t] : timers_) wait = std::min(wait, t.due - now);
    return static_cast<int>(std::max<int64_t>(wait, 0));
}

void EventLoop::runDueTimers() {
    const int64_t now = nowMs();
    std::vector<TimerId> due;
    for (const auto& [id, t] : timers_)
        if (t.due <= now) due.push_back(id);
    for (TimerId id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end()) continue;  // cancelled by an earlier timer
        std::function<void()> fn = std::move(it->second.fn);
        timers_.erase(it);
        fn();
        if (stopping_) return;
    }
}

void EventLoop::run() {
    stopping_ = false;
    std::vector<pollfd> polled;
    std::vector<uint64_t> generations;
    while (!stopping_) {
        polled.clear();
        generations.clear();
        for (const auto& [fd, w] : fds_) {
            polled.push_back(pollfd{fd, w.events, 0});
            generations.push_back(w.generation);
        }
        const int n = ::poll(polled.data(), polled.size(), pollTimeout());
        if (n < 0 && errno != EINTR) return;
        runDueTimers();
        for (size_t i = 0; n > 0 && i < polled.size() && !stopping_; ++i) {
            if (!polled[i].revents) continue;
            // A handler may have closed this fd, or closed it and opened
            // another under the same number: only the watch that was polled
            // hears about it.
            auto it = fds_.find(polled[i].fd);
            if (it == fds_.end() || it->second.generation != generations[i]) continue;
            FdHandler handler = it->second.handler;
            handler(polled[i].revents);
        }
    }
}

}  // namespace zsim::term
