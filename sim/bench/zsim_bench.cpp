// zsim-bench [--width 384|576] [--runs N] IN.bin OUTDIR
// Renders one stream N times as N jobs in one printer, as the long-running
// virtual terminal would, and prints the median time per job (PNG writing
// included), the time the same bytes take on a 115200-baud line, and the
// process's peak RSS.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "printer/virtual_printer.h"

int main(int argc, char** argv) {
    zsim::PrinterConfig config;
    int runs = 10;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--width" && i + 1 < argc)
            config.paperWidth = std::atoi(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            args.push_back(a);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: zsim-bench [--width 384|576] [--runs N] IN.bin OUTDIR\n");
        return 2;
    }
    std::ifstream in(args[0], std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) {
        std::fprintf(stderr, "zsim-bench: cannot read %s\n", args[0].c_str());
        return 1;
    }
    config.outputDir = args[1];
    zsim::escpos::SettableDeviceState device;
    zsim::VirtualPrinter printer(config, device, {});
    std::vector<double> ms;
    size_t pages = 0;
    // One unmeasured job first: font loading happens once per process.
    for (int i = 0; i <= runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        // 4 KiB pieces, the size a serial or TCP reader hands over.
        for (size_t pos = 0; pos < data.size(); pos += 4096)
            printer.feed(data.data() + pos, std::min<size_t>(4096, data.size() - pos));
        const zsim::JobResult r = printer.endJob();
        const auto stop = std::chrono::steady_clock::now();
        if (i > 0) ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        pages = r.pageFiles.size();
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double lineMs = data.size() / 11520.0 * 1000.0;  // 115200 baud, 8N1
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "{\"file\": \"%s\", \"bytes\": %zu, \"pages\": %zu, \"runs\": %d, \"median_ms\": %.2f, "
        "\"min_ms\": %.2f, \"line_ms\": %.1f, \"times_faster_than_line\": %.0f, \"peak_rss_mb\": %.1f}\n",
        args[0].c_str(), data.size(), pages, runs, median, ms.front(), lineMs, lineMs / median,
        usage.ru_maxrss / 1024.0);
    return 0;
}
