// The device end of a test serial line. COMn of the test prefix leads through a real
// pseudo-terminal to a loopback TCP port (tests/serial/bridge.py); this object holds that
// connection, so a test plays the printer, scale or board the program talks to.
#pragma once

#include "TestFiles.h"

#include <functional>
#include <string>

class SerialPeer {
public:
    // Connects to the far end of COMn (1..12), or of LPT1 with 13, and returns once the bridge has
    // quieted the line. Connect before the program opens the port.
    explicit SerialPeer(int comNumber);
    ~SerialPeer();
    SerialPeer(const SerialPeer&) = delete;
    SerialPeer& operator=(const SerialPeer&) = delete;

    bool Connected() const { return m_socket != ~0ull; }
    const std::string& Error() const { return m_error; }

    void Send(const std::string& bytes);
    // Everything received until done(received) holds or timeoutMs pass, whichever is first.
    std::string ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs);
    // One line up to and including '\n', or what came before the time ran out.
    std::string ReadLine(int timeoutMs);
    // Exactly count bytes, or fewer if the time runs out.
    std::string Read(size_t count, int timeoutMs);
    // Whatever arrives within waitMs: only for bytes that must not come.
    std::string Drain(int waitMs);

private:
    unsigned long long m_socket = ~0ull;
    std::string m_pending; // received but not yet handed to the test
    std::string m_error;
};

// The program's end of a COM port, read as a test opened it (200 ms read timeouts): until want
// bytes came or attempts reads came back empty-handed; the default only ends a test that hangs.
std::string ReadComPort(void* port, size_t want, int attempts = kHungMs / 200);
