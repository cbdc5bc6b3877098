// The ESC/POS of each call: golden bytes, and the rules that decide what a call may print.
#include "PosAdKit.h"

#include "drivers/pos_ad/core/Barcode.h"
#include "drivers/pos_ad/core/Config.h"
#include "drivers/pos_ad/core/EscPos.h"
#include "drivers/pos_ad/core/QrCode.h"
#include "drivers/pos_ad/core/RunLogLine.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes_(const Encoded& e)
{
    EXPECT_TRUE(e.ok()) << e.error;
    return AsString(e.bytes);
}

TEST(EscPosGolden, EachPlainCallHasItsBytes)
{
    ExpectGolden("initialize_linespace10", AsString(escpos::Initialize(10)));
    ExpectGolden("text_gbk_line", Bytes_(escpos::Text("合计金额：2323230.00\r\n")));
    ExpectGolden("begin_print_4", Bytes_(escpos::Feed(4)));
    ExpectGolden("cut_paper", AsString(escpos::Cut()));
    ExpectGolden("drawer_pulse", AsString(escpos::DrawerPulse()));
    ExpectGolden("drawer_status_request", AsString(escpos::DrawerStatusRequest()));
    ExpectGolden("barcode_ean13", Bytes_(barcode::Encode("6931081400127", 2, 50, 2, 576)));
    ExpectGolden("barcode_code128_even", Bytes_(barcode::Encode("12345678", 2, 50, 2, 576)));
    ExpectGolden("barcode_code128_odd", Bytes_(barcode::Encode("1234567", 2, 50, 2, 576)));
    ExpectGolden("qr_product_page", Bytes_(qr::Encode("https://www.zantor.example/p/6931081400127", 8, 576)));
}

TEST(Text, EndsEachLineOnceAndKeepsCommandsOut)
{
    EXPECT_EQ(Bytes_(escpos::Text("abc")), "abc\n");
    EXPECT_EQ(Bytes_(escpos::Text("abc\r\n")), "abc\n") << "the program's own line end is not a second line";
    EXPECT_EQ(Bytes_(escpos::Text("abc\n")), "abc\n");
    EXPECT_EQ(Bytes_(escpos::Text("a\r\nb\rc")), "a\nb\nc\n");
    EXPECT_EQ(Bytes_(escpos::Text("\t\t ")), "\t\t \n");
    EXPECT_EQ(Bytes_(escpos::Text("")), "\n") << "an empty line of a receipt is a blank line";
    EXPECT_EQ(Bytes_(escpos::Text("x\x1b@y\x1d")), "x @y \n") << "ESC and GS in a text must not reach the printer";
    // GBK double bytes whose second byte is in the ASCII range stay whole.
    EXPECT_EQ(Bytes_(escpos::Text("\x81\x40\xfe\x7e")), "\x81\x40\xfe\x7e\n");
}

TEST(Text, RefusesMoreThanFourKilobytes)
{
    EXPECT_TRUE(escpos::Text(std::string(escpos::kMaxTextBytes, 'x')).ok());
    const Encoded tooLong = escpos::Text(std::string(10 * 1024, 'x'));
    EXPECT_FALSE(tooLong.ok());
    EXPECT_NE(tooLong.error.find("10240 bytes"), std::string::npos) << tooLong.error;
}

TEST(EscPos, LinePitchAddsTheGapToTheTextLineAndStaysInRange)
{
    EXPECT_EQ(escpos::LinePitch(10), 34);
    EXPECT_EQ(escpos::LinePitch(0), 24);
    EXPECT_EQ(escpos::LinePitch(-100), 0);
    EXPECT_EQ(escpos::LinePitch(1000), 255);
    EXPECT_EQ(escpos::LinePitch(2147483647), 255);
}

TEST(EscPos, DrawerStateComesFromPinThreeOfAValidStatusByte)
{
    EXPECT_TRUE(escpos::IsPrinterStatus(0x12));
    EXPECT_TRUE(escpos::IsPrinterStatus(0x16));
    EXPECT_TRUE(escpos::IsPrinterStatus(0x1E)); // offline as well
    EXPECT_FALSE(escpos::IsPrinterStatus(0x00));
    EXPECT_FALSE(escpos::IsPrinterStatus(0xFF));
    EXPECT_FALSE(escpos::IsPrinterStatus('1'));
    EXPECT_TRUE(escpos::DrawerOpen(0x16, true));
    EXPECT_FALSE(escpos::DrawerOpen(0x12, true));
    EXPECT_TRUE(escpos::DrawerOpen(0x12, false));
}

