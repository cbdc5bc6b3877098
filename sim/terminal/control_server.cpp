#include "terminal/control_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zsim::term {

ControlServer::ControlServer(EventLoop& loop, Handler handler, std::function<void(ClientId)> gone)
    : loop_(loop), handler_(std::move(handler)), gone_(std::move(gone)) {}

ControlServer::~ControlServer() {
    for (auto& [fd, client] : clients_) {
        loop_.unwatch(fd);
        ::close(fd);
    }
    if (listener_ >= 0) {
        loop_.unwatch(listener_);
        ::close(listener_);
        ::unlink(path_.c_str());
    }
}

bool ControlServer::start(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = "control socket path is too long for a unix socket: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    ::unlink(path.c_str());
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(listener_, 8) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    path_ = path;
    loop_.watch(listener_, POLLIN, [this](short) { accept(); });
    return true;
}

void ControlServer::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (clients_.size() >= kMaxClients) {
            ::close(fd);
            continue;
        }
        clients_[fd] = Client();
        loop_.watch(fd, POLLIN, [this, fd](short revents) { event(fd, revents); });
    }
}

void ControlServer::updateEvents(ClientId id) {
    const Client& c = clients_.at(id);
    // A client with a request in hand is not read further (its lines would
    // pile up), but its hang-up is still seen.
    short events = c.eof ? 0 : c.busy ? POLLRDHUP : POLLIN;
    if (!c.out.empty()) events |= POLLOUT;
    loop_.setEvents(id, events);
}

void ControlServer::event(ClientId id, short revents) {
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) return drop(id);
    if (revents & POLLOUT) {
        flush(id);
        if (!clients_.count(id)) return;
    }
    Client& c = clients_.at(id);
    if (c.busy) {
        // Half closed while its request runs: the answer still goes out.
        if (revents & POLLRDHUP) c.eof = true;
        updateEvents(id);
        return;
    }
    if (!(revents & POLLIN)) return;
    char buffer[4096];
    const ssize_t n = ::recv(id, buffer, sizeof buffer, 0);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return drop(id);
    if (n == 0) c.eof = true;
    if (n > 0) c.in.append(buffer, static_cast<size_t>(n));
    takeLines(id);
}

void ControlServer::takeLines(ClientId id) {
    Client& c = clients_.at(id);
    while (!c.busy) {
        const size_t end = c.in.find('\n');
        if (end == std::string::npos) {
            if (c.in.size() > kMaxLine) {
                c.in.clear();
                c.eof = true;
                c.busy = true;
                answer(id, R"({"ok":false,"error":"request line too long"})");
                return;
            }
            break;
        }
        std::string line = c.in.substr(0, end);
        c.in.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        c.busy = true;
        updateEvents(id);
        handler_(id, line);  // may answer at once
        if (!clients_.count(id)) return;
    }
    if (!c.busy) closeIfDone(id);
    if (clients_.count(id)) updateEvents(id);
}

void ControlServer::closeIfDone(ClientId id) {
    const Client& c = clients_.at(id);
    if (c.eof && !c.busy && c.out.empty() && c.in.find('\n') == std::string::npos) drop(id);
}

void ControlServer::answer(ClientId id, const std::string& json) {
    auto it = clients_.find(id);
    if (it == clients_.end()) return;
    Client& c = it->second;
    c.out += json;
    c.out += '\n';
    c.busy = false;
    flush(id);
    if (!clients_.count(id)) return;
    // The next request may already be waiting; take it from the loop, not
    // from inside the handler that is answering now.
    loop_.after(0, [this, id] {
        if (clients_.count(id)) takeLines(id);
    });
}

void ControlServer::flush(ClientId id) {
    Client& c = clients_.at(id);
    while (!c.out.empty()) {
        const ssize_t n = ::send(id, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.out.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            break;
        } else {
            return drop(id);
        }
    }
    if (c.out.size() > kMaxUnsent) return drop(id);
    if (!c.busy) closeIfDone(id);
    if (clients_.count(id)) updateEvents(id);
}

void ControlServer::drop(ClientId id) {
    if (!clients_.erase(id)) return;
    loop_.unwatch(id);
    ::close(id);
    if (gone_) gone_(id);
}

}  // namespace zsim::term
