// The printer page's device-library buttons against the virtual terminal's printer: what lands
// on the paper, read back with an independent decoder and OCR.
#include "EndToEnd.h"
#include "ReceiptImages.h"

#include "HostShell.h"
#include "framework/TextCodec.h"
#include "support/SampleReceipt.h"
#include "support/TestFiles.h"

namespace {

// The decimal number right after label, searched from pos on; pos moves past it.
std::optional<unsigned long long> NumberAfter(const std::string& raw, const std::string& label, size_t& pos)
{
    const size_t at = raw.find(label, pos);
    if (at == std::string::npos)
        return std::nullopt;
    size_t end = at + label.size();
    unsigned long long value = 0;
    const size_t digits = end;
    while (end < raw.size() && raw[end] >= '0' && raw[end] <= '9')
        value = value * 10 + static_cast<unsigned>(raw[end++] - '0');
    if (end == digits || end >= raw.size() || raw[end] != '\n')
        return std::nullopt;
    pos = end + 1;
    return value;
}

class PrinterPage : public EndToEnd { };

TEST_F(PrinterPage, SampleReceiptReachesThePaperWholeWithItsBarcodeAndLegibleChinese)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const nlohmann::json receipt = PrintWith(Page::Printer, IDC_PRN_RECEIPT);
    ASSERT_EQ(receipt.value("line", ""), "printer") << receipt.dump(); // COM1, the RX720's printer port
    ASSERT_EQ(receipt["pages"].size(), 1u) << receipt.dump();
    EXPECT_EQ(receipt["unknown"], 0);

    // Every line in order, between the start-time line and the two closing time lines.
    const std::string raw = ReadTerminalFile(receipt["raw"]);
    size_t pos = 0;
    const std::optional<unsigned long long> start = NumberAfter(raw, "开始打印：", pos);
    ASSERT_TRUE(start.has_value()) << raw;
    for (const std::string& line : SampleReceiptLines()) {
        const std::string wanted = line == "BARCODE" ? std::string("\x1dk\x43\x0c"
                                                                   "693108140012")
                                                     : line + "\n";
        const size_t at = raw.find(wanted, pos);
        ASSERT_NE(at, std::string::npos) << "line \"" << U8(Widen(line)) << "\" missing or out of order";
        pos = at + wanted.size();
    }
    const std::optional<unsigned long long> end = NumberAfter(raw, "结束时间：", pos);
    const std::optional<unsigned long long> elapsed = NumberAfter(raw, "合计用时：", pos);
    ASSERT_TRUE(end && elapsed) << raw.substr(pos);
    EXPECT_EQ(*elapsed, (*end - *start) & 0xFFFFFFFFull);

    const std::string page = receipt["pages"][0];
    EXPECT_EQ(DecodeSymbols(page), std::vector<std::string> {"EAN-13:6931081400127"});
    const std::string text = ReadChineseText(page);
    for (const char* words :
        {u8"测试店", u8"合计金额", u8"收款员", u8"支付方式", u8"开始打印", u8"结束时间", u8"合计用时"})
        EXPECT_NE(text.find(words), std::string::npos) << words << " not read in: " << text;
}

TEST_F(PrinterPage, BarcodeQrCodeAndTextButtonsPrintWhatTheirFieldsHold)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    const nlohmann::json qr = PrintWith(Page::Printer, IDC_PRN_QR);
    const std::wstring qrText = Text(Page::Printer, IDC_PRN_QR_EDIT);
    ASSERT_FALSE(qrText.empty());
    EXPECT_EQ(DecodeSymbols(qr["pages"][0]), std::vector<std::string> {"QR-Code:" + U8(qrText)});

    const nlohmann::json barcode = PrintWith(Page::Printer, IDC_PRN_BARCODE);
    EXPECT_EQ(DecodeSymbols(barcode["pages"][0]),
        std::vector<std::string> {"EAN-13:" + U8(Text(Page::Printer, IDC_PRN_BARCODE_EDIT))});

    const nlohmann::json text = PrintWith(Page::Printer, IDC_PRN_TEXT);
    const std::string line = Narrow(Text(Page::Printer, IDC_PRN_TEXT_EDIT)) + "\n";
    EXPECT_NE(ReadTerminalFile(text["raw"]).find(line), std::string::npos);
    // OCR of Chinese mixed with Latin is weak; the raw bytes above are the exact check.
    const std::string read = ReadChineseText(text["pages"][0]);
    EXPECT_NE(read.find(u8"测试"), std::string::npos) << read;
}

