// The receipts folder as people and tests see it: every printed job with its
// page images, raw bytes and report, newest first in index.html.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "printer/virtual_printer.h"

namespace zsim::term {

struct Receipt {
    int job = 0;
    int64_t finishedMs = 0;  // wall clock, ms since the epoch
    std::vector<std::string> pages;
    std::string raw;
    std::string report;
    uint64_t bytes = 0;
    uint64_t unknown = 0;
    std::string line;  // where the job came in: a printer link name or "tcp"; empty when not known
    std::string wire;  // the job's wire text (job-NNNN.wire.txt); empty when there is none
};

class ReceiptFolder {
public:
    // The newest this many are listed; older files stay in the folder.
    static constexpr size_t kMaxListed = 1000;

    explicit ReceiptFolder(std::string dir) : dir_(std::move(dir)) {}

    // Lists the jobs an earlier run left in the folder.
    void loadExisting();
    // False for a job that put nothing on paper and has nothing to report,
    // such as a status query: it is no receipt.
    static bool isReceipt(const JobResult& job);
    const Receipt& add(const JobResult& job, int64_t finishedMs, const std::string& line = {},
                       const std::string& wire = {});
    // Rewrites index.html in one step, so a browser never sees half of it.
    bool writeIndex(std::string& error) const;

    // Hears of every receipt listed from now on, whatever job made it.
    void setListener(std::function<void(const Receipt&)> listener) { listener_ = std::move(listener); }

    const std::deque<Receipt>& receipts() const { return receipts_; }  // oldest first
    const std::string& dir() const { return dir_; }
    int lastJob() const { return receipts_.empty() ? 0 : receipts_.back().job; }

private:
    void keep(Receipt receipt);

    std::string dir_;
    std::deque<Receipt> receipts_;
    std::function<void(const Receipt&)> listener_;
};

int64_t wallClockMs();

}  // namespace zsim::term
