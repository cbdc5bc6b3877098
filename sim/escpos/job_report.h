// What happened during one job, for people and for tests. Every list is
// capped so random input cannot make the report grow without bound; the
// totals keep counting past the cap.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "escpos/types.h"

namespace zsim::escpos {

struct ReportEntry {
    uint64_t offset = 0;
    std::string name;            // command name, empty for unknown bytes
    std::vector<uint8_t> bytes;  // the bytes that were skipped (or their head)
    std::string text;            // why, for notes
};

struct PageInfo {
    std::string file;  // empty when pages are kept in memory
    int widthDots = 0;
    int heightDots = 0;
    bool truncated = false;
    uint64_t droppedDots = 0;  // paper that did not fit under the length cap
    std::vector<SymbolMark> symbols;
};

class JobReport {
public:
    static constexpr size_t kMaxEntries = 200;
    static constexpr size_t kMaxBytesShown = 16;

    void command(const std::string& name) { ++commands_[name]; }
    void unknown(uint64_t offset, const std::vector<uint8_t>& bytes);
    void unsupported(uint64_t offset, const std::string& name, const std::string& why);
    void note(uint64_t offset, const std::string& text);
    void truncatedCommand(uint64_t offset, const std::string& name, const std::vector<uint8_t>& head);

    const std::map<std::string, uint64_t>& commands() const { return commands_; }
    const std::vector<ReportEntry>& unknowns() const { return unknown_; }
    const std::vector<ReportEntry>& unsupporteds() const { return unsupported_; }
    const std::vector<ReportEntry>& notes() const { return notes_; }
    uint64_t unknownTotal() const { return unknownTotal_; }
    uint64_t unsupportedTotal() const { return unsupportedTotal_; }
    uint64_t noteTotal() const { return noteTotal_; }
    bool endedInsideCommand() const { return truncated_.has; }
    const ReportEntry& truncated() const { return truncated_.entry; }

    int job = 0;
    uint64_t bytes = 0;
    std::string rawFile;
    std::vector<PageInfo> pages;
    uint64_t replies = 0;
    std::vector<std::string> drawerPulses;

    std::string toJson() const;

private:
    std::map<std::string, uint64_t> commands_;
    std::vector<ReportEntry> unknown_, unsupported_, notes_;
    uint64_t unknownTotal_ = 0, unsupportedTotal_ = 0, noteTotal_ = 0;
    struct {
        bool has = false;
        ReportEntry entry;
    } truncated_;
};

}  // namespace zsim::escpos
