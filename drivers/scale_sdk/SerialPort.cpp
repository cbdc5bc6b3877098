#include "SerialPort.h"

#include "drivers/common/SerialLine.h"

namespace {

// A cancelled request normally completes at once; a driver that never lets go of it leaves
// the request's buffers in use, and that direction of the port is given up.
const DWORD kCancelWaitMs = 1000;

} // namespace

std::unique_ptr<SerialPort> SerialPort::Open(const PortSettings& settings)
{
    std::unique_ptr<SerialPort> port(new SerialPort);
    port->m_port = ::CreateFileA(settings.DeviceName().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED, nullptr);
    if (port->m_port == INVALID_HANDLE_VALUE)
        return nullptr;
    port->m_read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port->m_write.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!port->m_read.hEvent || !port->m_write.hEvent)
        return nullptr;

    ::SetupComm(port->m_port, 4096, 4096);
    if (!SetLine8N1(port->m_port, settings.baud))
        return nullptr;

    // A read ends 1 ms after the last byte, so a line is handed on as soon as it is complete,
    // and after kPollMs when nothing comes at all.
    COMMTIMEOUTS timeouts {};
    timeouts.ReadIntervalTimeout = 1;
    timeouts.ReadTotalTimeoutConstant = kPollMs;
    if (!::SetCommTimeouts(port->m_port, &timeouts))
        return nullptr;
    ::PurgeComm(port->m_port, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return port;
}

SerialPort::~SerialPort()
{
    if (m_port != INVALID_HANDLE_VALUE) {
        ::CancelIo(m_port);
        ::CloseHandle(m_port);
        // Closing ends every request still running; wait for them before the OVERLAPPEDs go.
        if (m_readStuck && m_read.hEvent)
            ::WaitForSingleObject(m_read.hEvent, kCancelWaitMs);
        if (m_writeStuck && m_write.hEvent)
            ::WaitForSingleObject(m_write.hEvent, kCancelWaitMs);
    }
    if (m_read.hEvent)
        ::CloseHandle(m_read.hEvent);
    if (m_write.hEvent)
        ::CloseHandle(m_write.hEvent);
}

bool SerialPort::Abandon(OVERLAPPED& overlapped)
{
    ::CancelIoEx(m_port, &overlapped);
    if (::WaitForSingleObject(overlapped.hEvent, kCancelWaitMs) != WAIT_OBJECT_0)
        return false;
    DWORD ignored = 0;
    ::GetOverlappedResult(m_port, &overlapped, &ignored, FALSE);
    return true;
}

int SerialPort::Read(char* buffer, DWORD size, HANDLE stop)
{
    if (m_readStuck)
        return ::WaitForSingleObject(stop, kPollMs) == WAIT_OBJECT_0 ? kStopped : kFailed;

    const HANDLE event = m_read.hEvent;
    m_read = OVERLAPPED {};
    m_read.hEvent = event;
    ::ResetEvent(event);

    DWORD count = 0;
    if (!::ReadFile(m_port, buffer, size, &count, &m_read)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return kFailed;
        // The port's own timeout ends the read after kPollMs; the wait allows for a slow system.
        const HANDLE waits[2] = {stop, event};
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, 5 * kPollMs);
        if (woken != WAIT_OBJECT_0 + 1) {
            m_readStuck = !Abandon(m_read);
            return woken == WAIT_OBJECT_0 ? kStopped : kFailed;
        }
        // A read that ends at its own timeout with nothing is a quiet scale, not a failed port:
        // Wine reports it so, and a failure would keep the reader from the port for kPollMs.
        if (!::GetOverlappedResult(m_port, &m_read, &count, FALSE) && !IsTimeout(::GetLastError()))
            return kFailed;
    }
    if (::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0)
        return kStopped;
    return static_cast<int>(count);
}

bool SerialPort::Write(const std::string& bytes, DWORD timeoutMs)
{
    if (m_writeStuck)
        return false;
    const HANDLE event = m_write.hEvent;
    m_write = OVERLAPPED {};
    m_write.hEvent = event;
    ::ResetEvent(event);

    DWORD written = 0;
    if (!::WriteFile(m_port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &m_write)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return false;
        if (::WaitForSingleObject(event, timeoutMs) != WAIT_OBJECT_0) {
            m_writeStuck = !Abandon(m_write);
            return false;
        }
        if (!::GetOverlappedResult(m_port, &m_write, &written, FALSE))
            return false;
    }
    return written == bytes.size();
}
