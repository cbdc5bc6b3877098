// The wire record: every piece of bytes on every line the terminal plays,
// with its time and direction, decoded in words, and the drawer's pulses and
// the Windows queue's jobs beside them. Bounded: each line keeps its newest
// entries in a ring, and counts the ones it dropped. The entries of the
// printer's open job are also collected (up to a cap) for the job's wire
// file beside its receipt.
//
// Only ever used on the event loop's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "escpos/device_state.h"
#include "wire/board_stream.h"
#include "wire/escpos_stream.h"
#include "wire/sdk_stream.h"
#include "wire/wire_entry.h"

namespace zsim::wire {

enum class Protocol : uint8_t { EscPos, Board, SdkScale };

class Record {
public:
    static constexpr size_t kEntriesPerLine = 2000;
    static constexpr size_t kJobEntries = 5000;  // entries a job's wire file holds
    // A host may flood the printer with tiny commands faster than they can be
    // put in words: beyond this many a second (after a burst of as many) they
    // are read and counted, not listed one by one.
    static constexpr size_t kListedPerSecond = 10000;

    explicit Record(escpos::DrawerSwitch wiring);

    // What the terminal read from a line (ToDevice) or wrote to it (ToHost).
    void bytes(Protocol protocol, const std::string& line, Direction d, const uint8_t* p, size_t n);
    // Something that passes no serial line: a drawer pulse, a job of the Windows queue.
    void event(const std::string& line, const std::string& what, Direction d = Direction::ToDevice);

    // The printer ended its job: what was cut off is recorded, the job's
    // entries are written to path (not when it is empty), and the next job's
    // are collected from its first byte on. False with error set when the
    // file could not be written.
    bool endJob(const std::string& path, const std::string& title, std::string& error);
    // A job that passed no serial line (one of the Windows queue): its wire
    // file holds the entries made on any line after seq, as endJob's does.
    bool writeSince(uint64_t seq, const std::string& path, const std::string& title, uint64_t hostBytes,
                    std::string& error) const;

    // The entries after seq, oldest first, of one line or of all (line
    // empty); at most max, the newest of them: skipped counts the others.
    std::vector<const Entry*> after(uint64_t seq, const std::string& line, size_t max, uint64_t& skipped) const;
    uint64_t lastSeq() const { return seq_; }
    struct LineCount {
        std::string line;
        size_t kept = 0;
        uint64_t dropped = 0;
    };
    std::vector<LineCount> lines() const;
    int64_t startedWallMs() const { return startedWallMs_; }

private:
    struct Ring {
        std::deque<Entry> entries;
        uint64_t dropped = 0;
    };
    struct Job {
        bool open = false;
        std::vector<std::string> lines;
        uint64_t entries = 0;
        uint64_t hostBytes = 0;
    };
    void add(const std::string& line, Direction d, std::vector<Item>& items, bool ofJob);
    bool writeFile(const std::string& path, const std::string& title, const std::vector<std::string>& lines,
                   uint64_t entries, uint64_t hostBytes, std::string& error) const;

    int64_t startedMs_;
    int64_t startedWallMs_;
    uint64_t seq_ = 0;
    std::map<std::string, Ring> rings_;
    EscPosStream printer_;  // one for all printer lines, as the printer reads them all in one stream
    std::map<std::string, BoardStream> boards_;
    std::map<std::string, SdkStream> scales_;
    Job job_;
    std::string hostLine_ = "printer";  // the printer line that spoke last
    std::vector<Item> items_;
    double listable_ = kListedPerSecond;  // items the printer's lines may list now
    int64_t listableAt_ = 0;
};

}  // namespace zsim::wire
