// One COM port opened for overlapped I/O, so the reader thread can wait for bytes and for a stop
// request at once, and a command can be written from another thread meanwhile. Every wait is
// bounded.
#pragma once

#include "PortSettings.h"

#include <windows.h>

#include <memory>
#include <string>

class SerialPort {
public:
    // 8 data bits, no parity, one stop bit, no flow control. Null when the port cannot be opened
    // or does not take the settings.
    static std::unique_ptr<SerialPort> Open(const PortSettings& settings);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    enum : int { kStopped = -1, kFailed = -2 };
    // Bytes read (0 when none came within the poll time), kStopped once stop is signalled, or
    // kFailed. Returns within kPollMs plus the cancel bound.
    int Read(char* buffer, DWORD size, HANDLE stop);
    // True when every byte left within timeoutMs.
    bool Write(const std::string& bytes, DWORD timeoutMs);

    static constexpr DWORD kPollMs = 200;

private:
    SerialPort() = default;
    // Cancels the request of overlapped and waits, bounded, until the system lets go of it.
    bool Abandon(OVERLAPPED& overlapped);

    HANDLE m_port = INVALID_HANDLE_VALUE;
    // Members, not locals: the system writes into them until a request has completed.
    OVERLAPPED m_read {};
    OVERLAPPED m_write {};
    bool m_readStuck = false;
    bool m_writeStuck = false;
};
