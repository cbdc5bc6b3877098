// Driver printing against a real CUPS server (started by the test run, see scripts/cups/cupsd.sh):
// Wine lists its queues as installed printers, its PostScript driver renders each job and the
// queues' backend stores the jobs, which ghostscript reads back here.
#include "HostShell.h"
#include "PageHost.h"
#include "PrintedJob.h"
#include "fakes/FakePosAd.h"
#include "framework/TextCodec.h"
#include "support/SeamRecorder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

namespace {

// The queues of scripts/cups/cupsd.sh; the default one's name is longer than an 80-byte buffer holds.
const std::string kDefaultQueue =
    "Zantor-Front-Counter-Receipt-Printer-Whose-Name-Is-Longer-Than-An-Eighty-Byte-Buffer-Can-Hold";
const std::string kChineseQueue = "前台收银打印机";

std::string CupsDir()
{
    return EnvOr("ZPT_CUPS_DIR");
}

// Linux path of the folder where the queue's backend stores its jobs.
std::string JobFolder(const std::string& queue)
{
    return CupsDir() + "/jobs/" + (queue == kChineseQueue ? "cjk" : queue);
}

// The stored jobs of a queue, oldest first (CUPS numbers its jobs upwards).
std::vector<std::string> Jobs(const std::string& queue)
{
    std::vector<std::pair<long, std::string>> found;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(Widen(DosPath(JobFolder(queue)) + "\\job-*.ps").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Narrow(entry.cFileName);
            found.emplace_back(std::atol(name.c_str() + 4), JobFolder(queue) + "/" + name);
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (const auto& job : found)
        paths.push_back(job.second);
    return paths;
}

void ClearJobs(const std::string& queue)
{
    for (const std::string& path : Jobs(queue))
        ::DeleteFileW(Widen(DosPath(path)).c_str());
}

// Waits until the queue's backend has stored count jobs, at most a minute.
std::vector<std::string> WaitForJobs(const std::string& queue, size_t count)
{
    for (int waited = 0; waited < 60000; waited += 100) {
        const std::vector<std::string> jobs = Jobs(queue);
        if (jobs.size() >= count)
            return jobs;
        ::Sleep(100);
    }
    return Jobs(queue);
}

int QueuedJobs(const std::string& queue)
{
    std::string output;
    EXPECT_EQ(RunOnHost("lpstat -o '" + queue + "'", &output), 0) << output;
    return static_cast<int>(std::count(output.begin(), output.end(), '\n'));
}

struct Device {
    int dpi = 0;
    int offsetX = 0; // printable area's left edge from the paper's
    int offsetY = 0; // printable area's top edge from the paper's
    int pageHeight = 0; // printable height
};

Device DeviceOf(const std::string& printer)
{
    Device device;
    const HDC dc = ::CreateDCW(nullptr, Widen(printer).c_str(), nullptr, nullptr);
    if (!dc)
        return device;
    device.dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    device.offsetX = ::GetDeviceCaps(dc, PHYSICALOFFSETX);
    device.offsetY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    device.pageHeight = ::GetDeviceCaps(dc, VERTRES);
    ::DeleteDC(dc);
    return device;
}

std::vector<std::string> ComboItems(PageHost& host)
{
    CComboBox list;
    list.Attach(host.Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
    std::vector<std::string> items;
    for (int i = 0; i < list.GetCount(); ++i)
        items.push_back(list.GetLBText(i));
    return items;
}

class DriverPrinting : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CupsDir().empty()) << "run with ZPT_CUPS_DIR and CUPS_SERVER of the private CUPS server";
        fake_pos_ad::Reset();
        host = std::make_unique<PageHost>();
    }

    void TearDown() override
    {
        host.reset();
        EXPECT_TRUE(fake_pos_ad::Calls().empty()) << "driver printing never goes through the device library";
    }

