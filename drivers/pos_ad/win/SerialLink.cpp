// Serial ports (8N1, no flow control). The port's own write timeouts bound every chunk.
#include "Links.h"

#include "Bounds.h"
#include "drivers/common/OwnedHandle.h"
#include "drivers/common/SerialLine.h"

#include <algorithm>

namespace {

class SerialLink : public Link {
public:
    SerialLink(OwnedHandle port, int baud) : m_port(std::move(port)), m_baud(baud) { }

    bool Write(const uint8_t* data, size_t size, size_t& sent, std::string& error) override
    {
        sent = 0;
        if (!SetTimeouts(0))
            return Fail(error, "cannot set the port's timeouts");
        while (sent < size) {
            const DWORD chunk = static_cast<DWORD>(std::min(size - sent, bounds::kChunkBytes));
            DWORD written = 0;
            const BOOL ok = ::WriteFile(m_port.get(), data + sent, chunk, &written, nullptr);
            const DWORD code = ok ? 0 : ::GetLastError();
            sent += written;
            if (!ok && !IsTimeout(code))
                return Fail(error, "write failed: " + SystemError(code));
            if (written < chunk)
                return Fail(
                    error, "the device stopped taking bytes (nothing for " + std::to_string(WriteBoundMs()) + " ms)");
        }
        return true;
    }

    bool Read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, size_t& got, std::string& error) override
    {
        got = 0;
        if (!SetTimeouts(timeoutMs))
            return Fail(error, "cannot set the port's timeouts");
        DWORD n = 0;
        if (!::ReadFile(m_port.get(), buffer, static_cast<DWORD>(std::min<size_t>(capacity, 4096)), &n, nullptr)) {
            const DWORD code = ::GetLastError();
            if (!IsTimeout(code))
                return Fail(error, "read failed: " + SystemError(code));
        }
        got = n;
        return true;
    }

    void DiscardInput() override { ::PurgeComm(m_port.get(), PURGE_RXCLEAR | PURGE_RXABORT); }

private:
    static bool Fail(std::string& error, std::string why)
    {
        error = std::move(why);
        return false;
    }

    // Twice the line time of a byte, rounded up to whole milliseconds.
    DWORD MsPerByte() const { return static_cast<DWORD>((2 * 10 * 1000 + m_baud - 1) / m_baud); }
    DWORD WriteBoundMs() const { return bounds::kStallMs + MsPerByte() * static_cast<DWORD>(bounds::kChunkBytes); }

    // A read returns once the line has been quiet for two byte times after a byte came, and after
    // readMs at the latest. Not the MAXDWORD pair that means "return at the first byte": Wine 8
    // takes that pair as no interval at all and waits out readMs with the answer long in.
    bool SetTimeouts(unsigned readMs)
    {
        COMMTIMEOUTS timeouts {};
        timeouts.ReadIntervalTimeout = MsPerByte();
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = readMs ? readMs : 1; // both total parts 0 would mean no bound
        timeouts.WriteTotalTimeoutMultiplier = MsPerByte();
        timeouts.WriteTotalTimeoutConstant = bounds::kStallMs;
        return ::SetCommTimeouts(m_port.get(), &timeouts) != 0;
    }

    OwnedHandle m_port;
    int m_baud;
};

} // namespace

std::unique_ptr<Link> OpenSerialLink(const PortSpec& spec, std::string& error)
{
    OwnedHandle port = OwnFile(
        ::CreateFileA(spec.device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!port) {
        error = spec.name + " cannot be opened: " + SystemError(::GetLastError());
        return nullptr;
    }
    if (!SetLine8N1(port.get(), static_cast<DWORD>(spec.baud))) {
        error =
            spec.name + " does not take " + std::to_string(spec.baud) + " baud 8N1: " + SystemError(::GetLastError());
        return nullptr;
    }
    ::PurgeComm(port.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
    return std::make_unique<SerialLink>(std::move(port), spec.baud);
}
