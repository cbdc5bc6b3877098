// How fast the library pushes bytes to a printer that takes them as fast as they come, over a
// COM port (pseudo-terminal drained by the bench) and over loopback TCP, for the sample receipt
// and a 576 x 2000 bitmap; the library's share of a job's time at 115200 baud; and how long a
// call that waits for an answer takes when the board or printer answers at once.
// Run by scripts/bench-pos-ad.sh, which sets up the serial lines.
#include <winsock2.h>

#include "bench/Responder.h"
#include "bench/Stopwatch.h"
#include "devices/pos_ad.h"
#include "drivers/pos_ad/core/Board.h"
#include "pos_ad/BmpWriter.h"
#include "pos_ad/PosAdKit.h"
#include "support/SerialPeer.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

const int kCom = 10;
const int kBoardCom = 9;
const int kRounds = 15;

// Counts what the printer end receives, on a thread of its own, as fast as it comes.
class Sink {
public:
    virtual ~Sink() = default;
    virtual std::string Address() const = 0;
    size_t Received() const { return m_received; }
    // Waits until total bytes are in; false when they do not come within 60 s.
    bool WaitFor(size_t total)
    {
        const ULONGLONG deadline = ::GetTickCount64() + 60000;
        while (m_received < total)
            if (::GetTickCount64() > deadline)
                return false;
        return true;
    }

protected:
    std::atomic<size_t> m_received {0};
};

class SerialSink : public Sink {
public:
    SerialSink() : m_peer(kCom)
    {
        m_thread = std::thread([this] {
            while (!m_stop)
                m_received += m_peer.ReadUntil([](const std::string& s) { return !s.empty(); }, 50).size();
        });
    }
    ~SerialSink() override
    {
        m_stop = true;
        m_thread.join();
    }
    bool Ok() const { return m_peer.Connected(); }
    std::string Address() const override { return ""; }

private:
    SerialPeer m_peer;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

class TcpSink : public Sink {
public:
    TcpSink()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int length = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &length);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 1);
        m_thread = std::thread([this] {
            const SOCKET client = ::accept(m_listen, nullptr, nullptr);
            std::vector<char> buffer(1 << 16);
            for (int n; (n = ::recv(client, buffer.data(), static_cast<int>(buffer.size()), 0)) > 0;)
                m_received += static_cast<size_t>(n);
            ::closesocket(client);
        });
    }
    ~TcpSink() override
    {
        ClosePrinterEx(); // the library closes its connection, so the reader sees the end
        ::closesocket(m_listen);
        m_thread.join();
    }
    std::string Address() const override { return "127.0.0.1:" + std::to_string(m_port); }

private:
    SOCKET m_listen;
    int m_port = 0;
    std::thread m_thread;
};

void PrintReceipt()
{
    for (const std::string& line : SampleReceiptCalls()) {
        if (line == "BARCODE")
            PrintBarCode("6931081400127", 2, 50, 2);
        else
            PrintText(line.c_str(), 8);
    }
    BeginPrint(4);
}

// Runs the job kRounds times; each round ends when the sink has every byte.
void Measure(const char* sinkName, Sink& sink, const char* jobName, const std::function<void()>& job)
{
    // The first job also opens the line and initialises the printer; the second, untimed, tells
    // how many bytes a job is.
    job();
    ::Sleep(1000);
    size_t before = sink.Received();
    job();
    ::Sleep(1000);
    const size_t bytes = sink.Received() - before;
    std::vector<double> times, calls;
    for (int round = 0; round < kRounds; ++round) {
        before = sink.Received();
        const double start = NowMs() / 1000.0;
        job();
        calls.push_back(NowMs() / 1000.0 - start);
        if (!sink.WaitFor(before + bytes)) {
            std::printf("%-8s %-16s: the sink did not receive the job's %zu bytes\n", sinkName, jobName, bytes);
            return;
        }
        times.push_back(NowMs() / 1000.0 - start);
    }
    // Delivered: until the sink has every byte (for the COM port this includes the test bridge's
    // relay from the pseudo-terminal). In the library: until the job's calls return, which is
    // the library's own share of a job's time.
    const double delivered = Median(times);
    const double inLibrary = Median(calls);
    const double lineTime = static_cast<double>(bytes) * 10.0 / 115200.0;
    std::printf("%-6s %-16s %7zu bytes | delivered %8.2f ms, %9.0f bytes/s | in library %8.2f ms | "
                "115200 baud %9.1f ms | library share %5.2f %%\n",
        sinkName, jobName, bytes, delivered * 1000, bytes / delivered, inLibrary * 1000, lineTime * 1000,
        100.0 * inLibrary / lineTime);
}

