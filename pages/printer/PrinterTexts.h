// The texts the printer page starts with. GBK, like every text of the program.
#pragma once

// The 19-line sample receipt, each line ending in CR LF. Its line "BARCODE" stands for a barcode.
extern const char kSampleReceipt[];
extern const char kDefaultPrintText[];
extern const char kDefaultBarcode[];
extern const char kDefaultQrText[];
// The receipt's barcode line always prints these digits, whatever the barcode edit holds.
extern const char kReceiptBarcode[];
extern const char kReceiptBarcodeLine[];
