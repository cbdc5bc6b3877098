// The one virtual printer and the lines that reach it: its pseudo-terminals
// (one per host port the printer can be reached on) and the TCP connections
// on its port. A job belongs to the line that started
// it and the other lines are not read until it ends, so two hosts never print
// into each other's receipts.
//
// A job ends when its TCP connection closes, after a quiet gap on its line,
// or right after a cut once no command is half read; never while the
// printer still holds bytes of it (offline, or printing at its speed).
// While the receive buffer is full the line is not read (TCP; a serial line
// without XON/XOFF), or its host is sent XOFF (a serial line with XON/XOFF).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "printer/printer_flow.h"
#include "printer/virtual_printer.h"
#include "terminal/event_loop.h"
#include "terminal/pty_port.h"
#include "wire/wire_record.h"

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
    // recover clears an error the host may clear (DLE ENQ).
    PrinterService(EventLoop& loop, VirtualPrinter& printer, const escpos::DeviceState& device,
                   const PrinterLineConfig& config, std::function<void()> recover);
    ~PrinterService();

    // The first pty is the default line for status answers nobody asked for.
    bool start(std::vector<std::unique_ptr<PtyPort>> ptys, std::string& error);
    // Status answers of the printer: to the line whose job is open, else to
    // the line that spoke last.
    void reply(const uint8_t* data, size_t size);
    // An answer due once what came before it is printed.
    void replyWhenPrinted(const uint8_t* data, size_t size) { flow_.replyWhenPrinted(data, size); }
    // After the printer's sensors or errors changed: offline or back.
    void statusChanged();
    // Ends a job still open (at shutdown: its bytes are not lost).
    void finish();
    // The printer was changed (another model): its buffer, speed and flow
    // control from now on.
    void printerChanged();
    // Every byte read and every answer sent goes on this record too.
    void setWire(wire::Record* record) { wire_ = record; }

    int tcpPort() const { return tcpPort_; }
    const std::vector<std::unique_ptr<PtyPort>>& ptys() const { return ptys_; }
    size_t tcpClients() const { return clients_.size(); }
    bool jobOpen() const { return owner_ != kNoLine; }
    // The line of the open job: a pty's link name (e.g. "printer") or "tcp";
    // empty when none is open.
    std::string jobLine() const { return jobOpen() ? ownerLine_ : std::string(); }
    FlowState flow() const { return flow_.state(nowMs()); }
    // The line of the job being finished, while the printer reports it.
    const std::string& endingJobLine() const { return endingLine_; }

private:
    // owner_ when no line has a job, and when the job's TCP connection has
    // closed while the printer still holds its bytes.
    static constexpr int kNoLine = -1, kClosedLine = -2;

    void watchSource(int fd);
    void readable(int fd);
    void accept();
    void closeClient(int fd);
    void endJob();
    void release();
    void afterFlow();
    void armIdle(int fd);
    void flowControl(bool stop);
    bool isTcp(int fd) const { return clients_.count(fd) != 0; }
    PtyPort* ptyOf(int fd) const;
    // The pseudo-terminal an answer to line to goes out on: that line's, else the first.
    PtyPort* answerPty(int to) const;
    std::string lineName(int fd) const;

    EventLoop& loop_;
    VirtualPrinter& printer_;
    PrinterLineConfig config_;
    std::vector<std::unique_ptr<PtyPort>> ptys_;
    int listener_ = -1;
    int tcpPort_ = 0;
    std::set<int> clients_;
    std::set<int> parked_;  // lines waiting for the open job to end
    int owner_ = kNoLine;   // the line of the open job, whose bytes the printer holds
    std::string ownerLine_;
    std::string endingLine_;
    int lastSpoke_ = -1;
    int paused_ = -1;              // the owner's line, not read while the buffer is full
    bool endWhenPrinted_ = false;  // the job is over once the printer is done with it
    uint64_t jobsEnded_ = 0;
    EventLoop::TimerId idle_ = 0;
    wire::Record* wire_ = nullptr;
    EventLoop::TimerId flowTimer_ = 0;
    PrinterFlow flow_;
};

}  // namespace zsim::term
