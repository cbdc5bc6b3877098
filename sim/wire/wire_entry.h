// One entry of the wire record: a command, a text run, a frame, a line or an
// answer as it went over one of the terminal's lines, decoded in words, with
// its bytes (the first of them, for a long one) and when it passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zsim::wire {

enum class Direction : uint8_t { ToDevice, ToHost };

// What a decoder makes of the bytes it is given.
struct Item {
    static constexpr size_t kBytesKept = 256;  // enough to expand any command header in the panel

    std::string what;
    std::vector<uint8_t> bytes;  // at most kBytesKept
    uint64_t size = 0;           // bytes the item stands for (a command with its data)

    Item() = default;
    Item(std::string what, const uint8_t* p, size_t n, uint64_t size = 0);
    // More of the item's bytes, kept while there is room.
    void add(const uint8_t* p, size_t n);
};

struct Entry {
    uint64_t seq = 0;  // one series over all lines, so entries of different lines can be put in order
    int64_t ms = 0;    // since the terminal started
    std::string line;  // "printer", "printer-2", "tcp", "board", "scale", "drawer", "driver"
    Direction direction = Direction::ToDevice;
    Item item;
};

// "1B 40 0A", the first maxBytes of them, with "… +N bytes" for the rest.
std::string hex(const Item& item, size_t maxBytes);
// The entry as one line of text, as the job's wire file and zantor-simctl wire print it.
std::string textLine(const Entry& entry);
const char* arrow(Direction d);
const char* directionName(Direction d);

}  // namespace zsim::wire
