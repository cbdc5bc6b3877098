#include "terminal/pty_port.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zsim::term {

namespace {
std::string lastError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }
}  // namespace

std::unique_ptr<PtyPort> PtyPort::open(const std::string& linkPath, std::string& error) {
    std::unique_ptr<PtyPort> port(new PtyPort);
    port->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->master_ < 0) {
        error = lastError("posix_openpt");
        return nullptr;
    }
    if (::grantpt(port->master_) != 0 || ::unlockpt(port->master_) != 0) {
        error = lastError("unlockpt");
        return nullptr;
    }
    char name[128];
    if (::ptsname_r(port->master_, name, sizeof name) != 0) {
        error = lastError("ptsname");
        return nullptr;
    }
    port->slavePath_ = name;
    port->slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->slave_ < 0) {
        error = lastError(name);
        return nullptr;
    }
    // Binary bytes both ways: no echo, no line editing, no CR/LF mapping.
    // A program opening the port sets its own speed and framing on top.
    termios t{};
    if (::tcgetattr(port->slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B115200);
        ::tcsetattr(port->slave_, TCSANOW, &t);
    }
    ::unlink(linkPath.c_str());
    if (::symlink(name, linkPath.c_str()) != 0) {
        error = lastError(linkPath.c_str());
        return nullptr;
    }
    port->linkPath_ = linkPath;
    return port;
}

PtyPort::~PtyPort() {
    // Only our own link: another instance may have replaced it meanwhile.
    if (!linkPath_.empty()) {
        char target[256];
        const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0 && slavePath_ == std::string(target, static_cast<size_t>(n))) ::unlink(linkPath_.c_str());
    }
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

long PtyPort::read(uint8_t* buffer, size_t size) {
    const ssize_t n = ::read(master_, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

size_t PtyPort::unreadByHost() const {
    int n = 0;
    return ::ioctl(slave_, FIONREAD, &n) == 0 && n > 0 ? static_cast<size_t>(n) : 0;
}

void PtyPort::send(const uint8_t* data, size_t size) {
    const size_t unread = unreadByHost();
    if (written_ >= flushed_ + unread) hostRead_ = std::max(hostRead_, written_ - flushed_ - unread);
    if (unread + size > kMaxUnread) {
        ::tcflush(slave_, TCIFLUSH);
        discarded_ += unread;
        flushed_ += unread;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(master_, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            written_ += static_cast<uint64_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // The line is full even after the flush: drop the rest rather
            // than stall every other device.
            discarded_ += size - done;
            return;
        }
    }
}

}  // namespace zsim::term