// Times a call whose device answers at once; the first call, which opens the line, is not timed.
void MeasureAnswer(const char* name, unsigned boundMs, int expected, const std::function<int()>& call)
{
    call();
    std::vector<double> times;
    int wrong = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = NowMs();
        wrong += call() != expected;
        times.push_back(NowMs() - start);
    }
    std::printf("%-34s answered at once: median %7.1f ms, max %7.1f ms (bound %u ms), %d of %d results wrong\n", name,
        Median(times), *std::max_element(times.begin(), times.end()), boundMs, wrong, kRounds);
}

void MeasureAnswers()
{
    const auto frame = [](uint8_t letter, const std::string& payload) {
        const Bytes bytes = board::Build(letter, payload);
        return std::string(bytes.begin(), bytes.end());
    };
    {
        ScalesIni ini("[POS]\r\nLOG=0\r\n[SCALE]\r\nPORT=COM9\r\nRATE=9600\r\n");
        Responder board(kBoardCom, frame('W', ""), frame('W', "5  1.250  0.500"));
        if (!board.Ok())
            return;
        char record[18];
        MeasureAnswer("board read_standard (9600 baud)", 300, 240, [&] { return read_standard(record); });
        ClosePrinterEx();
    }
    {
        ScalesIni ini("[POS]\r\nLOG=0\r\n[PRINTER]\r\nPORT=COM10\r\nRATE=115200\r\n[CashDrawer]\r\nControlType=1\r\n");
        Responder printer(kCom, "\x10\x04\x01", "\x12");
        if (!printer.Ok())
            return;
        MeasureAnswer("printer GetCashDrawerStatus", 1000, 1, [] { return GetCashDrawerStatus(); });
        ClosePrinterEx();
    }
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    ::CreateDirectoryA("C:\\Morvane", nullptr);
    Picture picture = Picture::Pattern(576, 2000, 16);
    const std::string bitmap = WriteTestFile("PosAdBench", "576x2000.bmp", WriteBmp(picture, 24, false));
    auto printBitmap = [&] { PrintBitmapFile(bitmap.c_str(), 0); };
    std::printf("%d timed rounds a job, after one that opens the line and one that counts the bytes\n", kRounds);
    {
        ScalesIni ini(
            "[POS]\r\nLOG=0\r\n[PRINTER]\r\nPORT=COM10\r\nRATE=115200\r\nLINESPACE=10\r\n[Print]\r\nDensity=3\r\n");
        SerialSink serial;
        if (!serial.Ok()) {
            std::printf("no serial line: run through scripts/bench-pos-ad.sh\n");
            return 1;
        }
        Measure("COM10", serial, "sample receipt", PrintReceipt);
        Measure("COM10", serial, "576x2000 bitmap", printBitmap);
    }
    for (const auto& [name, job] : {std::pair<const char*, std::function<void()>> {"sample receipt", PrintReceipt},
             {"576x2000 bitmap", printBitmap}}) {
        TcpSink tcp;
        ScalesIni ini(
            "[POS]\r\nLOG=0\r\n[PRINTER]\r\nLINESPACE=10\r\n[Print]\r\nDensity=3\r\n[PosAdDll]\r\nPrinterAddress=" +
            tcp.Address() + "\r\n");
        Measure("TCP", tcp, name, job);
    }
    MeasureAnswers();
    return 0;
}
