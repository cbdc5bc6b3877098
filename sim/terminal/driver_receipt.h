// A job of the Windows printer queue as the receipt it prints: the spooler's
// backend renders the job's pages (PBM, or PGM for smoothed text, at the printer's 203 dpi) into a
// folder and hands that folder over; this puts the pages on one length of
// roll paper, cut at the end of the job, and files it with its report beside
// the ESC/POS receipts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "printer/virtual_printer.h"

namespace zsim::term {

struct DriverJobRequest {
    std::string title;
    bool drawer = false;             // the queue pulses the drawer at each job
    std::string error;               // the backend could not render the job
    bool stoppedAtPageCap = false;   // the backend rendered no further pages
    std::string postscript;          // the job as the spooler gave it
    std::vector<std::string> pages;  // PBM or PGM files, in order
};

// Reads DIR/job.info (key=value lines), DIR/job.ps and DIR/page-*.pbm or .pgm.
bool readDriverJobRequest(const std::string& dir, DriverJobRequest& request, std::string& error);

struct DriverReceiptConfig {
    int paperWidth = 576;       // printable dots
    int maxPageLength = 24000;  // dots, as for ESC/POS receipts
};

// Writes driver-NNNN.ps, driver-NNNN-1.png (none when the job left the paper
// blank) and driver-NNNN.json into dir; the result is what the receipts
// folder lists.
JobResult writeDriverReceipt(const DriverJobRequest& request, int job, const std::string& dir,
                             const DriverReceiptConfig& config);

}  // namespace zsim::term
