#include "printer/printer_flow.h"

#include <algorithm>

namespace zsim {

namespace {

// With a print speed, the buffer is fed to the printer this much at a time,
// so the head's time falls between the pieces rather than after a burst.
constexpr size_t kSliceBytes = 256;

int64_t micros(int64_t ms) { return ms * 1000; }

}  // namespace

PrinterFlow::PrinterFlow(VirtualPrinter& printer, const escpos::DeviceState& device, FlowHooks hooks)
    : printer_(printer), device_(device), hooks_(std::move(hooks)) {
    takeConfig();
}

void PrinterFlow::takeConfig() {
    config_ = printer_.config();
    config_.receiveBufferBytes = std::max<size_t>(config_.receiveBufferBytes, kClearMargin + 1);
    config_.printSpeedMmPerSecond = std::max(config_.printSpeedMmPerSecond, 0);
}

void PrinterFlow::reconfigure() {
    takeConfig();
    // A host stopped by the old printer's XOFF must not wait for an XON the
    // new one never sends.
    if (xoff_ && !config_.xonXoff) {
        xoff_ = false;
        if (hooks_.flowControl) hooks_.flowControl(false);
    }
    updateFlowControl();
}

size_t PrinterFlow::room() const {
    return held() < config_.receiveBufferBytes ? config_.receiveBufferBytes - held() : 0;
}

void PrinterFlow::receive(const uint8_t* data, size_t size, int64_t nowMs) {
    size_t from = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!scanner_.push(data[i])) continue;
        // Whatever came before it is in the buffer (and printed, if the
        // printer is quick enough) before the command is acted on.
        hold(data + from, i + 1 - from);
        from = i + 1;
        run(nowMs);
        act(scanner_.command());
    }
    hold(data + from, size - from);
    run(nowMs);
}

void PrinterFlow::hold(const uint8_t* data, size_t size) {
    const size_t limit = config_.receiveBufferBytes + kLineBacklog;
    const size_t kept = std::min(size, limit > held() ? limit - held() : 0);
    held_.insert(held_.end(), data, data + kept);
    lost_ += size - kept;
    lostUnnoted_ += size - kept;
    // XOFF waits for run(): what a printer that is keeping up takes at once
    // never fills its buffer, however large the piece it came in.
}

void PrinterFlow::act(const escpos::Bytes& c) {
    if (c[1] == escpos::ENQ) {
        // Only an error the host may clear is recovered from this way.
        if ((c[2] == 1 || c[2] == 2) && device_.status().cutterError) {
            if (c[2] == 2) {
                dropHeld("DLE ENQ 2");
                printer_.clearBuffers();
            }
            if (hooks_.recover) hooks_.recover();
        }
        return;
    }
    if (escpos::clearsBuffers(c)) dropHeld("DLE DC4 8");
    printer_.realtime(c);
    // Alone in the buffer and outside any command it has nothing more to
    // do there; taken now, a host polling a stopped printer does not keep
    // its job open (and the bytes still reach the job's record).
    if (held() == c.size() && printer_.betweenCommands()) {
        const uint8_t* bytes = held_.data() + start_;
        start_ = held_.size();
        feeding_ = true;
        printer_.feed(bytes, c.size());
        feeding_ = false;
        updateFlowControl();
    }
}

void PrinterFlow::dropHeld(const char* why) {
    const size_t n = held();
    held_.clear();
    start_ = 0;
    if (n) printer_.note(std::string(why) + " cleared " + std::to_string(n) + " bytes held in the receive buffer");
    updateFlowControl();
}

void PrinterFlow::run(int64_t nowMs) {
    if (feeding_) return;
    const int64_t now = micros(nowMs);
    for (;;) {
        if (!printer_.jobOpen()) cutPending_ = false;
        if (cutPending_ && headFree_ <= now && printer_.betweenCommands()) {
            cutPending_ = false;
            if (hooks_.pageOut) hooks_.pageOut();
        }
        sendDue(now);
        // After a cut, what follows waits for the job to end (or for the
        // rest of a command the cut was followed by).
        const bool cutWaits = cutPending_ && printer_.betweenCommands();
        if (held() == 0 || offline() || headFree_ > now || cutWaits) break;
        feedSlice(now);
    }
    if (held_.size() > kLineBacklog && start_ > held_.size() / 2) {
        held_.erase(held_.begin(), held_.begin() + static_cast<long>(start_));
        start_ = 0;
    } else if (held() == 0) {
        held_.clear();
        start_ = 0;
    }
    updateFlowControl();
}

