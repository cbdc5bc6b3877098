// Counts how far the paper has moved and how often it was cut, on its way
// from the interpreter to the paper: what the print head's time is reckoned
// from.
#pragma once

#include <cstdint>

#include "escpos/print_sink.h"

namespace zsim {

class MotionMeter : public escpos::PrintSink {
public:
    // The paper it passes on to; another one when the printer is changed.
    void attach(escpos::PrintSink& paper) { paper_ = &paper; }

    void band(const escpos::Band& band) override {
        if (band.advance > 0) dots_ += static_cast<uint64_t>(band.advance);
        paper_->band(band);
    }
    void feed(int dots) override {
        if (dots > 0) dots_ += static_cast<uint64_t>(dots);
        paper_->feed(dots);
    }
    // A page of page mode comes out as one piece of its length.
    void page(const escpos::PageLayout& page) override {
        if (page.height > 0) dots_ += static_cast<uint64_t>(page.height);
        paper_->page(page);
    }
    void cut(escpos::CutKind kind) override {
        ++cuts_;
        paper_->cut(kind);
    }

    uint64_t dots() const { return dots_; }
    uint64_t cuts() const { return cuts_; }

private:
    escpos::PrintSink* paper_ = nullptr;
    uint64_t dots_ = 0;
    uint64_t cuts_ = 0;
};

}  // namespace zsim
