// Our pos_ad_dll.dll loaded the way the program loads it, with the journal backend chosen: each
// call checked in its journal.
#include "devices/pos_ad.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

class PosAdJournal : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = FreshTestFolder("PosAdJournal");
        journalPath = folder + "journal.log";
        ::CreateDirectoryA("C:\\Morvane", nullptr);
        previousSettings = ReadWholeFile(kSettings);
        WriteWholeFile(kSettings, "[PosAdDll]\r\nBackend=journal\r\nJournal=" + journalPath + "\r\n");
        library = ::LoadLibraryA("pos_ad_dll.dll");
        ASSERT_NE(library, nullptr);
    }

    void TearDown() override
    {
        if (library)
            ::FreeLibrary(library);
        WriteWholeFile(kSettings, previousSettings);
    }

    template <typename Fn> Fn Get(const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    }

    std::vector<std::string> JournalCalls()
    {
        std::vector<std::string> calls;
        const std::string text = ReadWholeFile(journalPath);
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            calls.push_back(line.size() > 24 ? line.substr(24) : line); // after "YYYY-MM-DD hh:mm:ss.mmm "
        }
        return calls;
    }

    static constexpr const char* kSettings = "C:\\Morvane\\scales.ini";
    std::string folder, journalPath, previousSettings;
    HMODULE library = nullptr;
};

TEST_F(PosAdJournal, ExportsAllFifteenNames)
{
    for (const char* name : {"GetDllVersion", "BeginPrint", "PrintText", "PrintBarCode", "PrintQrCode",
             "PrintBitmapFile", "PrintCommand", "CutPaper", "OpenCashDrawerEx", "GetCashDrawerStatus", "ClosePrinterEx",
             "send_zero", "read_standard", "send_tare", "clear_tare"})
        EXPECT_NE(::GetProcAddress(library, name), nullptr) << name;
}

TEST_F(PosAdJournal, EveryCallIsOneReadableLine)
{
    char version[20] = {};
    EXPECT_EQ(Get<int (*)(char*)>("GetDllVersion")(version), 1);
    EXPECT_STREQ(version, "ZantorAD 2.0.0");
    Get<int (*)(const char*, int)>("PrintText")("合计金额：\"2.50\"\t\r\n", 8);
    Get<int (*)(const char*, int, int, int)>("PrintBarCode")("6931081400127", 2, 50, 2);
    Get<int (*)(const char*, int)>("PrintCommand")("\x1b\x40", 2);
    Get<int (*)(int)>("BeginPrint")(4);
    char record[32] = {};
    EXPECT_EQ(Get<int (*)(char*)>("read_standard")(record), POSAD_OK);
    EXPECT_EQ(record[0], '3');

    EXPECT_EQ(JournalCalls(),
        (std::vector<std::string> {
            "GetDllVersion() = 1",
            "PrintText(\"合计金额：\\\"2.50\\\"\\t\\r\\n\", 8) = 1",
            "PrintBarCode(\"6931081400127\", 2, 50, 2) = 1",
            "PrintCommand([1B 40], 2) = 1",
            "BeginPrint(4) = 1",
            "read_standard(record) = 240",
        }));
}

TEST_F(PosAdJournal, ClosePrinterMakesTheNextCallReadTheSettingsAgain)
{
    Get<int (*)()>("CutPaper")();
    const std::string moved = folder + "moved.log";
    WriteWholeFile(kSettings, "[PosAdDll]\r\nBackend=journal\r\nJournal=" + moved + "\r\n");
    Get<int (*)()>("OpenCashDrawerEx")(); // still the old journal until the connection closes
    Get<int (*)()>("ClosePrinterEx")();
    Get<int (*)()>("send_zero")();

    EXPECT_EQ(JournalCalls(),
        (std::vector<std::string> {"CutPaper() = 1", "OpenCashDrawerEx() = 1", "ClosePrinterEx() = 1"}));
    EXPECT_NE(ReadWholeFile(moved).find("send_zero() = 240"), std::string::npos);
}

} // namespace