TEST(EscPos, FeedTakesZeroToTwoHundredFiftyFiveLines)
{
    EXPECT_EQ(Bytes_(escpos::Feed(0)),
        std::string("\x1b"
                    "d\0",
            3));
    EXPECT_EQ(Bytes_(escpos::Feed(255)),
        "\x1b"
        "d\xff");
    EXPECT_FALSE(escpos::Feed(-1).ok());
    EXPECT_FALSE(escpos::Feed(256).ok());
}

TEST(Barcode, ValidEan13NumbersAreEan13AndEverythingElseCode128)
{
    EXPECT_EQ(barcode::Choose("6931081400127"), barcode::Symbology::Ean13);
    EXPECT_EQ(barcode::Choose("6931081400128"), barcode::Symbology::Code128) << "wrong check digit";
    EXPECT_EQ(barcode::Choose("693108140012"), barcode::Symbology::Ean13) << "the printer adds the check digit";
    EXPECT_EQ(barcode::Choose("4006381333931"), barcode::Symbology::Ean13);
    EXPECT_EQ(barcode::Choose("0000000000000"), barcode::Symbology::Ean13);
    EXPECT_EQ(barcode::Choose("12345678901"), barcode::Symbology::Code128);
    EXPECT_EQ(barcode::Choose("12345678901234"), barcode::Symbology::Code128);
    // An invalid EAN-13 still prints all its digits.
    const std::string bytes = Bytes_(barcode::Encode("6931081400128", 2, 50, 2, 576));
    EXPECT_NE(bytes.find("{B6{C\x5d\x0a\x51\x28\x01\x1c"), std::string::npos) << HexDump(bytes);
}

TEST(Barcode, Code128PacksDigitPairsAndStartsAnOddCountInCodeB)
{
    // Code set C takes each pair as one byte of its value, as ESC/POS defines it.
    EXPECT_EQ(barcode::Code128Data("12"), "{C\x0c");
    EXPECT_EQ(barcode::Code128Data("1"), "{B1");
    EXPECT_EQ(barcode::Code128Data("123"), "{B1{C\x17");
    EXPECT_EQ(barcode::Code128Data("0099"), std::string("{C\0\x63", 4));
    // start, 2 pairs, check = 4 symbols; 2 quiet zones and the stop pattern
    EXPECT_EQ(barcode::Code128Modules("1234"), 20 + 4 * 11 + 13);
    EXPECT_EQ(barcode::Code128Modules("12345"), 20 + 6 * 11 + 13);
}

TEST(Barcode, RefusesWhatCannotBePrinted)
{
    for (const char* bad : {"", "69310814001A7", "12 34", "-123", "１２３"})
        EXPECT_FALSE(barcode::Encode(bad, 2, 50, 2, 576).ok()) << bad;
    EXPECT_FALSE(barcode::Encode("123456", 0, 50, 2, 576).ok());
    EXPECT_FALSE(barcode::Encode("123456", 7, 50, 2, 576).ok());
    EXPECT_FALSE(barcode::Encode("123456", 2, 0, 2, 576).ok());
    EXPECT_FALSE(barcode::Encode("123456", 2, 256, 2, 576).ok());
    EXPECT_FALSE(barcode::Encode("123456", 2, 50, 4, 576).ok());
    // 42 digits are 286 modules, 572 dots at width 2: the widest that fits 576 dots.
    EXPECT_TRUE(barcode::Encode(std::string(42, '7'), 2, 50, 2, 576).ok());
    const Encoded wide = barcode::Encode(std::string(44, '7'), 2, 50, 2, 576);
    EXPECT_FALSE(wide.ok());
    EXPECT_NE(wide.error.find("dots wide"), std::string::npos) << wide.error;
    EXPECT_FALSE(barcode::Encode("6931081400127", 2, 50, 2, 200).ok()) << "EAN-13 is 226 dots at width 2";
}

TEST(QrCode, VersionFollowsTheByteCapacityAtLevelM)
{
    EXPECT_EQ(qr::SmallestVersion(1), 1);
    EXPECT_EQ(qr::SmallestVersion(14), 1);
    EXPECT_EQ(qr::SmallestVersion(15), 2);
    EXPECT_EQ(qr::SmallestVersion(213), 10);
    EXPECT_EQ(qr::SmallestVersion(214), 11);
    EXPECT_EQ(qr::SmallestVersion(331), 13);
    EXPECT_EQ(qr::SmallestVersion(2331), 40);
    EXPECT_EQ(qr::SmallestVersion(2332), 0);
}

