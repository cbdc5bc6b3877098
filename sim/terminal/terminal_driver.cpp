// Jobs of the Windows printer queue: the queue's backend renders a job and
// hands its folder over the control socket; it becomes a receipt numbered
// with the ESC/POS receipts, and the queue's drawer setting opens the drawer
// the way a POS driver's "open drawer at document start" does.
#include <cstdio>
#include <filesystem>

#include "terminal/driver_receipt.h"
#include "terminal/terminal.h"
#include "wire/terminal_events.h"

namespace zsim::term {

nlohmann::json Terminal::driverJob(const std::string& dir) {
    DriverJobRequest request;
    std::string error;
    if (!readDriverJobRequest(dir, request, error)) return {{"ok", false}, {"error", error}};
    const uint64_t before = wire_.lastSeq();
    if (request.drawer) drawer_.open("driver");
    DriverReceiptConfig config;
    config.paperWidth = printer_->config().printWidth();
    const JobResult job = writeDriverReceipt(request, printer_->takeJobNumber(), receipts_.dir(), config);
    wire_.event("driver", wire::driverJobWords(request.title, job.report.bytes, job.pageFiles.size(), job.job,
                                               request.error));
    // Its wire file holds the job's drawer pulse and the job itself: what the queue handed over.
    const std::filesystem::path wireFile = std::filesystem::path(job.rawFile).replace_extension(".wire.txt");
    const std::string title = std::filesystem::path(job.rawFile).stem().string() + " on the Windows queue";
    const bool wired = !job.rawFile.empty() && wire_.writeSince(before, wireFile.string(), title,
                                                                job.report.bytes, error);
    if (!error.empty()) std::fprintf(stderr, "zantor-sim: %s\n", error.c_str());
    const Receipt& receipt = receipts_.add(job, wallClockMs(), "driver", wired ? wireFile.filename().string() : "");
    receiptAdded(receipt);
    return {{"ok", true}, {"receipt", receiptJson(receipt, receipts_.dir())}};
}

}  // namespace zsim::term
