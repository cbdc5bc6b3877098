// The library as the program uses it, against devices on real serial lines: COM ports and LPT1 of
// the test prefix lead to pseudo-terminals, and each test plays the printer or the board.
#include "PosAdKit.h"

#include "devices/pos_ad.h"
#include "drivers/pos_ad/core/Bmp.h"
#include "drivers/pos_ad/core/Board.h"
#include "drivers/pos_ad/core/EscPos.h"
#include "drivers/pos_ad/core/Results.h"
#include "support/SerialPeer.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>

namespace {

const int kPrinterCom = 5;
const int kBoardCom = 6;
const int kLpt1 = 13;

std::string Settings(const std::string& printerPort, int drawerControl, const std::string& extra = "")
{
    return "[POS]\r\nTYPE=1\r\nLOG=1\r\nBOARD=J1900D\r\n"
           "[PRINTER]\r\nPORT=" +
        printerPort +
        "\r\nRATE=9600\r\nLINESPACE=10\r\n"
        "[Print]\r\nDensity=3\r\n"
        "[CashDrawer]\r\nControlType=" +
        std::to_string(drawerControl) +
        "\r\n"
        "[SCALE]\r\nPORT=COM6\r\nRATE=9600\r\n" +
        extra;
}

std::string Init()
{
    return AsString(escpos::Initialize(10));
}

std::string Frame(uint8_t letter, const std::string& payload = "")
{
    return AsString(board::Build(letter, payload));
}

// Everything of the sample receipt, as the printer page calls the library.
void PrintSampleReceipt()
{
    for (const std::string& line : SampleReceiptCalls()) {
        if (line == "BARCODE")
            EXPECT_EQ(PrintBarCode("6931081400127", 2, 50, 2), 1);
        else
            EXPECT_EQ(PrintText(line.c_str(), 8), 1) << line;
    }
    EXPECT_EQ(BeginPrint(4), 1);
}

TEST(SerialPrinter, TheSampleReceiptGoesOutWholeAtBeginPrint)
{
    ScalesIni ini(Settings("COM5", 1));
    SerialPeer printer(kPrinterCom);
    ASSERT_TRUE(printer.Connected()) << printer.Error();
    EXPECT_EQ(PrintText("held until the job ends", 8), 1);
    EXPECT_EQ(printer.Drain(200), "") << "the job waits for BeginPrint";
    ClosePrinterEx(); // sends the held line: nothing is lost
    const std::string held = Init() + "held until the job ends\n";
    EXPECT_EQ(printer.Read(held.size(), kHungMs), held);

    PrintSampleReceipt();
    const std::string golden = Golden("receipt");
    ASSERT_FALSE(golden.empty());
    const std::string got = printer.Read(golden.size(), kHungMs);
    ExpectGolden("receipt", got);
    EXPECT_EQ(printer.Drain(200), "");
}

TEST(SerialPrinter, ABitmapFileGoesOutAtOnceInTheConfiguredDensity)
{
    ScalesIni ini(Settings("COM5", 1, "[PosAdDll]\r\nPaperWidth=384\r\n"));
    std::string settings = Settings("COM5", 1, "[PosAdDll]\r\nPaperWidth=384\r\n");
    settings.replace(settings.find("Density=3"), 9, "Density=1");
    settings.replace(settings.find("LINESPACE=10"), 12, "LINESPACE=6");
    ini.Rewrite(settings);
    SerialPeer printer(kPrinterCom);
    ASSERT_TRUE(printer.Connected()) << printer.Error();

    // A 1-bit picture 384 pixels wide whose rows come in threes, as the 8-dot mode prints each row
    // of dots: it goes out at its own size, so the virtual printer reads its golden bytes back into
    // exactly these pixels.
    const std::string file = ReadWholeFile(GoldenFile("logo_384_density1.bmp"));
    const std::string sent = Golden("logo_384_density1");
    ASSERT_FALSE(file.empty() || sent.empty());
    EXPECT_EQ(PrintBitmapFile(WriteTestFile("PosAdSerial", "logo.bmp", file).c_str(), 0), 1);
    ExpectGolden("logo_384_density1", printer.Read(sent.size(), kHungMs));

    // An RLE file of the same picture is decoded by the system and prints the same dots.
    image::Rgba rgba;
    std::string error;
    ASSERT_TRUE(bmp::Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), rgba, error)) << error;
    Picture picture;
    picture.width = rgba.width;
    picture.height = rgba.height;
    for (size_t i = 0; i < rgba.pixels.size(); i += 4)
        picture.grey.push_back(rgba.pixels[i]);
    const std::string image = sent.substr(escpos::Initialize(6).size());
    const std::string rle = WriteBmp(picture, 8, false, BmpKind::Rle);
    EXPECT_EQ(PrintBitmapFile(WriteTestFile("PosAdSerial", "logo-rle.bmp", rle).c_str(), 0), 1);
    EXPECT_EQ(printer.Read(image.size(), kHungMs), image);
}

