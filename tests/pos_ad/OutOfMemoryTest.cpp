// The library's calls with an allocation failing at each point in turn. The library's sources are
// linked into this program, so they allocate through the operator new below; the DLL carries a
// C++ runtime of its own, which no replacement in a test program reaches.
#include "devices/pos_ad_library.h"
#include "support/SerialPeer.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// How many allocations succeed before one fails; negative: none fails.
std::atomic<long> g_allocationsLeft {-1};

} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsLeft.load() >= 0 && g_allocationsLeft.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace {

const char kSettingsFile[] = "C:\\Morvane\\scales.ini";
const int kPrinterCom = 10;

// This test's settings for as long as it runs; the file as it was afterwards.
class TestSettings {
public:
    explicit TestSettings(const std::string& text)
        : m_existed(FileExists(kSettingsFile)), m_previous(ReadWholeFile(kSettingsFile))
    {
        ::CreateDirectoryA("C:\\Morvane", nullptr);
        WriteWholeFile(kSettingsFile, text);
    }
    ~TestSettings()
    {
        if (m_existed)
            WriteWholeFile(kSettingsFile, m_previous);
        else
            ::DeleteFileA(kSettingsFile);
    }

private:
    bool m_existed;
    std::string m_previous;
};

// The handles this process holds, as the system lists them (its per-process count is not kept
// by Wine).
size_t OpenHandles()
{
    struct Entry {
        ULONG process;
        BYTE type;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    const auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    std::vector<ULONG_PTR> buffer(1 << 16);
    for (;;) {
        const ULONG bytes = static_cast<ULONG>(buffer.size() * sizeof buffer[0]);
        const NTSTATUS status = ::NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), bytes, nullptr);
        if (status == static_cast<NTSTATUS>(0xC0000004)) { // too small
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return 0;
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 1);
        return static_cast<size_t>(std::count_if(
            entries, entries + count, [](const Entry& e) { return e.process == ::GetCurrentProcessId(); }));
    }
}

} // namespace

TEST(OutOfMemory, ACallFailsAtEachAllocationAndKeepsNoHandle)
{
    TestSettings settings("[POS]\r\nLOG=1\r\n[PRINTER]\r\nPORT=COM" + std::to_string(kPrinterCom) +
        "\r\nRATE=9600\r\n[CashDrawer]\r\nControlType=1\r\n");
    SerialPeer printer(kPrinterCom); // takes what is printed, so the line never backs up
    ASSERT_TRUE(printer.Connected()) << printer.Error();

    // A barcode's arguments are more than std::function holds without allocating; the cut opens
    // the port and sends the job. Allocation number `failing` fails; ranOut says it was reached.
    struct Round {
        int barcode, cut;
        bool ranOut;
    };
    auto printAndCut = [](long failing) {
        ClosePrinterEx();
        g_allocationsLeft = failing;
        Round round {PrintBarCode("6931081400127", 2, 50, 2), CutPaper(), false};
        round.ranOut = g_allocationsLeft.exchange(-1) < 0;
        ClosePrinterEx();
        return round;
    };
    // What the process makes only once: a round without a failure, and a first exception (under
    // Wine the first one thrown leaves two handles behind).
    const Round plain = printAndCut(-1);
    ASSERT_TRUE(plain.barcode == 1 && plain.cut == 1);
    try {
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
    }
    const size_t handles = OpenHandles();
    ASSERT_GT(handles, 0u);

    for (long failing = 0;; ++failing) {
        const Round round = printAndCut(failing);
        if (!round.ranOut) {
            EXPECT_TRUE(round.barcode == 1 && round.cut == 1);
            break;
        }
        EXPECT_TRUE(round.barcode == 1 || round.barcode == -1) << "allocation " << failing << ": " << round.barcode;
        EXPECT_TRUE(round.cut == 1 || round.cut == -1) << "allocation " << failing << ": " << round.cut;
        ASSERT_EQ(OpenHandles(), handles) << "allocation " << failing;
    }
}
