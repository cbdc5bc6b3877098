#include "SerialPeer.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>

namespace {

int TcpBase(std::string& error)
{
    const char* folder = std::getenv("ZPT_TEST_PORTS");
    if (!folder) {
        error = "ZPT_TEST_PORTS is not set (the test needs the serial fixture)";
        return -1;
    }
    std::ifstream in(std::string(folder) + "\\tcp-base");
    int base = -1;
    if (!(in >> base))
        error = std::string("no tcp-base in ") + folder;
    return base;
}

} // namespace

SerialPeer::SerialPeer(int comNumber)
{
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    const int base = TcpBase(m_error);
    if (base < 0)
        return;

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(base + comNumber));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        m_error = "cannot reach the serial bridge for COM" + std::to_string(comNumber);
        ::closesocket(s);
        return;
    }
    BOOL noDelay = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    m_socket = s;
    // The bridge quiets the line and says so before it forwards anything: from here on every byte
    // is the line's, and nothing the program writes later can be thrown away with the old ones.
    const std::string ready = "zpt-serial-bridge ready\n";
    const std::string got = Read(ready.size(), kHungMs);
    if (got != ready) {
        m_error = "the serial bridge for COM" + std::to_string(comNumber) + " did not say it was ready";
        ::closesocket(s);
        m_socket = ~0ull;
    }
}

SerialPeer::~SerialPeer()
{
    if (Connected())
        ::closesocket(static_cast<SOCKET>(m_socket));
}

void SerialPeer::Send(const std::string& bytes)
{
    size_t sent = 0;
    while (Connected() && sent < bytes.size()) {
        const int n =
            ::send(static_cast<SOCKET>(m_socket), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
}

std::string SerialPeer::ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (Connected() && !done(m_pending)) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(static_cast<SOCKET>(m_socket), &readable);
        const ULONGLONG left = deadline - now;
        timeval wait {static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0)
            continue;
        char chunk[4096];
        const int n = ::recv(static_cast<SOCKET>(m_socket), chunk, sizeof chunk, 0);
        if (n <= 0)
            break;
        m_pending.append(chunk, static_cast<size_t>(n));
    }
    std::string received;
    received.swap(m_pending);
    return received;
}

std::string SerialPeer::ReadLine(int timeoutMs)
{
    std::string all = ReadUntil([](const std::string& s) { return s.find('\n') != std::string::npos; }, timeoutMs);
    const size_t end = all.find('\n');
    if (end != std::string::npos && end + 1 < all.size()) {
        m_pending = all.substr(end + 1) + m_pending;
        all.resize(end + 1);
    }
    return all;
}

std::string SerialPeer::Read(size_t count, int timeoutMs)
{
    std::string all = ReadUntil([count](const std::string& s) { return s.size() >= count; }, timeoutMs);
    if (all.size() > count) {
        m_pending = all.substr(count) + m_pending;
        all.resize(count);
    }
    return all;
}

std::string SerialPeer::Drain(int waitMs)
{
    return ReadUntil([](const std::string&) { return false; }, waitMs);
}

std::string ReadComPort(void* port, size_t want, int attempts)
{
    std::string got;
    for (int attempt = 0; attempt < attempts && got.size() < want; ++attempt) {
        char buffer[256];
        DWORD n = 0;
        if (!::ReadFile(port, buffer, sizeof buffer, &n, nullptr))
            break;
        got.append(buffer, n);
    }
    return got;
}
