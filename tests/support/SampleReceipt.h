// The nineteen lines of the printer page's sample receipt, as the tests expect them (without
// their CR LF). Written out here once, independently of the page's own copy.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& SampleReceiptLines();
// The lines joined as the receipt edit holds them: each ended by CR LF.
std::string SampleReceiptText();