TEST(SerialPrinter, PrinterDrawerOpensAndReportsPinThree)
{
    ScalesIni ini(Settings("COM5", 1));
    SerialPeer printer(kPrinterCom);
    ASSERT_TRUE(printer.Connected()) << printer.Error();
    EXPECT_EQ(OpenCashDrawerEx(), 1);
    EXPECT_EQ(printer.Read(12, kHungMs), Init() + std::string("\x1bp\x00\x32\xfa", 5));

    struct Answer {
        std::string bytes;
        int expected;
    };
    for (const Answer& a :
        {Answer {"\x16", 0}, Answer {"\x12", 1}, Answer {"A\x1a", 1}, Answer {"", -4}, Answer {"A", -4}}) {
        const int status = CallWithReply([] { return GetCashDrawerStatus(); },
            [&](bool answer) {
                EXPECT_EQ(printer.Read(3, kHungMs), "\x10\x04\x01");
                if (answer)
                    printer.Send(a.bytes);
            },
            result::For(Fault::NoAnswer).print, a.expected);
        EXPECT_EQ(status, a.expected) << HexDump(a.bytes);
    }
}

TEST(Board, TheMainBoardDrawerOpensWithTheBoardTypeAndReportsItsState)
{
    ScalesIni ini(Settings("COM5", 0));
    SerialPeer board(kBoardCom);
    ASSERT_TRUE(board.Connected()) << board.Error();

    EXPECT_EQ(CallWithReply([] { return OpenCashDrawerEx(); },
                  [&](bool answer) {
                      EXPECT_EQ(board.Read(6, kHungMs), Frame('O', "2"));
                      if (answer)
                          board.Send(Frame('O', "0"));
                  },
                  result::For(Fault::NoAnswer).print, 1),
        1);

    for (const char* state : {"0", "1"}) {
        const int expected = state[0] == '0' ? 0 : 1;
        const int status = CallWithReply([] { return GetCashDrawerStatus(); },
            [&](bool answer) {
                EXPECT_EQ(board.Read(5, kHungMs), Frame('D'));
                if (answer)
                    board.Send(Frame('D', state));
            },
            result::For(Fault::NoAnswer).print, expected);
        EXPECT_EQ(status, expected) << state;
    }
}

TEST(Board, ReadStandardFillsTheRecordAndNothingBeyondIt)
{
    ScalesIni ini(Settings("COM5", 0));
    SerialPeer board(kBoardCom);
    ASSERT_TRUE(board.Connected()) << board.Error();
    char record[32];
    std::memset(record, 0x55, sizeof record);
    EXPECT_EQ(CallWithReply([&record] { return read_standard(record); },
                  [&](bool answer) {
                      EXPECT_EQ(board.Read(5, kHungMs), Frame('W'));
                      if (answer)
                          board.Send("\xff\x02noise" + Frame('W', "5  1.250  0.500"));
                  },
                  result::For(Fault::NoAnswer).scale, 240),
        240);
    EXPECT_EQ(std::string(record, 18), std::string("5  1.250,  0.500\0\0", 18));
    EXPECT_EQ(std::string(record + 18, 14), std::string(14, 0x55));
}

