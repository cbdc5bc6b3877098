// The printer page against the recording stand-in of the device library: what each button
// asks of the library, the drawer logic by machine model and drawer control, the bitmap dialog.
#include "PageHost.h"
#include "fakes/FakePosAd.h"
#include "pages/printer/ReceiptCommands.h"
#include "settings/Settings.h"
#include "support/SampleReceipt.h"
#include "support/SeamRecorder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

std::deque<DWORD> g_ticks;

DWORD WINAPI ScriptedTicks()
{
    if (g_ticks.empty()) {
        ADD_FAILURE() << "the receipt read the clock more often than scripted";
        return 0;
    }
    const DWORD value = g_ticks.front();
    g_ticks.pop_front();
    return value;
}

std::vector<std::string> Recorded()
{
    std::vector<std::string> calls;
    for (const fake_pos_ad::Call& call : fake_pos_ad::Calls())
        calls.push_back(call.str());
    return calls;
}

// As the recorder writes a PrintText call; it leaves out an empty text.
std::string Text(const std::string& text)
{
    return text.empty() ? "PrintText(8)" : "PrintText(\"" + text + "\", 8)";
}

const std::string kSampleReceipt = SampleReceiptText();

struct DrawerCase {
    const char* name;
    int model;
    int control;
    int status; // what GetCashDrawerStatus answers
    bool checkedBefore; // the indicator before the click
    std::vector<std::string> calls;
    const char* box; // nullptr: no message
    bool checkedAfter;
};

class PrinterPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_pos_ad::Reset();
        g_settings = Settings {};
        g_ticks.clear();
        m_previousTicks = SetReceiptTickSource(ScriptedTicks);
    }

    void TearDown() override
    {
        host.reset();
        SetReceiptTickSource(m_previousTicks);
    }

    void Open()
    {
        host = std::make_unique<PageHost>();
        fake_pos_ad::Reset();
    }

    // One drawer button under the case's settings, indicator and library answer. The page reads
    // the settings at each click, so a save on the setup page counts at once.
    void ClickWith(int button, const DrawerCase& c)
    {
        g_settings.machineModel = c.model;
        g_settings.drawerControl = c.control;
        host->SetChecked(IDC_PRN_DRAWER_OPENED, c.checkedBefore);
        fake_pos_ad::Reset();
        fake_pos_ad::SetResult("GetCashDrawerStatus", c.status);
        seams.boxes.clear();

        host->Click(button);

        EXPECT_EQ(Recorded(), c.calls) << c.name;
        EXPECT_EQ(seams.Texts(), c.box ? std::vector<std::string> {c.box} : std::vector<std::string> {}) << c.name;
        if (c.box && !seams.boxes.empty()) {
            EXPECT_EQ(seams.boxes[0].caption, std::optional<std::string>("提示")) << c.name;
            EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION)) << c.name;
        }
        EXPECT_EQ(host->Checked(IDC_PRN_DRAWER_OPENED), c.checkedAfter) << c.name;
    }

    std::vector<std::string> PrintReceipt(const std::string& text, DWORD start = 1000, DWORD end = 1234)
    {
        host->Page().m_editReceipt.SetWindowText(text);
        g_ticks = {start, end};
        fake_pos_ad::Reset();
        host->Click(IDC_PRN_RECEIPT);
        EXPECT_TRUE(g_ticks.empty()) << "the clock is read once before and once after the lines";
        return Recorded();
    }

    SeamRecorder seams;
    std::unique_ptr<PageHost> host;

private:
    TickSource m_previousTicks = nullptr;
};

