#include "panel/loop_inbox.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <memory>

namespace zsim::panel {

LoopInbox::~LoopInbox() {
    close();
    if (fd_ >= 0) ::close(fd_);
}

bool LoopInbox::start(std::string& error) {
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd_ < 0) {
        error = std::string("eventfd: ") + std::strerror(errno);
        return false;
    }
    loop_.watch(fd_, POLLIN, [this](short) { drain(); });
    return true;
}

std::optional<std::string> LoopInbox::ask(std::function<std::string()> work, std::chrono::milliseconds timeout) {
    auto answer = std::make_shared<std::promise<std::string>>();
    std::future<std::string> future = answer->get_future();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_ || fd_ < 0) return std::nullopt;
        queue_.push_back([answer, work = std::move(work)] {
            try {
                answer->set_value(work());
            } catch (...) {
                answer->set_exception(std::current_exception());
            }
        });
    }
    const uint64_t one = 1;
    if (::write(fd_, &one, sizeof one) < 0 && errno != EAGAIN) return std::nullopt;
    if (future.wait_for(timeout) != std::future_status::ready) return std::nullopt;
    try {
        return future.get();
    } catch (...) {
        return std::nullopt;  // dropped by close(), or the work failed
    }
}

void LoopInbox::drain() {
    uint64_t count = 0;
    while (::read(fd_, &count, sizeof count) > 0) {
    }
    std::deque<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work.swap(queue_);
    }
    for (auto& w : work) w();
}

void LoopInbox::close() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return;
        closed_ = true;
        dropped.swap(queue_);
    }
    if (fd_ >= 0) loop_.unwatch(fd_);
    // Destroying the queued work breaks its promises: every waiting thread wakes.
}

}  // namespace zsim::panel
