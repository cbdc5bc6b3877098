#include "escpos/command_table.h"

#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {

// An unknown code: the prefix and the function byte are skipped, unless the
// function byte is a control code that may start something itself (then only
// the prefix is).
size_t unknownLength(const uint8_t* c, size_t n) { return n >= 2 && c[1] >= 0x20 ? 2 : 1; }

bool matches(const Key& k, const uint8_t* c, size_t n) {
    for (size_t i = 0; i < k.length && i < n; ++i)
        if (k.bytes[i] != kAnyByte && k.bytes[i] != c[i]) return false;
    return true;
}

// Where data made of records ends, or 0 when the bytes end first.
uint64_t recordsEnd(const Records& r, const uint8_t* c, size_t n, uint64_t at) {
    for (size_t left = r.count(c); left > 0; --left) {
        if (at + r.headLength > n) return 0;
        at += r.headLength + r.bodyLength(c, c + at);
    }
    return at;
}

}  // namespace

Key::Key(std::initializer_list<int> b) {
    for (int v : b)
        if (length < 3) bytes[length++] = v;
}

bool Key::takesAnyByte() const { return std::find(bytes, bytes + length, kAnyByte) != bytes + length; }

Extent lengthBy(const uint8_t* c, size_t n, std::initializer_list<std::pair<int, size_t>> lengths) {
    if (n < 3) return {};
    for (const auto& [value, length] : lengths)
        if (value == c[2]) return {n < length ? Fit::NeedMore : Fit::Whole, length};
    return {Fit::BadParameter, 3};
}

Located locate(const uint8_t* c, size_t n) {
    bool begun = false;
    for (const CommandRow& row : Interpreter::commands()) {
        if (!matches(row.key, c, n)) continue;
        if (n < row.key.length) {
            begun = true;
            continue;
        }
        Extent e = row.measure(c, n);
        if (e.fit == Fit::NoCommand) e.header = unknownLength(c, n);
        return {e.fit == Fit::Whole ? &row : nullptr, e};
    }
    if (begun) return {};
    return {nullptr, {Fit::NoCommand, unknownLength(c, n)}};
}

std::string spell(const uint8_t* c, size_t n) {
    static const char* const kControl[32] = {
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT", "LF",  "VT",  "FF", "CR", "SO", "SI",
        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        if (c[i] < 0x20) {
            out += kControl[c[i]];
        } else if (c[i] == ' ') {
            out += "SP";
        } else if (c[i] < 0x7F) {
            out += static_cast<char>(c[i]);
        } else {
            out += std::to_string(c[i]);
        }
    }
    return out;
}

Description describe(const uint8_t* p, size_t n) {
    Description d;
    if (n == 0) return d;
    const Located at = locate(p, n);
    const Extent& e = at.extent;
    if (!at.row) {
        if (e.fit != Fit::NeedMore) d.length = e.header;
        return d;
    }
    const CommandRow& row = *at.row;
    const char* function = row.function && n > e.header ? row.function(p + e.header, n - e.header) : nullptr;
    d.name = spell(p, row.key.length) + ": " + (function ? function : row.what);
    for (size_t i = row.key.length; i < e.header; ++i) d.params += (d.params.empty() ? "" : " ") + std::to_string(p[i]);
    const uint64_t end = e.records ? recordsEnd(*e.records, p, n, e.header) : e.header + e.data;
    d.length = end <= n ? static_cast<size_t>(end) : 0;
    return d;
}

}  // namespace zsim::escpos
