// zantor-simctl: sends one command to a running zantor-sim and prints its
// JSON answer. Exit status 0 when the terminal carried the command out, 1
// when it refused, 2 when it could not be reached.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "terminal/control_commands.h"
#include "terminal/options.h"

namespace {

using Clock = std::chrono::steady_clock;

// Beyond the wait a command asks for, the answer may take this long.
constexpr int64_t kAnswerMs = 5000;
constexpr size_t kMaxAnswer = 64u << 20;

const char kUsage[] =
    "Usage: zantor-simctl [--state-dir DIR] COMMAND [ARGS...]\n"
    "       zantor-simctl [--state-dir DIR] wait-ready [TIMEOUT_MS]\n"
    "       zantor-simctl [--state-dir DIR] wire [LINE] [--follow]\n"
    "Sends COMMAND to the zantor-sim running on DIR and prints its JSON answer; wire prints the\n"
    "wire record of LINE (printer, board, scale, tcp, drawer, driver; default all) as text, and\n"
    "with --follow goes on printing new entries until the terminal stops.\n"
    "Commands:\n";

int64_t msLeft(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
}

int connectTo(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = "socket path too long: " + path;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot reach zantor-sim at " + path + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

// One request, one answer line, within the deadline.
bool ask(const std::string& path, const std::string& line, Clock::time_point deadline, std::string& answer,
         std::string& error) {
    const int fd = connectTo(path, error);
    if (fd < 0) return false;
    const std::string request = line + "\n";
    bool ok = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
    if (!ok) error = std::string("send: ") + std::strerror(errno);
    while (ok) {
        const size_t end = answer.find('\n');
        if (end != std::string::npos) {
            answer.resize(end);
            break;
        }
        const int64_t left = msLeft(deadline);
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            error = "no answer from zantor-sim in time";
            ok = false;
            break;
        }
        char buffer[65536];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0 || answer.size() + static_cast<size_t>(n) > kMaxAnswer) {
            error = "zantor-sim closed the connection without an answer";
            ok = false;
            break;
        }
        answer.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

int waitReady(const std::string& path, int64_t timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string error;
    do {
        std::string answer;
        if (ask(path, "ping", Clock::now() + std::chrono::milliseconds(kAnswerMs), answer, error)) {
            std::puts(answer.c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (msLeft(deadline) > 0);
    std::fprintf(stderr, "zantor-simctl: %s\n", error.c_str());
    return 2;
}

// The wire record as text lines, the same as a job's wire file holds.
int printWire(const std::string& path, const std::string& line, bool follow) {
    constexpr auto kFollowEvery = std::chrono::milliseconds(200);
    uint64_t after = 0;
    for (bool first = true;; first = false) {
        std::string answer, error;
        const std::string request = "wire " + (line.empty() ? std::string("all") : line) + " " + std::to_string(after);
        if (!ask(path, request, Clock::now() + std::chrono::milliseconds(kAnswerMs), answer, error)) {
            std::fprintf(stderr, "zantor-simctl: %s\n", first ? error.c_str() : "the terminal has stopped");
            return first ? 2 : 0;
        }
        const nlohmann::json parsed = nlohmann::json::parse(answer, nullptr, false);
        if (!parsed.is_object() || !parsed.value("ok", false)) {
            std::puts(answer.c_str());
            return 1;
        }
        const uint64_t skipped = parsed.value("skipped", uint64_t{0});
        if (skipped) std::printf("# … %llu entries skipped\n", static_cast<unsigned long long>(skipped));
        for (const auto& e : parsed["entries"]) std::puts(e.value("text", "").c_str());
        std::fflush(stdout);
        after = parsed.value("next", after);
        if (!follow) return 0;
        std::this_thread::sleep_for(kFollowEvery);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string stateDir = zsim::term::defaultStateDir();
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--state-dir") == 0) {
        stateDir = argv[2];
        first = 3;
    }
    if (first >= argc || std::strcmp(argv[first], "--help") == 0 || std::strcmp(argv[first], "-h") == 0) {
        std::printf("%s%s", kUsage, zsim::term::controlHelp().c_str());
        return first >= argc ? 2 : 0;
    }
    const std::string path = stateDir + "/control.sock";
    const std::string command = argv[first];
    if (command == "wait-ready") {
        const int64_t timeout = first + 1 < argc ? std::atoll(argv[first + 1]) : 10000;
        return waitReady(path, timeout);
    }
    if (command == "wire") {
        std::string line;
        bool follow = false;
        for (int i = first + 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--follow") == 0 || std::strcmp(argv[i], "-f") == 0) {
                follow = true;
            } else if (line.empty() && argv[i][0] != '-') {
                line = argv[i];
            } else {
                std::fprintf(stderr, "usage: zantor-simctl [--state-dir DIR] wire [LINE] [--follow]\n");
                return 2;
            }
        }
        return printWire(path, line, follow);
    }
    std::string line;
    for (int i = first; i < argc; ++i) line += (i > first ? " " : "") + std::string(argv[i]);
    int64_t wait = 0;
    if (command == "wait-receipt") wait = first + 1 < argc ? std::atoll(argv[first + 1]) : 10000;
    std::string answer, error;
    if (!ask(path, line, Clock::now() + std::chrono::milliseconds(wait + kAnswerMs), answer, error)) {
        std::fprintf(stderr, "zantor-simctl: %s\n", error.c_str());
        return 2;
    }
    std::puts(answer.c_str());
    const nlohmann::json parsed = nlohmann::json::parse(answer, nullptr, false);
    return parsed.is_object() && parsed.value("ok", false) ? 0 : 1;
}
