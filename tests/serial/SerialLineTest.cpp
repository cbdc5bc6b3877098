// The test serial lines themselves: a COM port of the prefix reaches the peer and back, and can
// be opened again. Every other serial test relies on this.
#include "support/SerialPeer.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

HANDLE OpenPort(const char* name)
{
    const HANDLE port = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return port;
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(port, &dcb);
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    ::SetCommState(port, &dcb);
    COMMTIMEOUTS timeouts {};
    timeouts.ReadIntervalTimeout = 20;
    timeouts.ReadTotalTimeoutConstant = 200;
    timeouts.WriteTotalTimeoutConstant = 1000;
    ::SetCommTimeouts(port, &timeouts);
    return port;
}

TEST(SerialLine, BytesCrossBothWaysAndThePortOpensAgain)
{
    SerialPeer peer(7);
    ASSERT_TRUE(peer.Connected()) << peer.Error();
    for (int round = 0; round < 2; ++round) {
        const HANDLE port = OpenPort("\\\\.\\COM7");
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << "round " << round << " error " << ::GetLastError();
        DWORD written = 0;
        const std::string binary("ping\x00\xff\r\n", 8);
        ASSERT_TRUE(::WriteFile(port, binary.data(), static_cast<DWORD>(binary.size()), &written, nullptr));
        EXPECT_EQ(peer.Read(binary.size(), kHungMs), binary);
        peer.Send("pong\n");
        EXPECT_EQ(ReadComPort(port, 5), "pong\n");
        ::CloseHandle(port);
    }
}

TEST(SerialLine, AReadWithNothingToReadEndsAtItsTimeout)
{
    SerialPeer peer(8);
    ASSERT_TRUE(peer.Connected()) << peer.Error();
    const HANDLE port = OpenPort("\\\\.\\COM8");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    char buffer[16];
    DWORD n = 1;
    EXPECT_TRUE(::ReadFile(port, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 0u);
    ::CloseHandle(port);
}

TEST(SerialLine, ANewPeerStartsOnAQuietLine)
{
    {
        SerialPeer first(9);
        ASSERT_TRUE(first.Connected()) << first.Error();
        const HANDLE port = OpenPort("\\\\.\\COM9");
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
        const std::string stale = "stale bytes for nobody";
        first.Send(stale);
        // Left waiting in the port, where the next peer's start must clear them.
        COMSTAT waiting {};
        for (int polls = 0; polls < kHungMs / 10 && waiting.cbInQue < stale.size(); ++polls) {
            DWORD errors = 0;
            ::ClearCommError(port, &errors, &waiting);
            ::Sleep(10);
        }
        EXPECT_EQ(waiting.cbInQue, stale.size());
        ::CloseHandle(port);
    }
    SerialPeer second(9);
    ASSERT_TRUE(second.Connected()) << second.Error();
    const HANDLE port = OpenPort("\\\\.\\COM9");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadComPort(port, 1, 2), "");
    ::CloseHandle(port);
}

} // namespace