    void Choose(const std::string& printer)
    {
        CComboBox list;
        list.Attach(host->Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
        const int index = list.FindExact(printer);
        ASSERT_GE(index, 0) << printer << " is not listed";
        list.SetCurSel(index);
    }

    // Prints the receipt text on printer and returns the one job it produced, read back.
    PrintedJob PrintReceipt(const std::string& printer, const std::string& text)
    {
        Choose(printer);
        host->Page().m_editReceipt.SetWindowText(text);
        ClearJobs(printer);
        seams.boxes.clear();
        host->Click(IDC_PRN_DRIVER_RECEIPT);

        EXPECT_EQ(seams.Texts(), std::vector<std::string> {"打印完毕!"});
        if (!seams.boxes.empty()) {
            EXPECT_EQ(seams.boxes[0].caption, std::optional<std::string>("提示"));
            EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));
        }
        const std::vector<std::string> jobs = WaitForJobs(printer, 1);
        EXPECT_EQ(jobs.size(), 1u) << "jobs stored for " << printer;
        PrintedJob job;
        std::string error;
        if (!jobs.empty()) {
            EXPECT_TRUE(ReadPrintedJob(jobs[0], DeviceOf(printer).dpi, job, error)) << error;
        }
        return job;
    }

    void ExpectOnlyBox(const char* text)
    {
        ASSERT_EQ(seams.Texts(), std::vector<std::string> {text});
        EXPECT_EQ(seams.boxes[0].caption, std::nullopt) << "the system's own caption";
        EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_OK)) << "no icon";
    }

    SeamRecorder seams;
    std::unique_ptr<PageHost> host;
};

TEST_F(DriverPrinting, ListsEveryQueueSortedAndSelectsTheLongNamedDefault)
{
    const std::vector<std::string> expected = {
        "Alpha", "Paused", "POS58", "Rejecting", "Vanishing", kDefaultQueue, kChineseQueue};
    EXPECT_EQ(ComboItems(*host), expected);

    CComboBox list;
    list.Attach(host->Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
    ASSERT_GE(list.GetCurSel(), 0);
    EXPECT_EQ(list.GetLBText(list.GetCurSel()), kDefaultQueue);
    EXPECT_EQ(list.GetWindowText(), kDefaultQueue);
    EXPECT_TRUE(seams.boxes.empty());
}

TEST_F(DriverPrinting, SampleReceiptLinesAndMarkStandThirtyUnitsApart)
{
    const std::string sample = host->Text(IDC_PRN_RECEIPT_EDIT);
    const PrintedJob job = PrintReceipt(kChineseQueue, sample);
    const Device device = DeviceOf(kChineseQueue);

    EXPECT_NE(job.postscript.find("%%Title: printer"), std::string::npos) << "the job is named printer";
    EXPECT_EQ(job.pages, 1);
    // Lines 16 to 19 hold only tabs and a space: nothing visible, but each takes its line.
    const std::vector<std::pair<int, std::string>> expected = {
        {0, "测试店"},
        {1, "POS机号:0001 收款员：王五"},
        {2, "交易时间：2020-05-30 11:08:12"},
        {3, "品名 单价 数量 金额"},
        {4, "可口可乐 2.50 1.00 2.50"},
        {5, "生鱼片 98.0 1.00 98.00"},
        {6, "生鱼片 98.0 1.00 98.00"},
        {7, "生鱼片 98.0 1.00 98.00"},
        {8, "生鱼片 98.0 1.00 98.00"},
        {9, "--------------------------------"},
        {10, "合计金额：2323230.00"},
        {11, "实付金额：0.01"},
        {12, "支付方式：扫描支付"},
        {13, "BARCODE"},
        {14, "--------------------------------"},
        {15, ""},
        {16, ""},
        {17, ""},
        {18, ""},
        {20, "-"},
    };
    const std::vector<PrintedLine>& lines = job.lines;
    ASSERT_EQ(lines.size(), expected.size());

    const int top = lines[0].baseline;
    EXPECT_GT(top, device.offsetY) << "the first line stands at the top of the printable area";
    EXPECT_LT(top, device.offsetY + 30);
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [slot, text] = expected[i];
        EXPECT_EQ(Squeezed(lines[i].text), Widen(text)) << "line " << slot;
        EXPECT_NEAR(lines[i].baseline - top, 30 * slot, 1) << "line " << slot;
        // The first line starts with spaces, which move its first visible glyph to the right.
        if (slot != 0) {
            EXPECT_NEAR(lines[i].x, device.offsetX + 1, 1) << "line " << slot;
        }
    }
}