void PrinterFlow::feedSlice(int64_t now) {
    const size_t n = config_.printSpeedMmPerSecond == 0 ? held() : std::min(held(), kSliceBytes);
    sliceStart_ = std::max(now, headFree_);
    sliceDots_ = printer_.motionDots();
    sliceCuts_ = printer_.cuts();
    const size_t pagesBefore = printer_.pagesInJob();
    // Counted out before it is printed: a hook run while printing (a
    // drawer pulse changes the status) may ask how full the buffer is. The
    // bytes stay where they are until the next run().
    const uint8_t* slice = held_.data() + start_;
    start_ += n;
    feeding_ = true;
    printer_.feed(slice, n);
    feeding_ = false;
    headFree_ = headMicros();
    if (printer_.pagesInJob() > pagesBefore) cutPending_ = true;
}

int64_t PrinterFlow::headMicros() const {
    const int speed = config_.printSpeedMmPerSecond;
    if (speed == 0) return sliceStart_;
    const uint64_t dots = printer_.motionDots() - sliceDots_;
    const uint64_t cuts = printer_.cuts() - sliceCuts_;
    // dots / (dots per mm * mm per s), with dots per mm = dpi / 25.4.
    const uint64_t dpi = static_cast<uint64_t>(config_.model->dpi);
    return sliceStart_ + static_cast<int64_t>(dots * 25400000 / (dpi * static_cast<uint64_t>(speed))) +
           static_cast<int64_t>(cuts) * kCutMicros;
}

void PrinterFlow::replyWhenPrinted(const uint8_t* data, size_t size) {
    replies_.push_back({feeding_ ? headMicros() : headFree_, std::vector<uint8_t>(data, data + size)});
}

void PrinterFlow::sendDue(int64_t now) {
    while (!replies_.empty() && replies_.front().atMicros <= now) {
        const Due due = std::move(replies_.front());
        replies_.pop_front();
        if (hooks_.reply) hooks_.reply(due.bytes.data(), due.bytes.size());
    }
}

std::optional<int64_t> PrinterFlow::nextDue(int64_t nowMs) const {
    std::optional<int64_t> at;
    const auto consider = [&](int64_t us) {
        const int64_t ms = std::max(nowMs, (us + 999) / 1000);
        if (!at || ms < *at) at = ms;
    };
    if (!replies_.empty()) consider(replies_.front().atMicros);
    // The head finishing is news too: the job may end then.
    if (headFree_ > micros(nowMs) || (held() > 0 && !offline())) consider(headFree_);
    return at;
}

void PrinterFlow::statusChanged() { updateFlowControl(); }

bool PrinterFlow::idle(int64_t nowMs) const {
    return !feeding_ && held() == 0 && headFree_ <= micros(nowMs) && replies_.empty();
}

void PrinterFlow::updateFlowControl() {
    const size_t free = room();
    if (free >= kClearMargin) noteLost();
    if (!config_.xonXoff) return;
    const bool off = offline();
    if (!xoff_ && (off || free <= kFullMargin)) {
        xoff_ = true;
        if (hooks_.flowControl) hooks_.flowControl(true);
    } else if (xoff_ && !off && free >= kClearMargin) {
        xoff_ = false;
        if (hooks_.flowControl) hooks_.flowControl(false);
    }
}

void PrinterFlow::noteLost() {
    if (lostUnnoted_ == 0) return;
    printer_.note(std::to_string(lostUnnoted_) +
                  " bytes lost: they arrived with the receive buffer full (the host went on after XOFF)");
    lostUnnoted_ = 0;
}

void PrinterFlow::flush() {
    if (feeding_) return;
    if (held() > 0) {
        const std::vector<uint8_t> rest(held_.begin() + static_cast<long>(start_), held_.end());
        held_.clear();
        start_ = 0;
        if (offline()) {
            printer_.keepUnprinted(rest.data(), rest.size());
        } else {
            feeding_ = true;
            sliceStart_ = headFree_;
            printer_.feed(rest);
            feeding_ = false;
        }
    }
    noteLost();
    headFree_ = 0;
    sendDue(INT64_MAX);
}

FlowState PrinterFlow::state(int64_t nowMs) const {
    FlowState s;
    s.capacity = config_.receiveBufferBytes;
    s.held = held();
    s.fill = std::min(s.held, s.capacity);
    s.lost = lost_;
    s.xoff = xoff_;
    s.printing = feeding_ || headFree_ > micros(nowMs);
    s.offline = offline();
    return s;
}

}  // namespace zsim
