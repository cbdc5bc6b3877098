#include "panel/panel_feed.h"

namespace zsim::panel {

namespace {
std::string event(const char* name, const std::string& json) {
    return std::string("event: ") + name + "\ndata: " + json + "\n\n";
}
}  // namespace

void PanelFeed::publishState(std::string json) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = std::move(json);
        ++stateVersion_;
    }
    changed_.notify_all();
}

void PanelFeed::publishReceipt(std::string json) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        receipts_.push_back(std::move(json));
        ++receiptCount_;
        while (receipts_.size() > kReceiptsKept) receipts_.pop_front();
    }
    changed_.notify_all();
}

void PanelFeed::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

bool PanelFeed::stopped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
}

std::string PanelFeed::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

bool PanelFeed::pending(const Cursor& c) const { return c.state != stateVersion_ || c.receipt != receiptCount_; }

std::string PanelFeed::next(Cursor& cursor, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, wait, [&] { return stopped_ || pending(cursor); });
    if (stopped_) return {};
    std::string out;
    // A page that fell behind by more than the kept receipts gets the kept ones.
    const uint64_t first = receiptCount_ - receipts_.size();
    if (cursor.receipt < first) cursor.receipt = first;
    for (; cursor.receipt < receiptCount_; ++cursor.receipt)
        out += event("receipt", receipts_[static_cast<size_t>(cursor.receipt - first)]);
    if (cursor.state != stateVersion_) {
        out += event("state", state_);
        cursor.state = stateVersion_;
    }
    return out;
}

}  // namespace zsim::panel
