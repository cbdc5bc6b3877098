// Saving the setup page changes where the next print goes: the device library reads the new port
// once the page has closed its printer connection.
#include "EndToEnd.h"

namespace {

const wchar_t kSaved[] = L"保存配置信息成功!";

class SetupPage : public EndToEnd {
protected:
    // Chooses the printer port on the setup page and saves.
    void SavePrinterPort(const std::wstring& port)
    {
        std::string error;
        ASSERT_TRUE(Drive().Select(Page::Setup, IDC_SETUP_PRINTER_PORT, port, error)) << error;
        ASSERT_EQ(Press(Page::Setup, IDC_SETUP_SAVE), std::vector<std::wstring> {kSaved});
    }

    std::string LineOfNextText() { return PrintWith(Page::Printer, IDC_PRN_TEXT).value("line", ""); }
};

TEST_F(SetupPage, SavingAnotherPrinterPortMovesTheNextPrintToThatPort)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(LineOfNextText(), "printer"); // COM1

    ASSERT_NO_FATAL_FAILURE(SavePrinterPort(L"LPT1"));
    EXPECT_EQ(ReadSetting("PRINTER", "PORT"), "LPT1");
    EXPECT_EQ(LineOfNextText(), "printer-2");

    ASSERT_NO_FATAL_FAILURE(SavePrinterPort(L"USB"));
    EXPECT_EQ(LineOfNextText(), "printer-3");

    ASSERT_NO_FATAL_FAILURE(SavePrinterPort(L"COM1"));
    EXPECT_EQ(LineOfNextText(), "printer");

    // A port with nothing behind it prints nowhere, silently; the next save brings printing back.
    // Nothing may be written there: Wine would otherwise have handed it this machine's own serial port.
    ASSERT_NO_FATAL_FAILURE(SavePrinterPort(L"COM2"));
    const int before = terminal.LastJob();
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_TEXT).empty());
    EXPECT_FALSE(terminal.WaitForReceipt(before, 1500).has_value());
    const HANDLE port = ::CreateFileA("\\\\.\\COM2", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    EXPECT_FALSE(port != INVALID_HANDLE_VALUE && ::WriteFile(port, "x", 1, &written, nullptr) && written == 1);
    if (port != INVALID_HANDLE_VALUE)
        ::CloseHandle(port);
    ASSERT_NO_FATAL_FAILURE(SavePrinterPort(L"LPT1"));
    EXPECT_EQ(LineOfNextText(), "printer-2");
}

TEST_F(SetupPage, AModelsPresetSavedOnThePageIsWhatTheLibrariesUse)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string error;
    ASSERT_TRUE(Drive().Select(Page::Setup, IDC_SETUP_MODEL, L"RX520", error)) << error;
    EXPECT_EQ(Text(Page::Setup, IDC_SETUP_PRINTER_PORT), L"LPT1");
    EXPECT_EQ(Text(Page::Setup, IDC_SETUP_SCALE_PORT), L"COM3");
    ASSERT_EQ(Press(Page::Setup, IDC_SETUP_SAVE), std::vector<std::wstring> {kSaved});

    // The RX520 prints on LPT1, drives the drawer from the printer and weighs on the board.
    EXPECT_EQ(LineOfNextText(), "printer-2");
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_OPEN_DRAWER).empty());
    EXPECT_TRUE(terminal.WaitForState([](const nlohmann::json& s) {
        return s["drawer"].value("opened_by", "") == "printer";
    })) << terminal.State()["drawer"].dump();

    ASSERT_TRUE(Drive().Select(Page::Setup, IDC_SETUP_MODEL, L"RX720", error)) << error;
    ASSERT_EQ(Press(Page::Setup, IDC_SETUP_SAVE), std::vector<std::wstring> {kSaved});
    EXPECT_EQ(LineOfNextText(), "printer");
    EXPECT_EQ(ReadSetting("SCALE", "PORT"), "COM4");
}

} // namespace
