// The SDK scale's line read line by line, in words: the host's commands and
// the scale's readings and answers split into their fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/wire_entry.h"

namespace zsim::wire {

class SdkStream {
public:
    void take(Direction d, const uint8_t* p, size_t n, std::vector<Item>& out);

private:
    std::string lines_[2];
};

}  // namespace zsim::wire
