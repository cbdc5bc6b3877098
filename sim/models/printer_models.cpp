#include "models/printer_models.h"

#include <algorithm>
#include <cstring>

namespace zsim::models {

namespace {
#include "models/model_data.inc"

template <class T, size_t N>
const T* byName(const T (&rows)[N], const char* name) {
    for (const T& row : rows)
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}
}  // namespace

bool PrinterModel::printsBarcode(int m) const {
    const int functionB = m <= 6 ? m + 65 : m;
    return std::find(barcodes.begin(), barcodes.end(), functionB) != barcodes.end();
}

std::string PrinterModel::displayName() const {
    return *vendor ? std::string(vendor) + " " + model : std::string(model);
}

const std::vector<PrinterModel>& allModels() {
    static const std::vector<PrinterModel> models(std::begin(kPrinterModels), std::end(kPrinterModels));
    return models;
}

const PrinterModel* findModel(const std::string& id) {
    for (const PrinterModel& m : allModels())
        if (id == m.id) return &m;
    return nullptr;
}

const PrinterModel& defaultModel() { return *findModel("zsim-80"); }

const CodePageTable* codePageNamed(const std::string& name) { return byName(kCodePageTables, name.c_str()); }

const CodePageTable* codePageFor(const PrinterModel& model, int n) {
    const CodePageNumbering* numbering = byName(kCodePageNumberings, model.codePages);
    if (!numbering) return nullptr;
    for (const auto& [number, page] : numbering->pages)
        if (number == n) return codePageNamed(page);
    return nullptr;
}

}  // namespace zsim::models
