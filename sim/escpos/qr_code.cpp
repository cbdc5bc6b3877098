#include "escpos/qr_code.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>

namespace zsim::escpos {

QrModules encodeQr(const std::vector<uint8_t>& data, int level) {
    QrModules out;
    if (data.empty()) {
        out.error = "no data stored";
        return out;
    }
    static const QRecLevel levels[] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};
    const QRecLevel ec = levels[std::clamp(level, 0, 3)];
    QRcode* code = nullptr;
    const bool binary = std::find(data.begin(), data.end(), 0) != data.end();
    if (binary) {
        code = QRcode_encodeData(static_cast<int>(data.size()), data.data(), 0, ec);
    } else {
        // Text gets the mixed numeric/alphanumeric/byte segmentation a
        // printer would choose; NUL bytes need plain byte mode.
        const std::string text(data.begin(), data.end());
        code = QRcode_encodeString(text.c_str(), 0, ec, QR_MODE_8, 1);
    }
    if (!code) {
        out.error = "data does not fit a QR symbol";
        return out;
    }
    std::unique_ptr<QRcode, decltype(&QRcode_free)> guard(code, &QRcode_free);
    out.size = code->width;
    out.dark.resize(static_cast<size_t>(out.size) * out.size);
    for (size_t i = 0; i < out.dark.size(); ++i) out.dark[i] = code->data[i] & 1;
    out.ok = true;
    return out;
}

}  // namespace zsim::escpos
