// GS ( k PDF417 symbols through libzint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zsim::escpos {

struct Pdf417Settings {
    int columns = 0;         // data columns, 0 = as few rows as fit the width
    int rows = 0;            // 0 = automatic
    int moduleWidth = 3;     // dots per module
    int rowHeight = 3;       // module widths per row
    int level = -1;          // error correction level 0..8, or -1: by ratio
    int ratioTenths = 1;     // error correction as tenths of the data (GS ( k fn 69 m=49)
    bool truncated = false;  // compact PDF417 without the right row indicators
};

struct Pdf417Modules {
    bool ok = false;
    std::string error;
    int width = 0;  // modules per row
    int rows = 0;
    std::vector<uint8_t> dark;  // rows * width, 1 = bar
};

Pdf417Modules encodePdf417(const std::vector<uint8_t>& data, const Pdf417Settings& settings);

}  // namespace zsim::escpos
