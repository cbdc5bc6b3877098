#include "escpos/realtime_scan.h"

#include <algorithm>
#include <iterator>

namespace zsim::escpos {

bool RealtimeScanner::push(uint8_t b) {
    if (complete_) {
        pending_.clear();
        complete_ = false;
    }
    // Every real-time command starts with DLE.
    if (pending_.empty() && b != DLE) return false;
    pending_.push_back(b);
    for (;;) {
        const Located at = locate(pending_.data(), pending_.size());
        if (at.extent.fit == Fit::NeedMore) return false;
        if (at.extent.fit == Fit::Whole) return complete_ = true;
        // Not one after all; a DLE further on may still start one.
        const auto next = std::find(pending_.begin() + 1, pending_.end(), DLE);
        pending_.erase(pending_.begin(), next);
        if (pending_.empty()) return false;
    }
}

bool clearsBuffers(const Bytes& c) {
    static const uint8_t kFixed[] = {1, 3, 20, 1, 6, 2, 8};
    return c.size() == 10 && c[0] == DLE && c[1] == DC4 && c[2] == 8 &&
           std::equal(std::begin(kFixed), std::end(kFixed), c.begin() + 3);
}

}  // namespace zsim::escpos
