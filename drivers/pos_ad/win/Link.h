// A connection to a device: serial port, parallel port, USB printer or network printer.
#pragma once

#include "drivers/pos_ad/core/Config.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class Link {
public:
    virtual ~Link() = default;

    // Sends every byte, or stops where the device stopped taking them (bounds.h). sent counts
    // the bytes the device took; false with a reason when not all of them went.
    virtual bool Write(const uint8_t* data, size_t size, size_t& sent, std::string& error) = 0;
    // Waits up to timeoutMs for at least one byte and returns what came, perhaps nothing.
    // False only when the line itself failed.
    virtual bool Read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, size_t& got, std::string& error) = 0;
    // Drops whatever the device sent before, so an answer is the answer to what follows.
    virtual void DiscardInput() = 0;
};

// Opens the port the port text names. Null with a reason when it cannot.
std::unique_ptr<Link> OpenLink(const PortSpec& spec, std::string& error);

// The system's own words for a Win32 error code, with the number.
std::string SystemError(unsigned long code);