TEST_F(DriverPrinting, LongReceiptContinuesOnNewPagesWithoutLosingALine)
{
    const int count = 250;
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "第" + std::to_string(i) + "行 receipt line\r\n";
    const PrintedJob job = PrintReceipt("Alpha", text);
    const Device device = DeviceOf("Alpha");
    ASSERT_GT(device.pageHeight, 0);

    const int perPage = (device.pageHeight - 20) / 30 + 1;
    EXPECT_EQ(job.pages, (count + perPage - 1) / perPage);
    ASSERT_EQ(job.lines.size(), static_cast<size_t>(count + 1)) << "every line and the mark";
    const int top = job.lines[0].baseline;
    for (int i = 0; i < count; ++i) {
        const PrintedLine& line = job.lines[i];
        EXPECT_EQ(Squeezed(line.text), Widen("第" + std::to_string(i + 1) + "行 receipt line")) << "line " << i;
        EXPECT_EQ(line.page, i / perPage) << "line " << i;
        EXPECT_NEAR(line.baseline - top, 30 * (i % perPage), 1) << "line " << i << ": same top and step on every page";
        EXPECT_NEAR(line.x, device.offsetX + 1, 1) << "line " << i;
    }
    const PrintedLine& mark = job.lines.back();
    EXPECT_EQ(Squeezed(mark.text), L"-");
    const PrintedLine& last = job.lines[count - 1];
    if (mark.page == last.page) {
        EXPECT_NEAR(mark.baseline - last.baseline, 60, 1);
    } else {
        EXPECT_EQ(mark.baseline, top) << "a mark that does not fit opens the next page";
    }
}

TEST_F(DriverPrinting, DrawerButtonSendsOneEmptyPageAndSaysNothing)
{
    ClearJobs(kDefaultQueue);
    host->Click(IDC_PRN_DRIVER_DRAWER);
    EXPECT_TRUE(seams.boxes.empty());

    const std::vector<std::string> jobs = WaitForJobs(kDefaultQueue, 1);
    ASSERT_EQ(jobs.size(), 1u);
    PrintedJob job;
    std::string error;
    ASSERT_TRUE(ReadPrintedJob(jobs[0], DeviceOf(kDefaultQueue).dpi, job, error)) << error;
    EXPECT_EQ(job.pages, 1);
    EXPECT_TRUE(job.lines.empty());
    EXPECT_NE(job.postscript.find("%%Title: printer"), std::string::npos);
}

TEST_F(DriverPrinting, StoppedQueueKeepsTheJobUntilItIsStarted)
{
    Choose("Paused");
    ClearJobs("Paused");
    host->Page().m_editReceipt.SetWindowText("暂停的打印机\r\n");
    host->Click(IDC_PRN_DRIVER_RECEIPT);
    // The queue took the job; it only waits to be printed.
    EXPECT_EQ(seams.Texts(), std::vector<std::string> {"打印完毕!"});
    EXPECT_EQ(QueuedJobs("Paused"), 1);
    EXPECT_TRUE(Jobs("Paused").empty());

    ASSERT_EQ(RunOnHost("cupsenable Paused"), 0);
    const std::vector<std::string> jobs = WaitForJobs("Paused", 1);
    EXPECT_EQ(RunOnHost("cupsdisable Paused"), 0);
    ASSERT_EQ(jobs.size(), 1u) << "the held job is printed once the queue starts";
    PrintedJob job;
    std::string error;
    ASSERT_TRUE(ReadPrintedJob(jobs[0], DeviceOf("Paused").dpi, job, error)) << error;
    ASSERT_EQ(job.lines.size(), 2u);
    EXPECT_EQ(Squeezed(job.lines[0].text), Widen("暂停的打印机"));
}

TEST_F(DriverPrinting, RejectingQueueIsReportedNotConfirmed)
{
    Choose("Rejecting");
    ClearJobs("Rejecting");
    host->Click(IDC_PRN_DRIVER_RECEIPT);
    ExpectOnlyBox("打印失败!");

    seams.boxes.clear();
    host->Click(IDC_PRN_DRIVER_DRAWER);
    ExpectOnlyBox("打印失败!");
    EXPECT_EQ(QueuedJobs("Rejecting"), 0);
    EXPECT_TRUE(Jobs("Rejecting").empty());
}

TEST_F(DriverPrinting, PrinterThatVanishedMeanwhileIsRefusedWithoutACrash)
{
    Choose("Vanishing");
    ClearJobs("Vanishing");
    ASSERT_EQ(RunOnHost("lpadmin -x Vanishing"), 0);

    host->Click(IDC_PRN_DRIVER_RECEIPT);
    ExpectOnlyBox("打印失败!");
    seams.boxes.clear();
    host->Click(IDC_PRN_DRIVER_DRAWER);
    ExpectOnlyBox("打印失败!");
    EXPECT_TRUE(Jobs("Vanishing").empty());

    // The next program start must find the queue again.
    EXPECT_EQ(RunOnHost("lpadmin -p Vanishing -E -v 'zptjob:" + JobFolder("Vanishing") + "'"), 0);
}

