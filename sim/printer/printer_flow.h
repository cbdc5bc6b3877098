// The printer between its line and its paper, as a real one behaves: what
// arrives waits in a receive buffer of the model's size; real-time commands
// are acted on the moment they arrive; nothing is printed while the printer
// is offline (cover open, paper end, an error), and it goes on where it
// stopped once the cause is gone; the buffer is printed at the model's
// speed, so the paper comes out when a real printer's would.
//
// Time is whatever the caller says it is (milliseconds on a monotonic
// clock): the caller runs run() again at nextDue(). Not thread-safe; hooks
// run inside receive(), run() and flush().
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "escpos/device_state.h"
#include "escpos/realtime_scan.h"
#include "printer/virtual_printer.h"

namespace zsim {

struct FlowHooks {
    // Answers that waited for the printing before them (GS ( H fn 48).
    std::function<void(const uint8_t*, size_t)> reply;
    // XOFF (true) or XON (false), for a serial line that uses them.
    std::function<void(bool stop)> flowControl;
    // A cut's paper has come out and no command is half read: the job can
    // end here, as it would when a host's burst ends with a cut.
    std::function<void()> pageOut;
    // DLE ENQ 1 or 2 during an error the host may clear (the cutter's).
    std::function<void()> recover;
};

struct FlowState {
    size_t capacity = 0;  // the receive buffer
    size_t held = 0;      // received, not yet printed
    size_t fill = 0;      // of held, what is in the buffer (the rest is still on the line)
    uint64_t lost = 0;    // arrived with the buffer full (a host that went on after XOFF)
    bool xoff = false;    // XOFF sent, XON not yet
    bool printing = false;
    bool offline = false;
};

class PrinterFlow {
public:
    // What a pseudo-terminal lets a host write ahead before an XOFF can
    // stop it (the kernel holds about this much); bytes beyond the buffer
    // wait here, and only beyond this are they lost.
    static constexpr size_t kLineBacklog = 64u << 10;
    // Buffer full with this many bytes left: XOFF; XON again with this
    // many free (an Epson's margins).
    static constexpr size_t kFullMargin = 16, kClearMargin = 26;
    static constexpr int64_t kCutMicros = 300000;  // an autocutter's stroke

    PrinterFlow(VirtualPrinter& printer, const escpos::DeviceState& device, FlowHooks hooks);
    // After the printer was changed (another model): its buffer, speed and
    // flow control from now on. What is held stays.
    void reconfigure();

    bool xonXoff() const { return config_.xonXoff; }
    // Bytes that still fit the buffer: what a line that holds the host back
    // (TCP, a serial line without XON/XOFF) may deliver now.
    size_t room() const;
    // Bytes as the line delivers them. Real-time commands are acted on at
    // once; everything is held for printing, in order, and printed now if
    // it can be.
    void receive(const uint8_t* data, size_t size, int64_t nowMs);
    // Prints what is due by now.
    void run(int64_t nowMs);
    // When run() has something to do next; nothing while offline and idle.
    std::optional<int64_t> nextDue(int64_t nowMs) const;
    // After the device state changed: XOFF going offline, XON back online.
    // Printing resumes at the next run().
    void statusChanged();
    // An answer due once everything processed before it is printed.
    void replyWhenPrinted(const uint8_t* data, size_t size);
    // Nothing held, nothing being printed, nothing to send: a job may end.
    bool idle(int64_t nowMs) const;
    bool holding() const { return held() > 0; }
    // At the end: prints what is held at once if the printer can, else
    // keeps it in the job unprinted, and sends what waits.
    void flush();

    FlowState state(int64_t nowMs) const;

private:
    struct Due {
        int64_t atMicros;
        std::vector<uint8_t> bytes;
    };
    void takeConfig();
    bool offline() const { return escpos::offline(device_.status()); }
    size_t held() const { return held_.size() - start_; }
    void hold(const uint8_t* data, size_t size);
    void act(const escpos::Bytes& command);
    void dropHeld(const char* why);
    void feedSlice(int64_t nowMicros);
    int64_t headMicros() const;
    void sendDue(int64_t nowMicros);
    void updateFlowControl();
    void noteLost();

    VirtualPrinter& printer_;
    const escpos::DeviceState& device_;
    PrinterConfig config_;
    FlowHooks hooks_;
    escpos::RealtimeScanner scanner_;

    std::vector<uint8_t> held_;  // from start_ on
    size_t start_ = 0;
    uint64_t lost_ = 0, lostUnnoted_ = 0;
    bool xoff_ = false;

    // The head: busy until headFree_; while a slice is fed, its motion is
    // reckoned from where the slice began.
    int64_t headFree_ = 0;  // microseconds
    bool feeding_ = false;
    int64_t sliceStart_ = 0;
    uint64_t sliceDots_ = 0, sliceCuts_ = 0;
    bool cutPending_ = false;
    std::deque<Due> replies_;
};

}  // namespace zsim
