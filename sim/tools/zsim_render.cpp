// zsim-render [--model NAME] [--width DOTS] [--max-length DOTS] IN.bin OUTDIR
// Renders one ESC/POS stream as one job: PNG per page, the raw bytes and a
// JSON report in OUTDIR. Prints the report's file name and a summary.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "printer/virtual_printer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zsim-render [--model NAME] [--width DOTS] [--max-length DOTS] [--no-chinese] IN.bin OUTDIR\n"
                 "  NAME: a printer model (zantor-simctl models lists them; default zsim-80)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    zsim::PrinterConfig config;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--model" && i + 1 < argc) {
            const zsim::models::PrinterModel* model = zsim::models::findModel(argv[++i]);
            if (!model || !model->escPos()) return usage();
            const zsim::PrinterConfig chosen = zsim::configFor(*model);
            config.model = chosen.model;
        } else if (a == "--width" && i + 1 < argc) {
            config.paperWidth = std::atoi(argv[++i]);
            if (config.paperWidth < 64 || config.paperWidth > 4096) return usage();
        } else if (a == "--max-length" && i + 1 < argc) {
            config.maxPageLength = std::atoi(argv[++i]);
            if (config.maxPageLength <= 0) return usage();
        } else if (a == "--no-chinese") {
            config.chineseModeAtReset = false;
        } else if (!a.empty() && a[0] == '-') {
            return usage();
        } else {
            args.push_back(a);
        }
    }
    if (args.size() != 2) return usage();
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zsim-render: cannot read %s\n", args[0].c_str());
        return 1;
    }
    config.outputDir = args[1];
    zsim::escpos::SettableDeviceState device;
    zsim::VirtualPrinter printer(config, device, {});
    // Fed in pieces as a connection would; the input is never held whole.
    std::vector<char> buf(64 * 1024);
    while (in) {
        in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        const std::streamsize got = in.gcount();
        if (got > 0) printer.feed(reinterpret_cast<const uint8_t*>(buf.data()), static_cast<size_t>(got));
    }
    const zsim::JobResult r = printer.endJob();
    if (r.job == 0) {
        std::fprintf(stderr, "zsim-render: %s is empty\n", args[0].c_str());
        return 1;
    }
    std::printf("%s: %zu page(s), %llu unknown, %llu unsupported, %llu note(s)\n", r.reportFile.c_str(),
                r.pageFiles.size(), static_cast<unsigned long long>(r.report.unknownTotal()),
                static_cast<unsigned long long>(r.report.unsupportedTotal()),
                static_cast<unsigned long long>(r.report.noteTotal()));
    return 0;
}