TEST_F(DriverPrinting, NameThatIsNotAnInstalledPrinterIsRefused)
{
    Choose("POS58");
    ClearJobs("POS58");
    CComboBox list;
    list.Attach(host->Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
    // The combo's edit field takes typing, and the printer is the name it shows.
    for (const char* typed : {"pos58", "POS58 ", "POS"}) {
        list.SetWindowText(typed);
        ASSERT_GE(list.GetCurSel(), 0) << "the list keeps its selection while the name is edited";
        seams.boxes.clear();
        host->Click(IDC_PRN_DRIVER_RECEIPT);
        host->Click(IDC_PRN_DRIVER_DRAWER);
        EXPECT_EQ(seams.Texts(), (std::vector<std::string> {"取打印机信息失败!", "取打印机信息失败!"})) << typed;
        for (const RecordedBox& box : seams.boxes) {
            EXPECT_EQ(box.caption, std::nullopt);
            EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        }
    }
    EXPECT_TRUE(Jobs("POS58").empty());
}

// The user profile's default printer entry, put back after each test.
class DriverPrintingDefault : public ::testing::Test {
protected:
    void SetUp() override { m_saved = Entry(); }
    void TearDown() override { ::WriteProfileStringW(L"windows", L"device", Widen(m_saved).c_str()); }

    static std::string Entry()
    {
        std::wstring entry(4096, L'\0');
        entry.resize(::GetProfileStringW(L"windows", L"device", L"", entry.data(), static_cast<DWORD>(entry.size())));
        return Narrow(entry);
    }

    SeamRecorder seams;

private:
    std::string m_saved;
};

TEST_F(DriverPrintingDefault, DefaultNotInTheListLeavesNoSelection)
{
    for (const char* entry : {"Ghost Printer,winspool,Ne00:", "pos58,wineps.drv,CUPS:pos58", ",,,"}) {
        ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", Widen(entry).c_str()));
        ClearJobs("POS58");
        PageHost host;
        CComboBox list;
        list.Attach(host.Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
        EXPECT_EQ(list.GetCount(), 7) << entry;
        EXPECT_EQ(list.GetCurSel(), -1) << entry << ": only an exact, case-sensitive match is selected";

        seams.boxes.clear();
        host.Click(IDC_PRN_DRIVER_RECEIPT);
        host.Click(IDC_PRN_DRIVER_DRAWER);
        EXPECT_EQ(seams.Texts(), (std::vector<std::string> {"请选择打印机!", "请选择打印机!"})) << entry;
        for (const RecordedBox& box : seams.boxes) {
            EXPECT_EQ(box.caption, std::nullopt);
            EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        }
    }
    EXPECT_TRUE(Jobs("POS58").empty());
}

TEST_F(DriverPrintingDefault, NamedDefaultIsSelectedWhateverTheEntrysShape)
{
    for (const char* entry : {"POS58", "POS58,winspool,Ne00:", ",POS58,x"}) {
        ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", Widen(entry).c_str()));
        PageHost host;
        CComboBox list;
        list.Attach(host.Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
        ASSERT_GE(list.GetCurSel(), 0) << entry;
        EXPECT_EQ(list.GetLBText(list.GetCurSel()), "POS58") << entry;
    }
}

// Run with a CUPS server address where none listens: Wine then lists no printer at all.
TEST(DriverPrintingWithoutPrinters, BothButtonsSayNoPrinterIsInstalled)
{
    SeamRecorder seams;
    PageHost host;
    CComboBox list;
    list.Attach(host.Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
    ASSERT_EQ(list.GetCount(), 0) << "a printer is installed outside the test's CUPS server";
    host.Click(IDC_PRN_DRIVER_RECEIPT);
    host.Click(IDC_PRN_DRIVER_DRAWER);
    EXPECT_EQ(seams.Texts(), (std::vector<std::string> {"没有安装打印机!", "没有安装打印机!"}));
    for (const RecordedBox& box : seams.boxes) {
        EXPECT_EQ(box.caption, std::nullopt);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
    }
}

} // namespace