TEST(Board, ZeroTareAndClearTareSucceedOnlyWhenTheBoardSaysSo)
{
    ScalesIni ini(Settings("COM5", 0));
    SerialPeer board(kBoardCom);
    ASSERT_TRUE(board.Connected()) << board.Error();
    char scratch[32] = {};
    struct Case {
        const char* what;
        std::function<int()> call;
        uint8_t letter;
        std::string answer;
        int expected;
    };
    std::string broken = Frame('Z', "0");
    broken[4] ^= 0x20;
    const Case cases[] = {
        {"zero done", [] { return send_zero(); }, 'Z', Frame('Z', "0"), 240},
        {"tare done", [&] { return send_tare(scratch); }, 'T', Frame('T', "0"), 240},
        {"clear tare done", [&] { return clear_tare(scratch); }, 'C', Frame('C', "0"), 240},
        {"zero refused", [] { return send_zero(); }, 'Z', Frame('Z', "1"), 1},
        {"tare not understood", [&] { return send_tare(scratch); }, 'T', Frame('N', "T"), 1},
        {"no answer", [] { return send_zero(); }, 'Z', "", 2},
        {"only a broken frame", [] { return send_zero(); }, 'Z', broken, 3},
        {"an answer to something else", [] { return send_zero(); }, 'Z', Frame('W', "3  0.000  0.000"), 3},
        {"a weight that is no weight",
            [&] {
                char r[18];
                return read_standard(r);
            },
            'W', Frame('W', "x"), 3},
    };
    for (const Case& c : cases) {
        const int got = CallWithReply(
            c.call,
            [&](bool answer) {
                EXPECT_EQ(board.Read(5, kHungMs), Frame(c.letter)) << c.what;
                if (answer)
                    board.Send(c.answer);
            },
            result::For(Fault::NoAnswer).scale, c.expected);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(Settings, ANewPortTakesEffectOnlyAfterClosePrinterEx)
{
    ScalesIni ini(Settings("COM5", 1));
    SerialPeer com5(kPrinterCom), com6(kBoardCom);
    ASSERT_TRUE(com5.Connected() && com6.Connected());
    PrintText("one", 8);
    BeginPrint(0);
    EXPECT_EQ(com5.Read(Init().size() + 7, kHungMs),
        Init() +
            "one\n\x1b"
            "d" +
            std::string(1, '\0'));

    ini.Rewrite(Settings("COM6", 1));
    PrintText("two", 8);
    BeginPrint(0);
    EXPECT_EQ(com5.Read(7, kHungMs),
        "two\n\x1b"
        "d" +
            std::string(1, '\0'))
        << "the open connection keeps its settings";
    EXPECT_EQ(com6.Drain(200), "");

    ClosePrinterEx();
    PrintText("three", 8);
    BeginPrint(0);
    EXPECT_EQ(com6.Read(Init().size() + 9, kHungMs),
        Init() +
            "three\n\x1b"
            "d" +
            std::string(1, '\0'));
    EXPECT_EQ(com5.Drain(200), "");
}

TEST(Parallel, LPT1PrintsTheJob)
{
    ScalesIni ini(Settings("LPT1", 1));
    SerialPeer lpt(kLpt1);
    ASSERT_TRUE(lpt.Connected()) << lpt.Error();
    EXPECT_EQ(PrintText("parallel", 8), 1);
    EXPECT_EQ(CutPaper(), 1);
    EXPECT_EQ(lpt.Read(Init().size() + 13, kHungMs), Init() + "parallel\n\x1dV\x42" + std::string(1, '\0'));
}

// The run-log lines of the calls since the log was emptied.
std::vector<std::string> LogLines()
{
    std::vector<std::string> lines;
    const std::string text = RunLogText();
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start + 24, end - start - 24)); // after "YYYY-MM-DD hh:mm:ss.mmm "
    return lines;
}

