// GS ( k QR symbols through libqrencode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zsim::escpos {

struct QrModules {
    bool ok = false;
    std::string error;
    int size = 0;               // modules per side
    std::vector<uint8_t> dark;  // size * size, row-major, 1 = dark
};

// level: 0 = L, 1 = M, 2 = Q, 3 = H
QrModules encodeQr(const std::vector<uint8_t>& data, int level);

}  // namespace zsim::escpos
