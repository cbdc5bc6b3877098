// What the panel's pages are told, as server-sent events: the terminal's
// state whenever it changes, every receipt as it is listed, and the wire
// record's new entries in batches. The loop publishes; each page's HTTP
// thread waits for what it has not seen yet.
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
    // Wire entries kept for pages that come or fall behind; beyond them a page is told how many it missed.
    static constexpr size_t kWireEntriesKept = 2000;

    struct Cursor {
        uint64_t state = 0;    // version of the state last sent
        uint64_t receipt = 0;  // number of the last receipt sent
        uint64_t wire = 0;     // wire batches sent
        uint64_t wireEntries = 0;
        bool wireBegun = false;  // a page that just came has missed nothing
    };

    void publishState(std::string json);
    void publishReceipt(std::string json);
    // entries: a JSON array of that many entries; skipped: entries the batch left out.
    void publishWire(std::string entries, uint64_t count, uint64_t skipped);
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
    struct WireBatch {
        std::string entries;
        uint64_t count, skipped;
        uint64_t before;  // entries published before this batch
    };
    std::deque<WireBatch> wire_;
    uint64_t wireCount_ = 0;    // batches ever published
    uint64_t wireEntries_ = 0;  // entries ever published
    uint64_t wireKept_ = 0;     // entries in wire_
    bool stopped_ = false;
};

}  // namespace zsim::panel
