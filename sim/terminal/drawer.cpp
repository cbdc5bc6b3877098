#include "terminal/drawer.h"

#include "terminal/receipt_folder.h"

namespace zsim::term {

Drawer::Drawer(EventLoop& loop, int64_t autoCloseMs, std::function<void(bool)> changed)
    : loop_(loop), autoCloseMs_(autoCloseMs), changed_(std::move(changed)) {}

Drawer::~Drawer() {
    if (timer_) loop_.cancel(timer_);
}

void Drawer::open(const std::string& by) {
    DrawerPulse pulse;
    pulse.by = by;
    open(pulse);
}

void Drawer::open(const DrawerPulse& pulse) {
    const std::string by = pulse.by;
    pulses_.push_back(pulse);
    if (!pulses_.back().atMs) pulses_.back().atMs = wallClockMs();
    while (pulses_.size() > kPulsesKept) pulses_.pop_front();
    if (pulsed_) pulsed_(pulses_.back());
    ++openings_;
    openedBy_ = by;
    const bool was = open_;
    open_ = true;
    armTimer();  // a pulse on an open drawer starts its time again
    if (!was && changed_) changed_(true);
}

void Drawer::close() {
    if (timer_) loop_.cancel(timer_);
    timer_ = 0;
    if (!open_) return;
    open_ = false;
    if (changed_) changed_(false);
}

void Drawer::setAutoCloseMs(int64_t ms) {
    autoCloseMs_ = ms < 0 ? 0 : ms;
    if (open_) armTimer();
}

void Drawer::armTimer() {
    if (timer_) loop_.cancel(timer_);
    timer_ = 0;
    if (autoCloseMs_ > 0)
        timer_ = loop_.after(autoCloseMs_, [this] {
            timer_ = 0;
            close();
        });
}

}  // namespace zsim::term
