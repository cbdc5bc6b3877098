// The library against a network printer: a loopback TCP listener of the test's own plays it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "PosAdKit.h"

#include "devices/pos_ad.h"
#include "drivers/pos_ad/core/EscPos.h"
#include "drivers/pos_ad/core/Results.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// Accepts connections one after another and keeps what each sends; it can stop reading after a
// number of bytes, as a printer does whose buffer is full.
class Listener {
public:
    explicit Listener(size_t readLimit = SIZE_MAX, int receiveBuffer = 0) : m_readLimit(readLimit)
    {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (receiveBuffer)
            ::setsockopt(
                m_listen, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        ::listen(m_listen, 4);
        m_thread = std::thread([this] { Serve(); });
    }

    ~Listener()
    {
        m_stop = true;
        ::closesocket(m_listen);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_client != INVALID_SOCKET)
                ::shutdown(m_client, SD_BOTH);
        }
        m_thread.join();
    }

    int Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // What arrived so far, once count bytes are there or timeoutMs have passed.
    std::string Received(size_t count, int timeoutMs)
    {
        return ReceivedOnce([count](const std::string& received) { return received.size() >= count; }, timeoutMs);
    }
    // What arrived so far, once it holds part or timeoutMs have passed.
    std::string Received(const std::string& part, int timeoutMs)
    {
        return ReceivedOnce(
            [&part](const std::string& received) { return received.find(part) != std::string::npos; }, timeoutMs);
    }

    void Take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_received.clear();
    }
    int Connections() const { return m_connections; }
    void ReadAgain() { m_readLimit = SIZE_MAX; }

    void Answer(const std::string& bytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ::send(m_client, bytes.data(), static_cast<int>(bytes.size()), 0);
    }

private:
    std::string ReceivedOnce(const std::function<bool(const std::string&)>& done, int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (done(m_received))
                    break;
            }
            ::Sleep(10);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

    void Serve()
    {
        while (!m_stop) {
            const SOCKET client = ::accept(m_listen, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_client = client;
            }
            ++m_connections;
            for (;;) {
                size_t room;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    room = m_readLimit > m_received.size() ? m_readLimit - m_received.size() : 0;
                }
                if (room == 0) {
                    if (m_stop)
                        break;
                    ::Sleep(20);
                    continue;
                }
                char buffer[4096];
                const int n = ::recv(client, buffer, static_cast<int>(std::min<size_t>(room, sizeof buffer)), 0);
                if (n <= 0)
                    break;
                std::lock_guard<std::mutex> lock(m_mutex);
                m_received.append(buffer, static_cast<size_t>(n));
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            ::closesocket(client);
            m_client = INVALID_SOCKET;
        }
    }

    SOCKET m_listen = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<size_t> m_readLimit;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_connections {0};
    std::mutex m_mutex;
    std::string m_received;
    std::thread m_thread;
};

std::string Settings(const std::string& address)
{
    return "[POS]\r\nLOG=1\r\n[PRINTER]\r\nPORT=COM1\r\nRATE=115200\r\nLINESPACE=10\r\n[Print]\r\nDensity=3\r\n"
           "[CashDrawer]\r\nControlType=1\r\n[PosAdDll]\r\nPrinterAddress=" +
        address + "\r\n";
}

TEST(NetworkPrinter, TheSampleReceiptArrivesAsGoldenBytes)
{
    Listener printer;
    ScalesIni ini(Settings(printer.Address()));
    for (const std::string& line : SampleReceiptCalls()) {
        if (line == "BARCODE")
            PrintBarCode("6931081400127", 2, 50, 2);
        else
            PrintText(line.c_str(), 8);
    }
    EXPECT_EQ(BeginPrint(4), 1);
    const std::string golden = Golden("receipt");
    ExpectGolden("receipt", printer.Received(golden.size(), kHungMs));
}

TEST(NetworkPrinter, TheDrawerStateIsAskedOverTheConnection)
{
    Listener printer;
    ScalesIni ini(Settings(printer.Address()));
    EXPECT_EQ(CallWithReply([] { return GetCashDrawerStatus(); },
                  [&](bool answer) {
                      EXPECT_EQ(printer.Received(3, kHungMs), "\x10\x04\x01");
                      printer.Take();
                      if (answer)
                          printer.Answer("\x16");
                  },
                  result::For(Fault::NoAnswer).print, 0),
        0);
}

TEST(NetworkPrinter, APrinterThatStopsReadingMidJobFailsTheCallAndTheNextJobReconnects)
{
    Listener printer(4096, 8 * 1024);
    ScalesIni ini(Settings(printer.Address()));
    ClearRunLog();
    // 576 x 8000 dots: about 600 kB of ESC *, far more than the sockets hold.
    Picture tall;
    tall.width = 576;
    tall.height = 8000;
    tall.grey.assign(static_cast<size_t>(tall.width) * tall.height, 0);
    const std::string path = WriteTestFile("PosAdTcp", "tall.bmp", WriteBmp(tall, 1, false));
    EXPECT_EQ(PrintBitmapFile(path.c_str(), 0), -3);
    const std::string log = RunLogText();
    EXPECT_NE(log.find("stopped taking bytes"), std::string::npos) << log;

    printer.ReadAgain();
    printer.Take();
    EXPECT_EQ(PrintText("after", 8), 1);
    EXPECT_EQ(BeginPrint(1), 1);
    const std::string next = AsString(escpos::Initialize(10)) +
        "after\n\x1b"
        "d\x01";
    EXPECT_NE(printer.Received(next, kHungMs).find(next), std::string::npos);
    EXPECT_EQ(printer.Connections(), 2);
}

TEST(NetworkPrinter, NoListenerMeansTheCallFailsWithItsReason)
{
    int closedPort;
    {
        Listener gone;
        closedPort = gone.Port();
    }
    ScalesIni ini(Settings("127.0.0.1:" + std::to_string(closedPort)));
    ClearRunLog();
    EXPECT_EQ(CutPaper(), -2);
    ini.Rewrite(Settings("printer.example:9100"));
    ClosePrinterEx();
    EXPECT_EQ(CutPaper(), -2);
    const std::string log = RunLogText();
    EXPECT_NE(log.find("refused the connection"), std::string::npos) << log;
    EXPECT_NE(log.find("is not a numeric IP address"), std::string::npos) << log;
}

} // namespace
