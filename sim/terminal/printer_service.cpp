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
constexpr uint8_t XON = 0x11, XOFF = 0x13;
}  // namespace

PrinterService::PrinterService(EventLoop& loop, VirtualPrinter& printer, const escpos::DeviceState& device,
                               const PrinterLineConfig& config, std::function<void()> recover)
    : loop_(loop),
      printer_(printer),
      config_(config),
      flow_(printer, device,
            FlowHooks{[this](const uint8_t* p, size_t n) { reply(p, n); }, [this](bool stop) { flowControl(stop); },
                      [this] {
                          endJob();
                          // Bytes held after the cut are the same host's next job.
                          if (!flow_.holding()) release();
                      },
                      std::move(recover)}) {}

PrinterService::~PrinterService() {
    if (idle_) loop_.cancel(idle_);
    if (flowTimer_) loop_.cancel(flowTimer_);
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
        if (owner_ != kNoLine) {
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
    if (paused_ == fd) paused_ = -1;
    if (owner_ == fd) {
        // What it sent is still printed; answers have nowhere to go.
        owner_ = kClosedLine;
        endWhenPrinted_ = true;
        afterFlow();
    }
    if (listener_ >= 0 && !loop_.watching(listener_)) loop_.watch(listener_, POLLIN, [this](short) { accept(); });
}

void PrinterService::readable(int fd) {
    if (owner_ != kNoLine && owner_ != fd) {
        loop_.unwatch(fd);
        parked_.insert(fd);
        return;
    }
    const bool tcp = isTcp(fd);
    PtyPort* pty = ptyOf(fd);
    // A serial line with XON/XOFF is always read, so real-time commands are
    // met even with the buffer full; the others wait for room.
    const bool alwaysRead = !tcp && flow_.xonXoff();
    uint8_t buffer[kReadChunk];
    for (int round = 0; round < kReadsPerWake; ++round) {
        const size_t want = alwaysRead ? sizeof buffer : std::min(sizeof buffer, flow_.room());
        if (want == 0) {
            // The host is held back, not quiet: its gap starts when it is read again.
            loop_.unwatch(fd);
            paused_ = fd;
            if (idle_) loop_.cancel(idle_);
            idle_ = 0;
            afterFlow();
            return;
        }
        const ssize_t n = tcp ? ::recv(fd, buffer, want, 0) : pty->read(buffer, want);
        if (n > 0) {
            if (wire_)
                wire_->bytes(wire::Protocol::EscPos, lineName(fd), wire::Direction::ToDevice, buffer,
                             static_cast<size_t>(n));
            if (owner_ != fd) ownerLine_ = lineName(fd);
            owner_ = fd;
            lastSpoke_ = fd;
            endWhenPrinted_ = false;
            const uint64_t ended = jobsEnded_;
            flow_.receive(buffer, static_cast<size_t>(n), nowMs());
            if (jobsEnded_ != ended && owner_ == kNoLine) {
                // What follows the cut starts the next job, on any line.
                afterFlow();
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
    afterFlow();
}

void PrinterService::armIdle(int fd) {
    if (idle_) loop_.cancel(idle_);
    idle_ = 0;
    const int64_t gap = isTcp(fd) ? config_.tcpIdleMs : config_.serialIdleMs;
    if (gap > 0)
        idle_ = loop_.after(gap, [this] {
            idle_ = 0;
            endWhenPrinted_ = true;
            afterFlow();
        });
}

void PrinterService::afterFlow() {
    const int64_t now = nowMs();
    if (paused_ >= 0 && flow_.room() > 0) {
        const int fd = paused_;
        paused_ = -1;
        endWhenPrinted_ = false;
        watchSource(fd);
        armIdle(fd);
    }
    if (endWhenPrinted_ && flow_.idle(now)) {
        endJob();
        release();
    }
    if (flowTimer_) loop_.cancel(flowTimer_);
    flowTimer_ = 0;
    if (const auto due = flow_.nextDue(now))
        flowTimer_ = loop_.after(*due - now, [this] {
            flowTimer_ = 0;
            flow_.run(nowMs());
            afterFlow();
        });
}

void PrinterService::endJob() {
    ++jobsEnded_;
    // A TCP line may be closed already; its name was taken when the job began.
    endingLine_ = ownerLine_;
    printer_.endJob();
    endingLine_.clear();
}

void PrinterService::release() {
    if (idle_) loop_.cancel(idle_);
    idle_ = 0;
    owner_ = kNoLine;
    endWhenPrinted_ = false;
    const std::set<int> waiting = parked_;
    for (int fd : waiting) watchSource(fd);
}

void PrinterService::statusChanged() {
    flow_.statusChanged();
    afterFlow();
}

void PrinterService::finish() {
    flow_.flush();
    if (printer_.jobOpen()) endJob();
    release();
}

void PrinterService::printerChanged() {
    flow_.reconfigure();
    afterFlow();
}

void PrinterService::flowControl(bool stop) {
    // Only a serial line speaks XON/XOFF; it goes where status answers go.
    const int to = owner_ >= 0 ? owner_ : lastSpoke_;
    if (ptys_.empty() || owner_ == kClosedLine || (to >= 0 && isTcp(to))) return;
    const uint8_t code = stop ? XOFF : XON;
    PtyPort* pty = answerPty(to);
    pty->send(&code, 1);
    // Said as an event, not as bytes: they answer no request.
    if (wire_)
        wire_->event(lineName(pty->fd()),
                     stop ? "XOFF: the printer asks the host to stop sending" : "XON: the host may send again",
                     wire::Direction::ToHost);
}

PtyPort* PrinterService::answerPty(int to) const {
    PtyPort* pty = to >= 0 ? ptyOf(to) : nullptr;
    return pty ? pty : ptys_.front().get();
}

void PrinterService::reply(const uint8_t* data, size_t size) {
    if (owner_ == kClosedLine) return;
    const int to = owner_ >= 0 ? owner_ : lastSpoke_;
    if (ptys_.empty()) return;
    if (wire_)
        wire_->bytes(wire::Protocol::EscPos, to >= 0 ? lineName(to) : lineName(ptys_.front()->fd()),
                     wire::Direction::ToHost, data, size);
    if (to < 0 || !isTcp(to)) {
        answerPty(to)->send(data, size);
        return;
    }
    // Status bytes are few; a host that does not read its socket loses them
    // rather than stalling the terminal.
    ::send(to, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace zsim::term
