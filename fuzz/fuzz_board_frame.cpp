// Bytes from the board's serial line, as the library reads them: frames found among noise, then
// weight readings written into an 18-byte record and single-byte answers.
#include "Board.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t at = 0;
    while (at < size) {
        board::Frame frame;
        size_t consumed = 0;
        const board::Scan scan = board::Find(data + at, size - at, frame, consumed);
        if (consumed > size - at)
            __builtin_trap();
        if (scan == board::Scan::NeedMore) {
            if (consumed == 0)
                break;
        } else if (consumed == 0) {
            __builtin_trap(); // no progress on garbage or a found frame
        }
        at += consumed;
        if (scan != board::Scan::Found)
            continue;
        if (frame.payload.size() > board::kMaxPayload)
            __builtin_trap();
        board::Reading reading;
        std::string error;
        if (board::ParseReading(frame, reading, error)) {
            // Exactly the record's size, so the sanitizer sees any write past it.
            std::unique_ptr<char[]> record(new char[board::kRecordLength]);
            board::FillRecord(reading, record.get());
        }
        uint8_t value = 0;
        board::ParseSingle(frame, value, error);
    }
    return 0;
}
