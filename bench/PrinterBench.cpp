// Times the printer page's two receipt paths (run by scripts/bench-printer.sh, never as a test):
// "打印小票" through the device library, from the command to the library's last call, with the
// recording stand-in as library so only the program's own work is timed; and the driver job,
// from the command to the spooler's acceptance and to the job stored by the CUPS backend.
#include "bench/Stopwatch.h"
#include "fakes/FakePosAd.h"
#include "framework/TextCodec.h"
#include "printer/HostShell.h"
#include "printer/PageHost.h"
#include "support/SeamRecorder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::string LongReceipt(int lines)
{
    std::string text;
    for (int i = 1; i <= lines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "商品%04d   12.50   1.00     12.50\r\n", i);
        text += line;
    }
    return text;
}

// What a receipt printer on a serial line receives for the recorded calls: each text and its
// line feed, the barcode's digits with its setup commands, the feed command.
size_t PrinterBytes()
{
    size_t bytes = 0;
    for (const fake_pos_ad::Call& call : fake_pos_ad::Calls()) {
        if (call.fn == "PrintText")
            bytes += call.text.size() + 1;
        else if (call.fn == "PrintBarCode")
            bytes += call.text.size() + 13; // GS h, GS w, GS H, GS k m n
        else if (call.fn == "BeginPrint")
            bytes += 3; // ESC d n
    }
    return bytes;
}

void BenchCommands(PageHost& host, const char* name, const std::string& text, int runs)
{
    host.Page().m_editReceipt.SetWindowText(text);
    double lastCall = 0;
    std::vector<double> times;
    size_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
        fake_pos_ad::Reset();
        fake_pos_ad::OnCall("BeginPrint", [&] { lastCall = NowMs(); });
        const double start = NowMs();
        host.Click(IDC_PRN_RECEIPT);
        times.push_back(lastCall - start);
        bytes = PrinterBytes();
    }
    const double serialMs = bytes * 10 * 1000.0 / 115200; // 8N1: ten bits a byte
    const double median = Median(times);
    std::printf(
        "commands %-14s median %9.3f ms over %d runs; %zu bytes need %9.1f ms at 115200 baud; overhead %.3f%%\n", name,
        median, runs, bytes, serialMs, 100.0 * median / serialMs);
}

size_t StoredJobs(const std::string& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(Widen(DosPath(folder) + "\\job-*.ps").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name.size() > 3 && name.compare(name.size() - 3, 3, L".ps") == 0)
                ++count;
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    return count;
}

void BenchDriver(PageHost& host, const char* name, const std::string& text, int runs)
{
    const std::string queue = "Alpha";
    const std::string folder = EnvOr("ZPT_CUPS_DIR") + "/jobs/" + queue;
    CComboBox list;
    list.Attach(host.Page().GetDlgItem(IDC_PRN_DRIVER_LIST));
    if (list.FindExact(queue) < 0) {
        std::printf("driver   %-14s skipped: no printer %s (run with the bench's CUPS server)\n", name, queue.c_str());
        return;
    }
    list.SetCurSel(list.FindExact(queue));
    host.Page().m_editReceipt.SetWindowText(text);

    std::vector<double> accepted, stored;
    for (int run = 0; run < runs; ++run) {
        SeamRecorder seams;
        const size_t before = StoredJobs(folder);
        const double start = NowMs();
        host.Click(IDC_PRN_DRIVER_RECEIPT);
        accepted.push_back(NowMs() - start);
        for (int waited = 0; StoredJobs(folder) <= before && waited < 120000; waited += 2)
            ::Sleep(2);
        stored.push_back(NowMs() - start);
        if (seams.Texts() != std::vector<std::string> {"打印完毕!"})
            std::printf("driver   %-14s run %d: unexpected message\n", name, run);
    }
    std::printf("driver   %-14s median %9.1f ms to the spooler, %9.1f ms to the stored job, over %d runs\n", name,
        Median(accepted), Median(stored), runs);
}

} // namespace

int main(int argc, char** argv)
{
    const int commandRuns = argc > 1 ? std::atoi(argv[1]) : 51;
    const int driverRuns = argc > 2 ? std::atoi(argv[2]) : 5;
    // Wine's PostScript driver takes about 50 ms a line, so the long driver job is timed less often.
    const int longDriverRuns = argc > 3 ? std::atoi(argv[3]) : 3;
    SeamRecorder seams; // no dialog may wait for a click during the timings
    PageHost host;
    const std::string sample = host.Text(IDC_PRN_RECEIPT_EDIT);
    const std::string longText = LongReceipt(2000);

    BenchCommands(host, "sample", sample, commandRuns);
    BenchCommands(host, "2000 lines", longText, commandRuns);
    if (driverRuns > 0)
        BenchDriver(host, "sample", sample, driverRuns);
    if (longDriverRuns > 0)
        BenchDriver(host, "2000 lines", longText, longDriverRuns);
    return seams.boxes.empty() ? 0 : 1;
}
