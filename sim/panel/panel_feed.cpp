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

void PanelFeed::publishWire(std::string entries, uint64_t count, uint64_t skipped) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wire_.push_back(WireBatch{std::move(entries), count, skipped, wireEntries_});
        wireEntries_ += count + skipped;
        wireKept_ += count;
        ++wireCount_;
        while (wire_.size() > 1 && wireKept_ > kWireEntriesKept) {
            wireKept_ -= wire_.front().count;
            wire_.pop_front();
        }
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

bool PanelFeed::pending(const Cursor& c) const {
    return c.state != stateVersion_ || c.receipt != receiptCount_ || c.wire != wireCount_;
}

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
    const uint64_t firstBatch = wireCount_ - wire_.size();
    if (cursor.wire < firstBatch) cursor.wire = firstBatch;
    for (; cursor.wire < wireCount_; ++cursor.wire) {
        const WireBatch& b = wire_[static_cast<size_t>(cursor.wire - firstBatch)];
        const uint64_t missed = cursor.wireBegun ? b.before - cursor.wireEntries : 0;
        out += event("wire", "{\"skipped\":" + std::to_string(missed + b.skipped) + ",\"entries\":" + b.entries + "}");
        cursor.wireEntries = b.before + b.count + b.skipped;
        cursor.wireBegun = true;
    }
    if (cursor.state != stateVersion_) {
        out += event("state", state_);
        cursor.state = stateVersion_;
    }
    return out;
}

}  // namespace zsim::panel
