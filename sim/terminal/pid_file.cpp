#include "terminal/pid_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zsim::term {

PidFile::~PidFile() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    ::close(fd_);  // releases the lock after the name is gone
}

bool PidFile::lock(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char text[32] = {};
        const ssize_t n = ::read(fd, text, sizeof text - 1);
        const int pid = n > 0 ? std::atoi(text) : 0;
        error = "another zantor-sim runs on this state dir" + (pid > 0 ? " (pid " + std::to_string(pid) + ")" : "");
        ::close(fd);
        return false;
    }
    path_ = path;
    fd_ = fd;
    return true;
}

bool PidFile::write(std::string& error) {
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        error = path_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace zsim::term
