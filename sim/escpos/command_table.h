// The printer's commands as a table: one row per command, declared once, with
// the bytes that start it, its name in the ESC/POS reference, how its length
// is read, what it does and how the data after it is taken. The interpreter
// runs the rows; describe() names bytes by the same rows without running
// anything. The rows themselves are in the *_commands.cpp files, one family
// each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zsim::escpos {

class Interpreter;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t ESC = 0x1B, GS = 0x1D, FS = 0x1C, DLE = 0x10;
constexpr uint8_t HT = 0x09, LF = 0x0A, FF = 0x0C, CR = 0x0D, CAN = 0x18, EOT = 0x04, ENQ = 0x05, DC4 = 0x14;
// In a key: a byte that may be anything (ESC ( fn).
constexpr int kAnyByte = -1;

inline int le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
// Many parameters come as 0/1 or as ASCII '0'/'1'.
inline int asciiOrBinary(uint8_t n) { return n >= '0' && n <= '9' ? n - '0' : n; }
// Most settings ignore a value out of their range.
template <class T>
void setIn(T& setting, int value, int low, int high) {
    if (value >= low && value <= high) setting = static_cast<T>(value);
}

// The bytes that start a command and name it: "ESC !" is {ESC, '!'}.
struct Key {
    Key(std::initializer_list<int> b);
    int bytes[3] = {};
    size_t length = 0;
    bool takesAnyByte() const;
};

enum class Fit : uint8_t {
    NeedMore,      // the bytes so far do not tell yet
    Whole,         // the header is complete (and, without data, the command)
    BadParameter,  // a known command with a value it does not take: its header is skipped
    NoCommand      // no command starts here: one or two bytes are skipped
};

// Data that comes as records, each a head of fixed size (at least a byte)
// and a body whose length the head gives (ESC &: a width, then a pattern;
// FS q: a size, then an image), so its length is only known as it is read.
struct Records {
    size_t (*count)(const uint8_t* header);
    size_t headLength;
    uint64_t (*bodyLength)(const uint8_t* header, const uint8_t* head);
};
// How far a command reaches, as its header tells.
struct Extent {
    Fit fit = Fit::NeedMore;
    size_t header = 0;                 // bytes of the header: the whole command when no data follows
    uint64_t data = 0;                 // bytes of data after it
    const Records* records = nullptr;  // instead of data: records
};
using Measure = Extent (*)(const uint8_t* c, size_t n);

// A length of N bytes, as most commands have.
template <size_t N>
Extent fixed(const uint8_t*, size_t n) {
    return {n < N ? Fit::NeedMore : Fit::Whole, N};
}
// A list ended by NUL, or cut off at Max bytes (ESC D, GS k m = 0..6).
template <size_t First, size_t Max>
Extent untilNul(const uint8_t* c, size_t n) {
    for (size_t i = First; i < n; ++i)
        if (c[i] == 0) return {Fit::Whole, i + 1};
    return {n < Max ? Fit::NeedMore : Fit::Whole, Max};
}
// A header of H bytes that announces data of the length Data reads from it.
template <size_t H, uint64_t (*Data)(const uint8_t* c)>
Extent withData(const uint8_t* c, size_t n) {
    return n < H ? Extent{} : Extent{Fit::Whole, H, Data(c)};
}
// ... or data made of records.
template <size_t H, const Records* R>
Extent withRecords(const uint8_t*, size_t n) {
    return {n < H ? Fit::NeedMore : Fit::Whole, H, 0, R};
}
// ESC ( fn, GS ( fn, FS ( fn: a 16-bit length, then that many bytes.
inline uint64_t length16(const uint8_t* c) { return static_cast<uint64_t>(le16(c + 3)); }
constexpr Measure framed16 = withData<5, length16>;
// A length that the byte after a two-byte key chooses, from {value, length}
// pairs; any other value is a bad parameter.
Extent lengthBy(const uint8_t* c, size_t n, std::initializer_list<std::pair<int, size_t>> lengths);

// What a command does (for a command with data: readies its reading), given its header.
using Handler = void (*)(Interpreter& p, const Bytes& c);

// How the data after a header is taken, record by record (data of a known
// length is one record without a head). Either end may be missing.
struct DataReader {
    void (*startRecord)(Interpreter& p, const Bytes& head);
    // Takes at most n bytes of the record's body and says how many it took.
    size_t (*take)(Interpreter& p, const uint8_t* data, size_t n);
    // complete is false when the job ended inside the record.
    void (*endRecord)(Interpreter& p, bool complete);
};

struct CommandRow {
    Key key;
    const char* what;  // its name in the reference, after the key: "select print mode(s)"
    Measure measure;
    Handler run = nullptr;
    const DataReader* data = nullptr;
    // GS ( k, GS ( L: the function the first data bytes select, by its name; null if none.
    const char* (*function)(const uint8_t* data, size_t n) = nullptr;
};

// A command located at the start of some bytes, by the rows alone: no
// interpreter is needed, so anything that reads the stream can ask.
struct Located {
    const CommandRow* row = nullptr;  // null unless the fit is Whole
    Extent extent;                    // for BadParameter and NoCommand: header is what to skip
};
Located locate(const uint8_t* c, size_t n);

// The mnemonic of n bytes: "ESC !", "GS ( k", "DLE EOT", "LF".
std::string spell(const uint8_t* c, size_t n);

// What a wire view shows for the command at the start of some bytes, p[0]
// being a control code (text is the caller's to show).
struct Description {
    std::string name;    // "ESC !: select print mode(s)"; empty when no command starts here
    std::string params;  // the header's parameter bytes, in decimal: "8", "33 200 1"
    size_t length = 0;   // bytes of the command with its data, or of what the printer skips as
                         // unknown; 0: the bytes end inside the command
};
Description describe(const uint8_t* p, size_t n);

}  // namespace zsim::escpos
