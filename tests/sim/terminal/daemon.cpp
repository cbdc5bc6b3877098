#include "daemon.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zsim::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int msLeft(Clock::time_point deadline) {
    return static_cast<int>(
        std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

Clock::time_point in(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

// Reads what is there within the deadline into out; false on end or error.
bool readSome(int fd, std::string& out, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, msLeft(deadline)) <= 0) return true;
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return n < 0 && errno == EAGAIN;
    out.append(buffer, static_cast<size_t>(n));
    return true;
}

}  // namespace

Daemon::Daemon(const std::vector<std::string>& extraArgs, const std::string& receiptsDir) {
    char root[] = "/tmp/zsim-terminal-XXXXXX";
    if (!::mkdtemp(root)) {
        error_ = "mkdtemp failed";
        return;
    }
    root_ = root;
    stateDir_ = root_ + "/state";
    // The default printer takes paper time; a test prints at once unless it gives a speed of its
    // own (a later option wins).
    std::vector<std::string> args = {ZSIM_DAEMON, "--state-dir", stateDir_, "--tcp-port", "0", "--print-speed", "0"};
    if (!receiptsDir.empty()) args.insert(args.end(), {"--receipts", receiptsDir});
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const std::string logPath = root_ + "/daemon.log";
    pid_ = ::fork();
    if (pid_ == 0) {
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(log, 1);
        ::dup2(log, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const auto deadline = in(kHungMs);
    while (Clock::now() < deadline) {
        if (control("ping", 2000).value("ok", false)) return;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "zantor-sim ended at start: " + log();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error_ = "zantor-sim did not answer in time: " + log();
    stop(9);
}

Daemon::~Daemon() {
    if (pid_ > 0) stop(15);
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}

std::string Daemon::log() const { return readFile(root_ + "/daemon.log"); }

nlohmann::json Daemon::control(const std::string& line, int timeoutMs) const {
    auto failed = [](const std::string& why) { return nlohmann::json({{"ok", false}, {"error", why}}); };
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = stateDir_ + "/control.sock";
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return failed("no connection");
    }
    const std::string request = line + "\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    const auto deadline = in(timeoutMs);
    while (answer.find('\n') == std::string::npos && Clock::now() < deadline)
        if (!readSome(fd, answer, deadline)) break;
    ::close(fd);
    if (answer.find('\n') == std::string::npos) return failed("no answer");
    return nlohmann::json::parse(answer.substr(0, answer.find('\n')), nullptr, false);
}

bool Daemon::waitFor(const std::function<bool(const nlohmann::json&)>& check, int timeoutMs) const {
    const auto deadline = in(timeoutMs);
    do {
        const nlohmann::json s = state();
        if (s.value("ok", false) && check(s)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < deadline);
    return false;
}

int Daemon::stop(int sig, int timeoutMs) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, sig);
    const auto deadline = in(timeoutMs);
    int status = 0;
    while (Clock::now() < deadline) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

SerialEnd::SerialEnd(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B115200);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
}

SerialEnd::~SerialEnd() {
    if (fd_ >= 0) ::close(fd_);
}

void SerialEnd::send(const std::string& bytes) {
    size_t done = 0;
    const auto deadline = in(kHungMs);
    while (done < bytes.size() && Clock::now() < deadline) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, msLeft(deadline));
        }
    }
}

std::string SerialEnd::read(size_t n, int timeoutMs) {
    const auto deadline = in(timeoutMs);
    while (pending_.size() < n && Clock::now() < deadline)
        if (!readSome(fd_, pending_, deadline)) break;
    std::string out = pending_.substr(0, n);
    pending_.erase(0, out.size());
    return out;
}

std::string SerialEnd::readUntil(const std::string& terminator, int timeoutMs) {
    const auto deadline = in(timeoutMs);
    while (pending_.find(terminator) == std::string::npos && Clock::now() < deadline)
        if (!readSome(fd_, pending_, deadline)) break;
    const size_t at = pending_.find(terminator);
    const size_t take = at == std::string::npos ? pending_.size() : at + terminator.size();
    std::string out = pending_.substr(0, take);
    pending_.erase(0, take);
    return out;
}

std::string SerialEnd::drain(int quietMs) {
    std::string out;
    out.swap(pending_);
    for (;;) {
        const size_t before = out.size();
        readSome(fd_, out, in(quietMs));
        if (out.size() == before) return out;
    }
}

std::string SerialEnd::waiting() {
    std::string out;
    out.swap(pending_);
    char buffer[65536];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) out.append(buffer, static_cast<size_t>(n));
    return out;
}

TcpEnd::TcpEnd(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) close();
    const int on = 1;
    if (fd_ >= 0) ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

TcpEnd::~TcpEnd() { close(); }

void TcpEnd::send(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

std::string TcpEnd::read(size_t n, int timeoutMs) {
    std::string out;
    const auto deadline = in(timeoutMs);
    while (out.size() < n && Clock::now() < deadline)
        if (!readSome(fd_, out, deadline)) break;
    return out;
}

void TcpEnd::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool isPng(const std::string& path) { return readFile(path).rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

std::vector<std::string> listDir(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string boardFrame(char command, const std::string& payload) {
    uint8_t check = static_cast<uint8_t>(command) ^ static_cast<uint8_t>(payload.size());
    for (char c : payload) check ^= static_cast<uint8_t>(c);
    return std::string("\x02") + command + static_cast<char>(payload.size()) + payload + static_cast<char>(check) +
           "\x03";
}

}  // namespace zsim::test
