// Network printers: raw TCP (port 9100 unless the address says otherwise), non-blocking, so
// connecting, sending and reading each wait at most their bound.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "Links.h"

#include "Bounds.h"
#include "drivers/common/OwnedHandle.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace {

constexpr int kSendBufferBytes = 64 * 1024;

bool StartWinsock(std::string& error)
{
    static std::once_flag once;
    static int status = -1;
    std::call_once(once, [] {
        WSADATA data;
        status = ::WSAStartup(MAKEWORD(2, 2), &data);
    });
    if (status != 0)
        error = "network cannot be used: " + SystemError(static_cast<unsigned long>(status));
    return status == 0;
}

// Waits until the socket can write (or read); false on timeout or error.
int WaitFor(SOCKET s, bool write, unsigned timeoutMs)
{
    fd_set set, failed;
    FD_ZERO(&set);
    FD_ZERO(&failed);
    FD_SET(s, &set);
    FD_SET(s, &failed);
    timeval wait {static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    return ::select(0, write ? nullptr : &set, write ? &set : nullptr, &failed, &wait);
}

// A socket, closed with its owner. (A SOCKET is a number, not a pointer, so unique_ptr cannot hold it.)
class OwnedSocket {
public:
    explicit OwnedSocket(SOCKET s) noexcept : m_socket(s) { }
    OwnedSocket(OwnedSocket&& other) noexcept : m_socket(std::exchange(other.m_socket, INVALID_SOCKET)) { }
    OwnedSocket& operator=(OwnedSocket&&) = delete;
    ~OwnedSocket()
    {
        if (m_socket != INVALID_SOCKET)
            ::closesocket(m_socket);
    }
    SOCKET get() const noexcept { return m_socket; }

private:
    SOCKET m_socket;
};

class TcpLink : public Link {
public:
    TcpLink(OwnedSocket s, std::string name) : m_socket(std::move(s)), m_name(std::move(name)) { }

    bool Write(const uint8_t* data, size_t size, size_t& sent, std::string& error) override
    {
        sent = 0;
        while (sent < size) {
            const int n = ::send(m_socket.get(), reinterpret_cast<const char*>(data + sent),
                static_cast<int>(std::min<size_t>(size - sent, 1 << 20)), 0);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            const int code = ::WSAGetLastError();
            if (code != WSAEWOULDBLOCK) {
                error = "send to " + m_name + " failed: " + SystemError(static_cast<unsigned long>(code));
                return false;
            }
            if (WaitFor(m_socket.get(), true, bounds::kStallMs) <= 0) {
                error = "the printer stopped taking bytes (nothing for " + std::to_string(bounds::kStallMs) + " ms)";
                return false;
            }
        }
        return true;
    }

    bool Read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, size_t& got, std::string& error) override
    {
        got = 0;
        const int ready = WaitFor(m_socket.get(), false, timeoutMs);
        if (ready <= 0)
            return ready == 0 || Failed(error, "waiting for an answer");
        const int n = ::recv(
            m_socket.get(), reinterpret_cast<char*>(buffer), static_cast<int>(std::min<size_t>(capacity, 4096)), 0);
        if (n == 0) {
            error = m_name + " closed the connection";
            return false;
        }
        if (n < 0)
            return ::WSAGetLastError() == WSAEWOULDBLOCK || Failed(error, "reading");
        got = static_cast<size_t>(n);
        return true;
    }

    void DiscardInput() override
    {
        char sink[512];
        while (::recv(m_socket.get(), sink, sizeof sink, 0) > 0) { }
    }

private:
    bool Failed(std::string& error, const char* what)
    {
        error = std::string(what) + " from " + m_name +
            " failed: " + SystemError(static_cast<unsigned long>(::WSAGetLastError()));
        return false;
    }

    OwnedSocket m_socket;
    std::string m_name;
};

} // namespace

std::unique_ptr<Link> OpenTcpLink(const PortSpec& spec, std::string& error)
{
    if (!StartWinsock(error))
        return nullptr;
    addrinfo hints {};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV; // no name lookup: it could wait without bound
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(spec.tcpPort);
    if (::getaddrinfo(spec.host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        error = "printer address \"" + spec.host + "\" is not a numeric IP address";
        return nullptr;
    }
    const Owned<addrinfo*, &::freeaddrinfo> address(found);
    OwnedSocket owned(::socket(address->ai_family, SOCK_STREAM, IPPROTO_TCP));
    const SOCKET s = owned.get();
    if (s == INVALID_SOCKET) {
        error = "no socket: " + SystemError(static_cast<unsigned long>(::WSAGetLastError()));
        return nullptr;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    // A bounded send buffer keeps "the printer stopped reading" from hiding in the kernel for long.
    const int sendBuffer = kSendBufferBytes;
    ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer), sizeof sendBuffer);
    BOOL noDelay = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);

    const int connected = ::connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen));
    const std::string where = spec.host + ":" + service;
    if (connected != 0) {
        const int code = ::WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            error = where + " cannot be reached: " + SystemError(static_cast<unsigned long>(code));
            return nullptr;
        }
        if (WaitFor(s, true, bounds::kConnectMs) <= 0) {
            error = where + " did not accept a connection within " + std::to_string(bounds::kConnectMs) + " ms";
            return nullptr;
        }
        int socketError = 0;
        int length = sizeof socketError;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError), &length);
        if (socketError != 0) {
            error = where + " refused the connection: " + SystemError(static_cast<unsigned long>(socketError));
            return nullptr;
        }
    }
    return std::make_unique<TcpLink>(std::move(owned), where);
}
