// Jobs of the Windows printer queue: the queue's backend renders a job and
// hands its folder over the control socket; it becomes a receipt numbered
// with the ESC/POS receipts, and the queue's drawer setting opens the drawer
// the way a POS driver's "open drawer at document start" does.
#include <filesystem>

#include "terminal/driver_receipt.h"
#include "terminal/terminal.h"
#include "wire/terminal_events.h"

namespace zsim::term {

nlohmann::json Terminal::driverJob(const std::string& dir) {
    DriverJobRequest request;
    std::string error;
    if (!readDriverJobRequest(dir, request, error)) return {{"ok", false}, {"error", error}};
    if (request.drawer) drawer_.open("driver");
    DriverReceiptConfig config;
    config.paperWidth = printer_->config().printWidth();
    const JobResult job = writeDriverReceipt(request, printer_->takeJobNumber(), receipts_.dir(), config);
    wire_.event("driver", wire::driverJobWords(request.title, request.postscript.size(), job.pageFiles.size(), job.job,
                                               request.error));
    const Receipt& receipt = receipts_.add(job, wallClockMs(), "driver");
    receiptAdded(receipt);
    return {{"ok", true}, {"receipt", receiptJson(receipt, receipts_.dir())}};
}

}  // namespace zsim::term
