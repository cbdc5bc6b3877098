// The printer's lines read as the printer reads them: the host's bytes cut
// into commands (named by the interpreter's command table), text runs and
// things not understood, and each answer of the printer decoded by the
// request it answers. The bytes come in whatever pieces the lines deliver;
// data after a header (images, symbol data) is summarized and skipped, never
// held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "escpos/command_table.h"
#include "escpos/device_state.h"
#include "wire/status_words.h"
#include "wire/wire_entry.h"

namespace zsim::wire {

class EscPosStream {
public:
    explicit EscPosStream(escpos::DrawerSwitch wiring) : wiring_(wiring) {}

    // Lists at most maxItems items for the piece; the rest is read all the
    // same, but only counted, in one item at the end.
    void fromHost(const uint8_t* p, size_t n, size_t maxItems, std::vector<Item>& out);
    void answer(const uint8_t* p, size_t n, std::vector<Item>& out);
    // The printer ended the job: what was cut off is said, and reading starts afresh, as the printer's does.
    void endJob(std::vector<Item>& out);

private:
    // The data after a command's header.
    struct Data {
        bool active = false;
        escpos::Bytes header;
        size_t keyLength = 0;
        uint64_t total = 0;  // announced bytes of plain data
        uint64_t left = 0;   // of plain data, or of the record's body
        const escpos::Records* records = nullptr;
        uint64_t recordsLeft = 0;
        escpos::Bytes head;     // the record's head
        bool listed = false;    // the command's item is out; until then the first data bytes are collected
        escpos::Bytes preview;  // the first data bytes, which name a function or hold a symbol's text
    };
    size_t text(const uint8_t* p, size_t n, bool more);
    size_t command(const uint8_t* p, size_t n);
    size_t data(const uint8_t* p, size_t n);
    void list(const uint8_t* header, size_t headerLength, size_t keyLength, const escpos::Bytes& preview,
              uint64_t dataBytes, const std::string& dataWords);
    void notUnderstood(const uint8_t* p, size_t n);
    void expectAnswer(const uint8_t* c, size_t n, const escpos::Bytes& data);
    // Beyond the items listed for a piece, only counts: true when it counted.
    bool counted(uint64_t size);
    void emit(Item item);

    escpos::DrawerSwitch wiring_;
    escpos::Bytes pending_;  // the start of a command or of a character, waiting for the rest
    escpos::Bytes work_;
    Data data_;
    std::deque<Query> queries_;  // asked and not answered yet, oldest first
    bool automaticStatus_ = false;
    // For the piece being read.
    std::vector<Item>* out_ = nullptr;
    size_t maxItems_ = 0;
    uint64_t unlisted_ = 0, unlistedBytes_ = 0;
};

}  // namespace zsim::wire
