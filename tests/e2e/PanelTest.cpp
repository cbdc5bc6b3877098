// The virtual terminal's control panel in a real browser (headless Chromium, driven by
// panel_browser.py on the Linux side) beside the real program: what is done in the panel reaches
// the program, and what the program prints shows up in the panel by itself.
#include "EndToEnd.h"

#include "HostShell.h"
#include "support/TestFiles.h"

#include <windows.h>

namespace {

// A browser start on the shared build machine can take a while.
constexpr unsigned kBrowserBoundMs = 120000;

class Panel : public EndToEnd {
protected:
    // The helper's command line for one action on the panel this terminal serves.
    std::string Helper(const std::string& action)
    {
        const std::string url = terminal.State()["panel"].value("url", "");
        EXPECT_FALSE(url.empty()) << "the terminal serves no panel";
        return "/usr/bin/python3 '" + EnvOr("ZPT_PANEL_BROWSER") + "' '" + url + "' " + action;
    }

    // Runs one action in the browser; true when the page did what it should.
    bool InBrowser(const std::string& action, std::string& output)
    {
        return RunOnHost(Helper(action), &output, kBrowserBoundMs) == 0;
    }
};

TEST_F(Panel, AWeightSetInThePanelShowsOnTheScalePageInBothModes)
{
    struct Mode {
        const char* name;
        std::vector<SettingChange> settings;
        std::wstring net; // as the page's net field shows 1.250 kg
        std::wstring polled; // the line the panel names as read last
    };
    const Mode modes[] = {
        {"SDK (RX720)", {}, L"1.250", L"SDK 称台"},
        {"device library (RX520)", {{"POS", "TYPE", "1"}, {"SCALE", "PORT", "COM3"}, {"PRINTER", "PORT", "LPT1"}},
            L"  1.250", L"称重板"},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.name);
        ASSERT_TRUE(terminal.Reset());
        ASSERT_NO_FATAL_FAILURE(Start(mode.settings));
        Press(Page::Scale, IDC_SCALE_OPEN);
        std::string output;
        EXPECT_TRUE(InBrowser("set-weight 1.250", output)) << output;
        EXPECT_EQ(U8(WaitForText(Page::Scale, IDC_SCALE_NET, mode.net)), U8(mode.net));
        EXPECT_NE(FromUtf8(output).find(L"polled last " + mode.polled), std::wstring::npos) << output;
        program.Stop();
    }
}

TEST_F(Panel, TheSampleReceiptPrintedInTheProgramAppearsInThePanelWithItsReport)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string scratch = EnvOr("ZPT_HOST_SCRATCH", "/tmp");
    const std::string ready = scratch + "/panel-ready", out = scratch + "/panel-watch.out";
    ::DeleteFileA(DosPath(ready).c_str());
    ::DeleteFileA(DosPath(out + ".done").c_str());
    const int before = terminal.LastJob();
    // In the background: the page must be open before the print, and see it without a reload.
    ASSERT_EQ(RunOnHost("(" + Helper("watch-receipt " + std::to_string(before) + " '" + ready + "'") + " >'" + out +
                  "' 2>&1; echo $? >'" + out + ".done') &"),
        0);
    unsigned waited = 0;
    for (; !FileExists(DosPath(ready)) && !FileExists(DosPath(out + ".done")) && waited < kBrowserBoundMs;
         waited += 100)
        ::Sleep(100);
    ASSERT_TRUE(FileExists(DosPath(ready))) << ReadWholeFile(DosPath(out));

    const nlohmann::json receipt = PrintWith(Page::Printer, IDC_PRN_RECEIPT);
    for (waited = 0; !FileExists(DosPath(out + ".done")) && waited < 30000; waited += 100)
        ::Sleep(100);
    const std::string seen = ReadWholeFile(DosPath(out));
    EXPECT_EQ(ReadWholeFile(DosPath(out + ".done")).substr(0, 1), "0") << seen;
    EXPECT_NE(seen.find("receipt " + std::to_string(receipt.value("job", -1)) + " pages 1"), std::string::npos) << seen;
    // The report a click away: the sample receipt's barcode among its symbols.
    EXPECT_NE(seen.find("6931081400127"), std::string::npos) << seen;
}

TEST_F(Panel, TheWireViewShowsTheProgramsWeightRequestAndTheBoardsAnswer)
{
    ASSERT_NO_FATAL_FAILURE(Start({{"POS", "TYPE", "1"}, {"SCALE", "PORT", "COM3"}, {"PRINTER", "PORT", "LPT1"}}));
    ASSERT_TRUE(terminal.Do("weight 1.25"));
    Press(Page::Scale, IDC_SCALE_OPEN); // device-library mode: the board is asked once a second
    std::string output;
    EXPECT_TRUE(InBrowser("wire-board 1.250", output)) << output;
    EXPECT_NE(output.find("lines shown ['board']"), std::string::npos) << output;
    EXPECT_NE(output.find(u8"asked board → W: read the weight"), std::string::npos) << output;
    EXPECT_NE(output.find(u8"answered board ← W: stable, not at zero, no tare; net 1.250 kg, tare 0.000 kg"),
        std::string::npos)
        << output;
    EXPECT_NE(output.find("bytes 20 "), std::string::npos) << output; // the answer frame, 20 bytes
}

TEST_F(Panel, TheDrawerClosedInThePanelClearsTheProgramsDrawerStatus)
{
    ASSERT_NO_FATAL_FAILURE(Start()); // RX720, drawer on the main board
    Press(Page::Printer, IDC_PRN_OPEN_DRAWER);
    ASSERT_TRUE(terminal.WaitForState([](const nlohmann::json& s) { return s["drawer"].value("open", false); }));
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRAWER_STATUS).empty());
    EXPECT_EQ(Drive().Checked(Page::Printer, IDC_PRN_DRAWER_OPENED), std::optional<bool>(true));

    std::string output;
    EXPECT_TRUE(InBrowser("close-drawer", output)) << output;
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRAWER_STATUS).empty());
    EXPECT_EQ(Drive().Checked(Page::Printer, IDC_PRN_DRAWER_OPENED), std::optional<bool>(false));
}

} // namespace