TEST(BadInput, EachCallFailsClearlyLogsWhyAndSendsNothing)
{
    ScalesIni ini(Settings("COM5", 1));
    SerialPeer printer(kPrinterCom);
    ASSERT_TRUE(printer.Connected()) << printer.Error();
    ClearRunLog();

    const std::string good = WriteBmp(Picture::Pattern(16, 16), 24, false);
    std::string lying = good;
    lying[18] = static_cast<char>(0xA0); // 4000 wide
    lying[19] = 0x0F;
    std::string empty = good;
    for (int i = 18; i < 26; ++i)
        empty[i] = 0;
    std::string huge = good;
    huge[20] = 0x01; // 65552 wide
    struct Case {
        const char* what;
        std::function<int()> call;
        int expected;
        const char* logged;
    };
    const std::string missing = "C:\\ztests\\PosAdSerial\\missing.bmp";
    const std::string corrupt = WriteTestFile("PosAdSerial", "corrupt.bmp", "BM this is no picture at all");
    const std::string liar = WriteTestFile("PosAdSerial", "liar.bmp", lying);
    const std::string nothing = WriteTestFile("PosAdSerial", "empty.bmp", empty);
    const std::string giant = WriteTestFile("PosAdSerial", "giant.bmp", huge);
    const std::string tenKilobytes(10 * 1024, 'x');
    const std::string longQr(400, 'q');
    const Case cases[] = {
        {"missing file", [&] { return PrintBitmapFile(missing.c_str(), 0); }, -5, "cannot be opened"},
        {"corrupt file", [&] { return PrintBitmapFile(corrupt.c_str(), 0); }, -5, "not one of the known kinds"},
        {"lying header", [&] { return PrintBitmapFile(liar.c_str(), 0); }, -5, "shorter than its header says"},
        {"0x0 image", [&] { return PrintBitmapFile(nothing.c_str(), 0); }, -5, "has no pixels"},
        {"huge image", [&] { return PrintBitmapFile(giant.c_str(), 0); }, -5, "larger than"},
        {"no path", [] { return PrintBitmapFile(nullptr, 0); }, -5, "no file name"},
        {"10 kB text", [&] { return PrintText(tenKilobytes.c_str(), 8); }, -1, "longer than 4096"},
        {"no text", [] { return PrintText(nullptr, 8); }, -1, "no text"},
        {"letters in a barcode", [] { return PrintBarCode("69310814ABC", 2, 50, 2); }, -1, "not a digit"},
        {"empty barcode", [] { return PrintBarCode("", 2, 50, 2); }, -1, "empty"},
        {"QR text too long", [&] { return PrintQrCode(longQr.c_str(), 8); }, -1, "needs version"},
        {"negative feed", [] { return BeginPrint(-1); }, -1, "outside 0..255"},
        {"no record", [] { return read_standard(nullptr); }, 5, "no record"},
        {"no version buffer", [] { return GetDllVersion(nullptr); }, -1, "no buffer"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.call(), c.expected) << c.what;
    EXPECT_EQ(printer.Drain(300), "") << "no failed call sends a byte";

    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NE(lines[i].find(" failed: "), std::string::npos) << cases[i].what << ": " << lines[i];
        EXPECT_NE(lines[i].find(cases[i].logged), std::string::npos) << cases[i].what << ": " << lines[i];
        EXPECT_NE(lines[i].find("; sent 0 bytes"), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lines[6].find(tenKilobytes), std::string::npos) << "a long text is cut short in the log";
}

TEST(BadInput, PortsThatDoNotExistFailWithTheirReason)
{
    ScalesIni ini(Settings("COM99", 1));
    ClearRunLog();
    EXPECT_EQ(PrintText("lost", 8), 1);
    EXPECT_EQ(BeginPrint(4), -2);
    ini.Rewrite(Settings("USB", 1));
    ClosePrinterEx();
    EXPECT_EQ(CutPaper(), -2);
    ini.Rewrite(Settings("PRN", 1));
    ClosePrinterEx();
    EXPECT_EQ(OpenCashDrawerEx(), -2);
    ini.Rewrite(Settings("COM5", 0, "[PosAdDll]\r\nBoardPort=COM98\r\n"));
    ClosePrinterEx();
    EXPECT_EQ(send_zero(), 4);

    const std::string log = RunLogText();
    EXPECT_NE(log.find("BeginPrint(4) -> -2 failed: COM99 cannot be opened"), std::string::npos) << log;
    EXPECT_NE(log.find("dropped the job's 5 bytes"), std::string::npos) << log;
    EXPECT_NE(log.find("CutPaper() -> -2 failed: no USB printer is connected"), std::string::npos) << log;
    EXPECT_NE(log.find("OpenCashDrawerEx() -> -2 failed: printer port \"PRN\""), std::string::npos) << log;
    EXPECT_NE(log.find("send_zero() -> 4 failed: COM98 cannot be opened"), std::string::npos) << log;
}

TEST(RunLog, OneLinePerCallWhenOnAndNothingWhenOff)
{
    ScalesIni ini(Settings("COM5", 1));
    SerialPeer printer(kPrinterCom);
    ClearRunLog();
    PrintText("合计金额：2.50", 8);
    BeginPrint(4);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u) << RunLogText();
    EXPECT_EQ(lines[0], "PrintText(\"合计金额：2.50\", 8) -> 1 done: queued 15 bytes, job 15 bytes; sent 0 bytes");
    EXPECT_EQ(lines[1], "BeginPrint(4) -> 1 done; sent " + std::to_string(Init().size() + 15 + 3) + " bytes");

    std::string off = Settings("COM5", 1);
    off.replace(off.find("LOG=1"), 5, "LOG=0");
    ini.Rewrite(off);
    ClosePrinterEx();
    ClearRunLog();
    PrintText("quiet", 8);
    BeginPrint(4);
    EXPECT_TRUE(RunLogFiles().empty()) << RunLogText();
}

} // namespace
