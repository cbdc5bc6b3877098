// What the panel's pages are told, as server-sent events: the terminal's
// state whenever it changes, and every receipt as it is listed. The loop
// publishes; each page's HTTP thread waits for what it has not seen yet.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace zsim::panel {

class PanelFeed {
public:
    static constexpr size_t kReceiptsKept = 1000;

    struct Cursor {
        uint64_t state = 0;    // version of the state last sent
        uint64_t receipt = 0;  // number of the last receipt sent
    };

    void publishState(std::string json);
    void publishReceipt(std::string json);
    // Ends every wait; next() returns nothing but stopped from then on.
    void stop();

    // The events after cursor, as text/event-stream; waits at most wait for
    // one. Empty when there was none (or the feed stopped: see stopped()).
    std::string next(Cursor& cursor, std::chrono::milliseconds wait);
    bool stopped() const;

    std::string state() const;

private:
    bool pending(const Cursor& cursor) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string state_ = "{}";
    uint64_t stateVersion_ = 0;
    std::deque<std::string> receipts_;  // oldest first
    uint64_t receiptCount_ = 0;         // receipts ever published
    bool stopped_ = false;
};

}  // namespace zsim::panel