TEST_F(PrinterPage, StartsWithTheSampleTextsAndTheReceiptFont)
{
    host = std::make_unique<PageHost>();
    EXPECT_EQ(host->Text(IDC_PRN_RECEIPT_EDIT), kSampleReceipt);
    EXPECT_EQ(host->Text(IDC_PRN_TEXT_EDIT), "打印测试1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(host->Text(IDC_PRN_BARCODE_EDIT), "6931081400127");
    EXPECT_EQ(host->Text(IDC_PRN_QR_EDIT), "https://zantor.example.com/zantorpostest");

    LOGFONTW font {};
    ASSERT_TRUE(::GetObjectW(host->Page().m_editReceipt.GetFont(), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, 28);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(font.lfPitchAndFamily, 0x20);
    EXPECT_STREQ(font.lfFaceName, L"宋体");

    EXPECT_FALSE(host->Checked(IDC_PRN_DRAWER_OPENED));
    EXPECT_TRUE(fake_pos_ad::Calls().empty()) << "opening the page talks to no device";
    EXPECT_TRUE(seams.boxes.empty());
}

TEST_F(PrinterPage, SampleReceiptByCommandsMakesEachCallInOrder)
{
    Open();
    const std::vector<std::string> expected = {
        Text("开始打印：1000\r\n"),
        Text("           测试店"),
        Text("POS机号:0001    收款员：王五"),
        Text("交易时间：2020-05-30 11:08:12"),
        Text("品名      单价     数量     金额"),
        Text("可口可乐   2.50   1.00      2.50"),
        Text("生鱼片     98.0    1.00    98.00"),
        Text("生鱼片     98.0    1.00    98.00"),
        Text("生鱼片     98.0    1.00    98.00"),
        Text("生鱼片     98.0    1.00    98.00"),
        Text("--------------------------------"),
        Text("合计金额：2323230.00"),
        Text("实付金额：0.01"),
        Text("支付方式：扫描支付"),
        "PrintBarCode(\"6931081400127\", 2, 50, 2)",
        Text("--------------------------------"),
        Text("\t\t "),
        Text("\t\t "),
        Text("\t\t "),
        Text("\t\t "),
        Text("结束时间：1234\r\n"),
        Text("合计用时：234\r\n"),
        "BeginPrint(4)",
    };
    EXPECT_EQ(PrintReceipt(host->Text(IDC_PRN_RECEIPT_EDIT)), expected);
    EXPECT_EQ(fake_pos_ad::CallsOf("PrintText").size(), 21u);
    EXPECT_EQ(fake_pos_ad::CallsOf("PrintBarCode").size(), 1u);
    EXPECT_TRUE(fake_pos_ad::CallsOf("CutPaper").empty());
    EXPECT_TRUE(seams.boxes.empty());
}

TEST_F(PrinterPage, OnlyTheExactWordBarcodeBecomesTheReceiptBarcode)
{
    Open();
    host->SetText(IDC_PRN_BARCODE_EDIT, "123");
    const auto calls = PrintReceipt("barcode\r\n BARCODE\r\nBARCODE \r\nBARCODE\r\nBarCode\r\nBARCODEBARCODE", 7, 7);
    const std::vector<std::string> expected = {
        Text("开始打印：7\r\n"),
        Text("barcode"),
        Text(" BARCODE"),
        Text("BARCODE "),
        "PrintBarCode(\"6931081400127\", 2, 50, 2)",
        Text("BarCode"),
        Text("BARCODEBARCODE"),
        Text("结束时间：7\r\n"),
        Text("合计用时：0\r\n"),
        "BeginPrint(4)",
    };
    EXPECT_EQ(calls, expected);
}

TEST_F(PrinterPage, EmptyOneLineAndBlankLineReceipts)
{
    Open();
    const std::vector<std::string> frameStart = {Text("开始打印：1000\r\n")};
    const std::vector<std::string> frameEnd = {Text("结束时间：1234\r\n"), Text("合计用时：234\r\n"), "BeginPrint(4)"};
    auto framed = [&](std::vector<std::string> middle) {
        std::vector<std::string> all = frameStart;
        all.insert(all.end(), middle.begin(), middle.end());
        all.insert(all.end(), frameEnd.begin(), frameEnd.end());
        return all;
    };
    EXPECT_EQ(PrintReceipt(""), framed({Text("")})) << "an empty receipt is one empty line";
    EXPECT_EQ(PrintReceipt("只有一行"), framed({Text("只有一行")})) << "no CR LF: one piece";
    EXPECT_EQ(PrintReceipt("只有一行\r\n"), framed({Text("只有一行")})) << "nothing after the last CR LF";
    EXPECT_EQ(PrintReceipt("a\r\n\r\nb\nc"), framed({Text("a"), Text(""), Text("b\nc")}));
    EXPECT_EQ(PrintReceipt("\r\n\r\n"), framed({Text(""), Text("")}));
}

TEST_F(PrinterPage, ElapsedTimeIsTrueAcrossATickCounterWrap)
{
    Open();
    auto lastTwo = [](const std::vector<std::string>& calls) {
        return std::vector<std::string>(calls.end() - 3, calls.end() - 1);
    };
    auto startLine = [](const std::vector<std::string>& calls) { return calls.front(); };

    auto calls = PrintReceipt("x", 0xFFFFFF00u, 0x00000100u);
    EXPECT_EQ(startLine(calls), Text("开始打印：4294967040\r\n")) << "the count is printed unsigned";
    EXPECT_EQ(lastTwo(calls), (std::vector<std::string> {Text("结束时间：256\r\n"), Text("合计用时：512\r\n")}));

    calls = PrintReceipt("x", 0xFFFFFFFFu, 0u);
    EXPECT_EQ(lastTwo(calls), (std::vector<std::string> {Text("结束时间：0\r\n"), Text("合计用时：1\r\n")}));

    calls = PrintReceipt("x", 0u, 0xFFFFFFFFu);
    EXPECT_EQ(lastTwo(calls),
        (std::vector<std::string> {Text("结束时间：4294967295\r\n"), Text("合计用时：4294967295\r\n")}));

    calls = PrintReceipt("x", 5u, 5u);
    EXPECT_EQ(lastTwo(calls), (std::vector<std::string> {Text("结束时间：5\r\n"), Text("合计用时：0\r\n")}));
}

TEST_F(PrinterPage, EditButtonsPassTheirTextUnchangedThenFeed)
{
    Open();
    struct Case {
        int edit;
        int button;
        std::string text;
        std::string call;
    };
    const Case cases[] = {
        {IDC_PRN_BARCODE_EDIT, IDC_PRN_BARCODE, "6931081400127", "PrintBarCode(\"6931081400127\", 2, 50, 2)"},
        {IDC_PRN_BARCODE_EDIT, IDC_PRN_BARCODE, "", "PrintBarCode(2, 50, 2)"},
        {IDC_PRN_BARCODE_EDIT, IDC_PRN_BARCODE, "ABC-12 ", "PrintBarCode(\"ABC-12 \", 2, 50, 2)"},
        {IDC_PRN_TEXT_EDIT, IDC_PRN_TEXT, "打印测试 Text", "PrintText(\"打印测试 Text\", 8)"},
        {IDC_PRN_TEXT_EDIT, IDC_PRN_TEXT, "", "PrintText(8)"},
        {IDC_PRN_TEXT_EDIT, IDC_PRN_TEXT, "两行\r\n文本", "PrintText(\"两行\r\n文本\", 8)"},
        {IDC_PRN_QR_EDIT, IDC_PRN_QR, "https://zantor.example.com/a?b=1&c=二",
            "PrintQrCode(\"https://zantor.example.com/a?b=1&c=二\", 8)"},
        {IDC_PRN_QR_EDIT, IDC_PRN_QR, "", "PrintQrCode(8)"},
    };
    for (const Case& c : cases) {
        host->SetText(c.edit, c.text);
        fake_pos_ad::Reset();
        host->Click(c.button);
        EXPECT_EQ(Recorded(), (std::vector<std::string> {c.call, "BeginPrint(4)"})) << "text \"" << c.text << "\"";
    }

    fake_pos_ad::Reset();
    host->Click(IDC_PRN_FEED);
    host->Click(IDC_PRN_CUT);
    EXPECT_EQ(Recorded(), (std::vector<std::string> {"BeginPrint(4)", "CutPaper()"}));
    EXPECT_TRUE(seams.boxes.empty());
}

TEST_F(PrinterPage, OpenDrawerByMachineModelAndDrawerControl)
{
    const char* boardHint = "当前为主板控制钱箱，请确保钱箱接在主板上！";
    const char* printerHint = "当前为打印机控制钱箱，请确保钱箱接在打印机上！";
    const DrawerCase cases[] = {
        {"RX720 board, drawer open", 0, 0, 0x0100, false, {"OpenCashDrawerEx()", "GetCashDrawerStatus()"}, boardHint,
            true},
        {"RX720 board, drawer closed", 0, 0, 0x0001, true, {"OpenCashDrawerEx()", "GetCashDrawerStatus()"}, boardHint,
            false},
        {"RX720 printer", 0, 1, 0, true, {"OpenCashDrawerEx()"}, printerHint, true},
        {"RX720 printer, unchecked", 0, 1, 0, false, {"OpenCashDrawerEx()"}, printerHint, false},
        {"RX520 board", 1, 0, 0, false, {"OpenCashDrawerEx()"}, nullptr, false},
        {"RX520 printer", 1, 1, 0, true, {"OpenCashDrawerEx()"}, nullptr, true},
        {"Veyla board", 2, 0, 0, false, {"OpenCashDrawerEx()"}, nullptr, false},
        {"Veyla printer", 2, 1, 0, false, {"OpenCashDrawerEx()"}, nullptr, false},
    };
    Open();
    for (const DrawerCase& c : cases)
        ClickWith(IDC_PRN_OPEN_DRAWER, c);
}

TEST_F(PrinterPage, DrawerStatusByDrawerControlWhateverTheModel)
{
    const char* refusal = "当前为打印机控制钱箱，不支持获取状态！";
    const DrawerCase cases[] = {
        {"RX720 board, low byte 0", 0, 0, 0xFF00, false, {"GetCashDrawerStatus()"}, nullptr, true},
        {"RX720 board, low byte 1", 0, 0, 0x0001, true, {"GetCashDrawerStatus()"}, nullptr, false},
        {"RX720 board, low byte 0x80", 0, 0, 0x0080, true, {"GetCashDrawerStatus()"}, nullptr, false},
        {"RX520 board", 1, 0, 0, false, {"GetCashDrawerStatus()"}, nullptr, true},
        {"Veyla board", 2, 0, -256, false, {"GetCashDrawerStatus()"}, nullptr, true},
        {"RX720 printer", 0, 1, 0, true, {}, refusal, true},
        {"Veyla printer", 2, 1, 0, false, {}, refusal, false},
    };
    Open();
    for (const DrawerCase& c : cases)
        ClickWith(IDC_PRN_DRAWER_STATUS, c);
}

TEST_F(PrinterPage, StatusControlsFollowTheMachineModel)
{
    g_settings.machineModel = 1;
    Open();
    EXPECT_FALSE(host->Shown(IDC_PRN_DRAWER_STATUS)) << "RX520 at start";
    EXPECT_FALSE(host->Shown(IDC_PRN_DRAWER_OPENED));

    // Each step: the model now stored, then whether both controls show after a refresh.
    const std::pair<int, bool> steps[] = {{2, false}, {0, true}, {2, true}, {7, true}, {1, false}, {0, true}};
    for (const auto& [model, shown] : steps) {
        g_settings.machineModel = model;
        host->Page().RefreshDrawerStatusControls();
        EXPECT_EQ(host->Shown(IDC_PRN_DRAWER_STATUS), shown) << "model " << model;
        EXPECT_EQ(host->Shown(IDC_PRN_DRAWER_OPENED), shown) << "model " << model;
    }
    EXPECT_TRUE(fake_pos_ad::Calls().empty());
}

TEST_F(PrinterPage, BitmapIsPrintedOnlyFromAnExistingFile)
{
    const std::string folder = FreshTestFolder("PrinterPageBitmap");
    const std::string bitmap = folder + "收银 logo.bmp";
    WriteWholeFile(bitmap, "BM not really a bitmap; the library reads it");
    Open();

    seams.fileAnswers = {std::nullopt, folder + "missing.bmp", folder.substr(0, folder.size() - 1), folder, bitmap};
    for (int click = 0; click < 5; ++click)
        host->Click(IDC_PRN_BITMAP);

    EXPECT_EQ(seams.fileFilters, std::vector<std::string>(5, "BMP图片(*.bmp)|*.bmp||"));
    EXPECT_EQ(Recorded(), (std::vector<std::string> {"PrintBitmapFile(\"" + bitmap + "\", 0)"}))
        << "cancel, a missing file and a folder print nothing; no feed follows the bitmap";
    EXPECT_TRUE(seams.boxes.empty());
}

} // namespace
