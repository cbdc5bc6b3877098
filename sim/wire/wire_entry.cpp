#include "wire/wire_entry.h"

#include <algorithm>
#include <cstdio>

namespace zsim::wire {

namespace {
// Bytes shown in a text line; the panel shows up to Item::kBytesKept on a click.
constexpr size_t kTextLineBytes = 24;
}  // namespace

Item::Item(std::string w, const uint8_t* p, size_t n, uint64_t s) : what(std::move(w)), size(s ? s : n) { add(p, n); }

void Item::add(const uint8_t* p, size_t n) {
    const size_t room = kBytesKept - std::min(bytes.size(), kBytesKept);
    bytes.insert(bytes.end(), p, p + std::min(n, room));
}

std::string hex(const Item& item, size_t maxBytes) {
    std::string out;
    const size_t shown = std::min(item.bytes.size(), maxBytes);
    char two[4];
    for (size_t i = 0; i < shown; ++i) {
        std::snprintf(two, sizeof two, "%02X", item.bytes[i]);
        if (i) out += ' ';
        out += two;
    }
    if (item.size > shown) out += (shown ? " … +" : "… +") + std::to_string(item.size - shown) + " bytes";
    return out;
}

const char* arrow(Direction d) { return d == Direction::ToDevice ? "→" : "←"; }
const char* directionName(Direction d) { return d == Direction::ToDevice ? "to_device" : "to_host"; }

std::string textLine(const Entry& e) {
    char head[64];
    std::snprintf(head, sizeof head, "%10lld ms  %-9s %s  ", static_cast<long long>(e.ms), e.line.c_str(),
                  arrow(e.direction));
    std::string out = head + e.item.what;
    if (e.item.size) out += "  [" + hex(e.item, kTextLineBytes) + "]";
    return out;
}

}  // namespace zsim::wire
