// The receipts folder's index.html: newest first, each job with its pages,
// the time it ended, links to its raw bytes and report, and how many
// commands the printer did not understand.
#pragma once

#include <deque>
#include <string>

namespace zsim::term {

struct Receipt;

std::string renderReceiptIndex(const std::deque<Receipt>& receipts);

}  // namespace zsim::term
