// The one virtual printer and the lines that reach it: its pseudo-terminal
// and the TCP connections on its port. A job belongs to the line that started
// it and the other lines are not read until it ends, so two hosts never print
// into each other's receipts.
//
// A job ends when its TCP connection closes, after a quiet gap on its line,
// or right after a cut once no command is half read.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "printer/virtual_printer.h"
#include "terminal/event_loop.h"
#include "terminal/pty_port.h"

namespace zsim::term {

struct PrinterLineConfig {
    int64_t serialIdleMs = 300;
    int64_t tcpIdleMs = 1000;  // 0: a TCP job ends only at a cut or at the close
    bool tcp = true;
    std::string tcpHost = "127.0.0.1";
    int tcpPort = 9100;
    size_t maxTcpClients = 8;
};

class PrinterService {
public:
    PrinterService(EventLoop& loop, VirtualPrinter& printer, const PrinterLineConfig& config);
    ~PrinterService();

    bool start(std::unique_ptr<PtyPort> pty, std::string& error);
    // Status answers of the printer: to the line whose job is open, else to
    // the line that spoke last.
    void reply(const uint8_t* data, size_t size);
    // Ends a job still open (at shutdown: its bytes are not lost).
    void finish();

    int tcpPort() const { return tcpPort_; }
    const PtyPort& pty() const { return *pty_; }
    size_t tcpClients() const { return clients_.size(); }
    bool jobOpen() const { return owner_ >= 0; }
    std::string jobLine() const;

private:
    void watchSource(int fd);
    void readable(int fd);
    void accept();
    void closeClient(int fd);
    void endJob();
    void armIdle(int fd);
    bool isTcp(int fd) const { return clients_.count(fd) != 0; }

    EventLoop& loop_;
    VirtualPrinter& printer_;
    PrinterLineConfig config_;
    std::unique_ptr<PtyPort> pty_;
    int listener_ = -1;
    int tcpPort_ = 0;
    std::set<int> clients_;
    std::set<int> parked_;  // lines waiting for the open job to end
    int owner_ = -1;        // the line of the open job
    int lastSpoke_ = -1;
    EventLoop::TimerId idle_ = 0;
};

}  // namespace zsim::term
