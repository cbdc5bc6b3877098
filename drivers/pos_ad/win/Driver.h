// The library's state between calls: the settings read when the connection opened, the printer
// and board lines, and the job that BeginPrint sends.
#pragma once

#include "Link.h"

#include "drivers/pos_ad/core/Board.h"
#include "drivers/pos_ad/core/Bytes.h"
#include "drivers/pos_ad/core/Config.h"
#include "drivers/pos_ad/core/Results.h"

#include <memory>
#include <optional>
#include <string>

// How a piece of work went, for the call's result and its run-log line.
struct Outcome {
    Fault fault = Fault::None;
    std::optional<int> answer; // what the call returns when it went well, if not its usual success
    std::string detail;
    size_t sent = 0;

    bool ok() const { return fault == Fault::None; }
    static Outcome Failed(Fault fault, std::string why)
    {
        Outcome o;
        o.fault = fault;
        o.detail = std::move(why);
        return o;
    }
};

class Driver {
public:
    // Read from the settings file at the first call after the start or after CloseAll.
    const PosAdConfig& Config();

    // Adds to the job; nothing goes to the printer until Send (a very large job goes early).
    Outcome Queue(const Bytes& bytes);
    // The job so far, then these bytes, to the printer now.
    Outcome Send(const Bytes& bytes);
    // DLE EOT 1 and its one-byte answer.
    Outcome PrinterStatus(uint8_t& status);
    // Sends a job still queued, closes both lines and forgets the settings.
    Outcome CloseAll();

    // One request to the board and its answer with the same letter.
    Outcome BoardRequest(uint8_t command, std::string_view payload, board::Frame& answer);
    // A request the board answers '0' when it did it: zero, tare, clear tare, open the drawer.
    Outcome BoardCommand(uint8_t command, std::string_view payload);

private:
    Outcome OpenPrinter();

    std::optional<PosAdConfig> m_config;
    std::unique_ptr<Link> m_printer;
    bool m_printerNew = false; // the next bytes start with the printer's initialisation
    Bytes m_job;
    std::unique_ptr<Link> m_board;
};
