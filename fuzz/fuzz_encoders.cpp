// Texts the program passes to the print calls: line text, barcode digits with their options, QR
// content with its module size, settings that name ports.
#include "Barcode.h"
#include "Config.h"
#include "EscPos.h"
#include "QrCode.h"
#include "RunLogLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int a = static_cast<int8_t>(data[0]), b = data[1], c = static_cast<int8_t>(data[2]), d = data[3];
    const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

    const Encoded line = escpos::Text(text);
    if (line.ok() && (line.bytes.empty() || line.bytes.back() != '\n'))
        __builtin_trap();
    barcode::Encode(text, a, b, c, 200 + d * 4);
    qr::Encode(text, a, 200 + d * 4);
    escpos::Feed(a * b);
    runlog::Quote(text.c_str(), static_cast<size_t>(b));

    PosAdConfig config;
    config.printerPort = text;
    config.printerAddress = (a & 1) ? text : std::string();
    PrinterPort(config);
    config.scalePort = text;
    BoardPort(config);
    return 0;
}
