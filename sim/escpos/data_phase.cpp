// The data after a command's header, taken in whatever pieces it arrives in
// and handed on record by record to the reader its row names; data of a
// known length is one record without a head. Nothing is buffered beyond
// what the reader keeps.
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

void Interpreter::beginData(const CommandRow& row, const Extent& extent, std::string name) {
    DataPhase& d = data_;
    d.reader = row.data;
    d.name = std::move(name);
    d.records = extent.records;
    d.recordsLeft = d.records ? d.records->count(in_.command.data()) : 1;
    d.record = 0;
    d.headLength = d.records ? d.records->headLength : 0;
    d.head.clear();
    d.bodyLeft = extent.data;
    if (row.run) row.run(*this, in_.command);
    if (d.recordsLeft == 0) return endData(true);
    settleData();
}

size_t Interpreter::consumeData(const uint8_t* p, size_t n) {
    DataPhase& d = data_;
    size_t used = 0;
    while (d.reader && used < n) {
        if (d.head.size() < d.headLength) {
            d.head.push_back(p[used++]);
            if (d.head.size() == d.headLength) startRecord();
        } else {
            const size_t offered = static_cast<size_t>(std::min<uint64_t>(d.bodyLeft, n - used));
            const size_t taken = d.reader->take(*this, p + used, offered);
            used += taken;
            d.bodyLeft -= taken;
        }
        settleData();
    }
    return used;
}

void Interpreter::startRecord() {
    DataPhase& d = data_;
    if (d.records) d.bodyLeft = d.records->bodyLength(in_.command.data(), d.head.data());
    if (d.reader->startRecord) d.reader->startRecord(*this, d.head);
}

void Interpreter::settleData() {
    DataPhase& d = data_;
    while (d.reader && d.head.size() == d.headLength && d.bodyLeft == 0) {
        if (d.reader->endRecord) d.reader->endRecord(*this, true);
        ++d.record;
        d.head.clear();
        if (--d.recordsLeft == 0) return endData(true);
    }
}

void Interpreter::endData(bool complete) {
    const DataReader* reader = data_.reader;
    data_.reader = nullptr;
    // A record whose head is in ends as far as it came; one cut off in its
    // head never began.
    if (!complete && reader->endRecord && data_.head.size() == data_.headLength) reader->endRecord(*this, false);
    in_.command.clear();
    data_.payload.clear();
    data_.payload.shrink_to_fit();
}

}  // namespace zsim::escpos
