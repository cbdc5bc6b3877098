#include "panel/loop_inbox.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>

namespace zsim::panel {

struct LoopInbox::Job {
    std::function<std::string()> work;
    std::promise<std::string> answer;
};

namespace {
// What a job dropped by close() answers, told apart from anything the work may throw.
struct Dropped {};
}  // namespace

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

Asked LoopInbox::ask(std::function<std::string()> work, std::chrono::milliseconds timeout) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    std::future<std::string> future = job->answer.get_future();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_ || fd_ < 0) return {};
        queue_.push_back(job);
    }
    const uint64_t one = 1;
    const bool woken = ::write(fd_, &one, sizeof one) >= 0 || errno == EAGAIN;
    if (!woken || future.wait_for(timeout) != std::future_status::ready) {
        // The loop takes jobs off the queue under the same lock, so a job found
        // here has not started and can be withdrawn before it does.
        std::lock_guard<std::mutex> lock(mutex_);
        const auto queued = std::find(queue_.begin(), queue_.end(), job);
        if (queued != queue_.end()) {
            queue_.erase(queued);
            return {};
        }
        if (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            return {Asked::Outcome::Running, {}};
    }
    try {
        return {Asked::Outcome::Done, future.get()};
    } catch (const Dropped&) {
        return {};
    } catch (...) {
        return {Asked::Outcome::Failed, {}};
    }
}

void LoopInbox::drain() {
    uint64_t count = 0;
    while (::read(fd_, &count, sizeof count) > 0) {
    }
    std::deque<std::shared_ptr<Job>> jobs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs.swap(queue_);
    }
    for (const auto& job : jobs) {
        try {
            job->answer.set_value(job->work());
        } catch (...) {
            job->answer.set_exception(std::current_exception());
        }
    }
}

void LoopInbox::close() {
    {
        // Answered under the lock, so a caller whose time runs out meanwhile
        // finds its work either still queued or already answered.
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return;
        closed_ = true;
        for (const auto& job : queue_) job->answer.set_exception(std::make_exception_ptr(Dropped{}));
        queue_.clear();
    }
    if (fd_ >= 0) loop_.unwatch(fd_);
}

}  // namespace zsim::panel