TEST(QrCode, RefusesTextTheSymbolCannotHoldOnThePaper)
{
    // Version 13 is 69 modules, 552 dots at size 8; version 14 would be 584 dots.
    EXPECT_TRUE(qr::Encode(std::string(331, 'a'), 8, 576).ok());
    const Encoded wide = qr::Encode(std::string(332, 'a'), 8, 576);
    EXPECT_FALSE(wide.ok());
    EXPECT_NE(wide.error.find("version 14"), std::string::npos) << wide.error;
    EXPECT_FALSE(qr::Encode(std::string(3000, 'a'), 1, 576).ok());
    EXPECT_FALSE(qr::Encode("", 8, 576).ok());
    EXPECT_FALSE(qr::Encode("x", 0, 576).ok());
    EXPECT_FALSE(qr::Encode("x", 17, 576).ok());
    // The store command's length counts the data and its three function bytes, low byte first.
    const std::string bytes = Bytes_(qr::Encode(std::string(300, 'q'), 4, 576));
    EXPECT_NE(bytes.find(std::string("\x1d(k\x2f\x01\x31\x50\x30", 8) + std::string(300, 'q')), std::string::npos);
}

TEST(PortSettings, PrinterPortFormsAndTheirFaults)
{
    PosAdConfig c;
    c.printerPort = "com3";
    c.printerBaud = 9600;
    PortSpec p = PrinterPort(c);
    EXPECT_EQ(p.kind, PortKind::Serial);
    EXPECT_EQ(p.device, "\\\\.\\COM3");
    EXPECT_EQ(p.baud, 9600);
    c.printerBaud = 0; // the setup page stores 0 when no rate is chosen
    EXPECT_EQ(PrinterPort(c).baud, 115200);
    c.printerPort = "LPT1";
    EXPECT_EQ(PrinterPort(c).kind, PortKind::Parallel);
    EXPECT_EQ(PrinterPort(c).device, "\\\\.\\LPT1");
    c.printerPort = "USB";
    EXPECT_EQ(PrinterPort(c).kind, PortKind::Usb);
    EXPECT_EQ(PrinterPort(c).device, "");
    for (const char* bad : {"", "COM0", "COM256", "COMX", "COM1 ", "LPT4", "PRN", "TCP"}) {
        c.printerPort = bad;
        p = PrinterPort(c);
        EXPECT_EQ(p.kind, PortKind::Invalid) << bad;
        EXPECT_FALSE(p.error.empty()) << bad;
    }
}

TEST(PortSettings, ANetworkAddressWinsOverThePort)
{
    PosAdConfig c;
    c.printerPort = "COM1";
    c.printerAddress = "127.0.0.1";
    PortSpec p = PrinterPort(c);
    EXPECT_EQ(p.kind, PortKind::Network);
    EXPECT_EQ(p.host, "127.0.0.1");
    EXPECT_EQ(p.tcpPort, 9100);
    c.printerAddress = "127.0.0.1:9101";
    EXPECT_EQ(PrinterPort(c).tcpPort, 9101);
    c.printerAddress = "[::1]:9102";
    EXPECT_EQ(PrinterPort(c).host, "::1");
    EXPECT_EQ(PrinterPort(c).tcpPort, 9102);
    for (const char* bad : {":9100", "127.0.0.1:0", "127.0.0.1:70000", "127.0.0.1:91x", "[::1", "[::1]9100"}) {
        c.printerAddress = bad;
        EXPECT_EQ(PrinterPort(c).kind, PortKind::Invalid) << bad;
    }
}

TEST(PortSettings, TheBoardUsesTheScaleLineUnlessToldOtherwise)
{
    PosAdConfig c;
    c.scalePort = "COM3";
    c.scaleBaud = 9600;
    EXPECT_EQ(BoardPort(c).device, "\\\\.\\COM3");
    EXPECT_EQ(BoardPort(c).baud, 9600);
    c.boardPort = "COM7";
    c.boardBaud = 38400;
    EXPECT_EQ(BoardPort(c).device, "\\\\.\\COM7");
    EXPECT_EQ(BoardPort(c).baud, 38400);
}

TEST(RunLogLine, OneLinePerCallWithItsTextsEscapedAndCut)
{
    const runlog::Stamp t {2024, 3, 5, 7, 8, 9, 45};
    EXPECT_EQ(runlog::FileName(t), "pos_ad_20240305.log");
    EXPECT_EQ(
        runlog::Line(t, "CutPaper()", "1 done", 4), "2024-03-05 07:08:09.045 CutPaper() -> 1 done; sent 4 bytes\r\n");
    EXPECT_EQ(runlog::Quote("a\"b\\c\r\n\t\x1b"), "\"a\\\"b\\\\c\\r\\n\\t\\x1B\"");
    EXPECT_EQ(runlog::Quote("测试"), "\"测试\"");
    EXPECT_EQ(runlog::Quote(nullptr), "NULL");
    EXPECT_EQ(runlog::Quote(std::string(10240, 'x').c_str(), 4), "\"xxxx\"...(10240 bytes)");
}

} // namespace
