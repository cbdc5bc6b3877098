// The printers the virtual printer can play: what each prints (width, fonts,
// code pages by its maker's ESC t numbering, symbologies, 2D codes, cutter,
// two-byte text), who it says it is (GS I) and how it takes data (receive
// buffer, print speed, XON/XOFF). The rows are generated from the independent
// encoder's printer definitions (model_data.inc, see make-model-data.mjs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zsim::models {

enum class Language : uint8_t { EscPos, StarPrnt, StarLine };

struct Font {
    char name;  // 'A' for ESC M 0, 'B' for ESC M 1 ...
    int width;
    int height;
    int columns;  // on the model's paper, as the maker counts them
};

// GS I answers.
struct Identity {
    const char* firmware;  // n = 65
    const char* maker;     // 66
    const char* name;      // 67
    const char* serial;    // 68
    const char* fontType;  // 69: the two-byte font ("CHINA GB18030"); empty for single-byte models
    uint8_t modelId;       // 1
    uint8_t romVersion;    // 3
};

struct PrinterModel {
    const char* id;  // "epson-tm-t88v"
    const char* vendor;
    const char* model;
    Language language;
    int dpi;
    int paperMm;
    int printDots;  // width of the print area
    std::vector<Font> fonts;
    const char* codePages;      // the ESC t numbering: "epson", "xprinter" ...
    std::vector<int> barcodes;  // GS k m (65..79) it prints; 0..6 are 65..71
    bool qrCode;
    bool qrModel1;
    bool pdf417;
    int pdf417Barcode;  // a GS k m that prints PDF417 instead of GS ( k (0: none)
    bool cutter;
    const char* twoByte;  // "GB18030", or empty: no two-byte characters
    bool twoByteAtPowerUp;
    Identity identity;
    size_t receiveBufferBytes;
    int printSpeedMmPerSecond;  // 0: prints at once
    bool xonXoff;

    bool escPos() const { return language == Language::EscPos; }
    bool printsBarcode(int m) const;
    // "Epson TM-T88V", the model's name in reports.
    std::string displayName() const;
};

// Characters of a code page for bytes 0x20..0xFF; 0 where it has none.
struct CodePageTable {
    const char* name;
    char32_t chars[224];
};

struct CodePageNumbering {
    const char* name;
    std::vector<std::pair<int, const char*>> pages;  // ESC t n, code page
};

const std::vector<PrinterModel>& allModels();
// nullptr when no model has that id.
const PrinterModel* findModel(const std::string& id);
// The terminal's own 80 mm printer, which the program's runs expect.
const PrinterModel& defaultModel();
// The table ESC t n selects on this model; nullptr when its numbering has no such page.
const CodePageTable* codePageFor(const PrinterModel& model, int n);
const CodePageTable* codePageNamed(const std::string& name);

}  // namespace zsim::models
