// The A/D board's line read as frames, each split into its fields (letter,
// length, payload, check byte) and said in words: the request, or what the
// board answered. Bytes that make no frame are shown as such.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/wire_entry.h"

namespace zsim::wire {

class BoardStream {
public:
    void take(Direction d, const uint8_t* p, size_t n, int64_t nowMs, std::vector<Item>& out);

private:
    struct Side {
        std::string buffer;
        int64_t lastMs = 0;
    };
    Side sides_[2];
};

}  // namespace zsim::wire
