// A zantor-sim of the test's own: started on a fresh state dir with a free
// TCP port, reached through its control socket, its ports opened as a host
// program would open them, and stopped at the end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zsim::test {

// The bound of a wait for something that must happen: the waits end as soon as it has, so this
// only ends a test that hangs, however busy the machine is.
constexpr int kHungMs = 30000;

class Daemon {
public:
    explicit Daemon(const std::vector<std::string>& extraArgs = {}, const std::string& receiptsDir = {});
    ~Daemon();

    bool running() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    const std::string& stateDir() const { return stateDir_; }
    std::string receiptsDir() const { return state()["printer"]["receipts_dir"]; }
    std::string log() const;

    // One control request; an answer {"ok":false,"error":...} when it fails.
    nlohmann::json control(const std::string& line, int timeoutMs = kHungMs) const;
    nlohmann::json state() const { return control("state"); }
    int tcpPort() const { return state()["printer"]["tcp_port"]; }
    // Polls the state until check(state) holds, at most timeoutMs.
    bool waitFor(const std::function<bool(const nlohmann::json&)>& check, int timeoutMs = kHungMs) const;

    // SIGTERM (or sig), then the exit status; -1 if it did not end in time.
    int stop(int sig = 15, int timeoutMs = 10000);

private:
    std::string root_;
    std::string stateDir_;
    pid_t pid_ = -1;
    std::string error_;
};

// The host's end of one of the terminal's serial lines.
class SerialEnd {
public:
    explicit SerialEnd(const std::string& path);
    ~SerialEnd();
    bool open() const { return fd_ >= 0; }
    void send(const std::string& bytes);
    // Up to n bytes, whatever arrived within timeoutMs.
    std::string read(size_t n, int timeoutMs);
    // Everything up to and including the terminator, or what came in time.
    std::string readUntil(const std::string& terminator, int timeoutMs);
    // Whatever arrives until the line has been quiet for quietMs.
    std::string drain(int quietMs);
    // What the line holds at this moment, in one read.
    std::string waiting();

private:
    int fd_ = -1;
    std::string pending_;
};

// A host on the printer's TCP port.
class TcpEnd {
public:
    explicit TcpEnd(int port);
    ~TcpEnd();
    bool open() const { return fd_ >= 0; }
    void send(const std::string& bytes);
    std::string read(size_t n, int timeoutMs);
    void close();

private:
    int fd_ = -1;
};

std::string readFile(const std::string& path);
bool isPng(const std::string& path);
std::vector<std::string> listDir(const std::string& path);
std::string boardFrame(char command, const std::string& payload = {});

}  // namespace zsim::test
