#include "terminal/printer_service.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "terminal/tcp_listener.h"

namespace zsim::term {

namespace {
constexpr size_t kReadChunk = 4096;
constexpr int kReadsPerWake = 16;
}  // namespace

PrinterService::PrinterService(EventLoop& loop, VirtualPrinter& printer, const PrinterLineConfig& config)
    : loop_(loop), printer_(printer), config_(config) {}

PrinterService::~PrinterService() {
    if (idle_) loop_.cancel(idle_);
    for (int fd : clients_) {
        loop_.unwatch(fd);
        ::close(fd);
    }
    if (listener_ >= 0) {
        loop_.unwatch(listener_);
        ::close(listener_);
    }
    for (const auto& pty : ptys_) loop_.unwatch(pty->fd());
}

bool PrinterService::start(std::vector<std::unique_ptr<PtyPort>> ptys, std::string& error) {
    ptys_ = std::move(ptys);
    for (const auto& pty : ptys_) watchSource(pty->fd());
    if (!config_.tcp) return true;
    listener_ = openListener(config_.tcpHost, config_.tcpPort, error);
    if (listener_ < 0) return false;
    tcpPort_ = boundPort(listener_);
    loop_.watch(listener_, POLLIN, [this](short) { accept(); });
    return true;
}

PtyPort* PrinterService::ptyOf(int fd) const {
    for (const auto& pty : ptys_)
        if (pty->fd() == fd) return pty.get();
    return nullptr;
}

std::string PrinterService::lineName(int fd) const {
    const PtyPort* pty = ptyOf(fd);
    return pty ? std::filesystem::path(pty->linkPath()).filename().string() : "tcp";
}

void PrinterService::watchSource(int fd) {
    parked_.erase(fd);
    loop_.watch(fd, POLLIN, [this, fd](short) { readable(fd); });
}

void PrinterService::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        clients_.insert(fd);
        if (owner_ >= 0) {
            parked_.insert(fd);
        } else {
            watchSource(fd);
        }
        if (clients_.size() >= config_.maxTcpClients) {
            // Further hosts wait in the backlog until one leaves.
            loop_.unwatch(listener_);
            break;
        }
    }
}

void PrinterService::closeClient(int fd) {
    loop_.unwatch(fd);
    parked_.erase(fd);
    clients_.erase(fd);
    ::close(fd);
    if (lastSpoke_ == fd) lastSpoke_ = -1;
    if (owner_ == fd) endJob();
    if (listener_ >= 0 && !loop_.watching(listener_)) loop_.watch(listener_, POLLIN, [this](short) { accept(); });
}

void PrinterService::readable(int fd) {
    if (owner_ >= 0 && owner_ != fd) {
        loop_.unwatch(fd);
        parked_.insert(fd);
        return;
    }
    const bool tcp = isTcp(fd);
    PtyPort* pty = ptyOf(fd);
    uint8_t buffer[kReadChunk];
    for (int round = 0; round < kReadsPerWake; ++round) {
        const ssize_t n = tcp ? ::recv(fd, buffer, sizeof buffer, 0) : pty->read(buffer, sizeof buffer);
        if (n > 0) {
            if (wire_)
                wire_->bytes(wire::Protocol::EscPos, lineName(fd), wire::Direction::ToDevice, buffer,
                             static_cast<size_t>(n));
            if (owner_ != fd) ownerLine_ = lineName(fd);
            owner_ = fd;
            lastSpoke_ = fd;
            const size_t pagesBefore = printer_.pagesInJob();
            printer_.feed(buffer, static_cast<size_t>(n));
            if (printer_.pagesInJob() > pagesBefore && printer_.betweenCommands()) {
                endJob();
                // What follows the cut starts the next job, on any line.
                return;
            }
            continue;
        }
        if (tcp && (n == 0 || (errno != EAGAIN && errno != EINTR))) {
            closeClient(fd);
            return;
        }
        break;
    }
    if (owner_ == fd) armIdle(fd);
}

void PrinterService::armIdle(int fd) {
    if (idle_) loop_.cancel(idle_);
    idle_ = 0;
    const int64_t gap = isTcp(fd) ? config_.tcpIdleMs : config_.serialIdleMs;
    if (gap > 0)
        idle_ = loop_.after(gap, [this] {
            idle_ = 0;
            endJob();
        });
}

void PrinterService::endJob() {
    if (idle_) loop_.cancel(idle_);
    idle_ = 0;
    owner_ = -1;
    // A TCP line may be closed already; its name was taken when the job began.
    endingLine_ = ownerLine_;
    printer_.endJob();
    endingLine_.clear();
    const std::set<int> waiting = parked_;
    for (int fd : waiting) watchSource(fd);
}

void PrinterService::finish() {
    if (printer_.jobOpen()) endJob();
}

void PrinterService::reply(const uint8_t* data, size_t size) {
    const int to = owner_ >= 0 ? owner_ : lastSpoke_;
    if (ptys_.empty()) return;
    if (wire_)
        wire_->bytes(wire::Protocol::EscPos, to >= 0 ? lineName(to) : lineName(ptys_.front()->fd()),
                     wire::Direction::ToHost, data, size);
    if (to < 0 || !isTcp(to)) {
        PtyPort* pty = to >= 0 ? ptyOf(to) : nullptr;
        (pty ? pty : ptys_.front().get())->send(data, size);
        return;
    }
    // Status bytes are few; a host that does not read its socket loses them
    // rather than stalling the terminal.
    ::send(to, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace zsim::term