TEST_F(PrinterPage, BitmapChosenInTheFileDialogIsPrinted)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // A picture of a barcode: if it reads back from the paper, every step kept its dots.
    const std::string folder = FreshTestFolder("e2e-bitmap");
    WriteWholeFile(folder + "bars.bmp", Ean13Bitmap("4006381333931"));

    ClickOptions options;
    options.fileToOpen = Widen(folder + "bars.bmp");
    const int before = terminal.LastJob();
    const ClickOutcome outcome = Drive().Click(Page::Printer, IDC_PRN_BITMAP, options);
    ASSERT_TRUE(outcome.done) << outcome.error;
    EXPECT_TRUE(outcome.fileDialogShown);
    const std::optional<nlohmann::json> receipt = terminal.WaitForReceipt(before);
    ASSERT_TRUE(receipt.has_value());
    EXPECT_EQ(DecodeSymbols((*receipt)["pages"][0]), std::vector<std::string> {"EAN-13:4006381333931"});

    // Cancelling the dialog prints nothing.
    const ClickOutcome cancelled = Drive().Click(Page::Printer, IDC_PRN_BITMAP);
    ASSERT_TRUE(cancelled.done) << cancelled.error;
    EXPECT_TRUE(cancelled.fileDialogShown);
    EXPECT_FALSE(terminal.WaitForReceipt((*receipt)["job"], 1500).has_value());
}

TEST_F(PrinterPage, FeedPrintsBlankPaper)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const nlohmann::json receipt = PrintWith(Page::Printer, IDC_PRN_FEED);
    ASSERT_EQ(receipt["pages"].size(), 1u) << receipt.dump();
    EXPECT_TRUE(DecodeSymbols(receipt["pages"][0]).empty());
    EXPECT_EQ(receipt["unknown"], 0);
}

// The driver row: the terminal's Windows printer is listed and preselected; the sample receipt
// goes through Wine's PostScript driver and the spooler to the paper, and "开钱箱" there is an
// empty job that the queue answers by opening the drawer.
TEST_F(PrinterPage, DriverRowPrintsTheSampleReceiptAndOpensTheDrawerThroughTheWindowsPrinter)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(U8(Text(Page::Printer, IDC_PRN_DRIVER_LIST)), "Zantor-80mm-Receipt");

    int before = terminal.LastJob();
    EXPECT_EQ(Press(Page::Printer, IDC_PRN_DRIVER_RECEIPT), std::vector<std::wstring> {L"打印完毕!"});
    const std::optional<nlohmann::json> receipt = terminal.WaitForReceipt(before, 60000);
    ASSERT_TRUE(receipt.has_value()) << "no receipt from the Windows printer";
    EXPECT_EQ(receipt->value("line", ""), "driver");
    ASSERT_EQ((*receipt)["pages"].size(), 1u) << receipt->dump();
    const std::string text = ReadChineseText((*receipt)["pages"][0]);
    for (const char* words : {u8"测试店", u8"合计金额"})
        EXPECT_NE(text.find(words), std::string::npos) << words << " not read in: " << text;
    // Its wire file tells the queue's job by the size of the PostScript it was handed.
    const std::string wire = ReadTerminalFile(receipt->value("wire", ""));
    const std::string job = " bytes of PostScript, 1 page(s), filed as driver-";
    EXPECT_NE(wire.find(std::to_string(receipt->value("bytes", 0)) + job), std::string::npos) << wire;

    ASSERT_TRUE(terminal.Do("drawer close"));
    before = terminal.LastJob();
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRIVER_DRAWER).empty());
    const std::optional<nlohmann::json> empty = terminal.WaitForReceipt(before, 60000);
    ASSERT_TRUE(empty.has_value()) << "the empty job was not recorded";
    EXPECT_TRUE((*empty)["pages"].empty()) << empty->dump();
    const nlohmann::json drawer = terminal.State()["drawer"];
    EXPECT_TRUE(drawer.value("open", false) && drawer.value("opened_by", "") == "driver") << drawer.dump();
}

} // namespace
