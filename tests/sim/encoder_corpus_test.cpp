// Receipts the independent encoder (receipt-printer-encoder, data/encoder-corpus/) makes for
// each of its ESC/POS models, printed with that model chosen: every command understood, every
// code page decoded to the characters the encoder was given, every symbol read back by an
// independent decoder as the encoder's data.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "models/printer_models.h"
#include "test_support.h"

namespace zsim::test {
namespace {

const std::string kCorpus = ZSIM_ENCODER_CORPUS_DIR;

const nlohmann::json& manifest() {
    static const nlohmann::json m = [] {
        std::ifstream in(kCorpus + "/manifest.json");
        return nlohmann::json::parse(in, nullptr, false);
    }();
    return m;
}

// The models with a receipt, in the manifest's order.
std::vector<std::string> receipts() {
    std::vector<std::string> models;
    if (manifest().is_object())
        for (const nlohmann::json& r : manifest()["receipts"]) models.push_back(r["model"]);
    return models;
}

const nlohmann::json& receiptOf(const std::string& model) {
    for (const nlohmann::json& r : manifest()["receipts"])
        if (r["model"] == model) return r;
    throw std::invalid_argument(model + " has no receipt");
}

std::string withoutBlanks(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\n'; }), s.end());
    return s;
}

class EncoderCorpus : public ::testing::TestWithParam<std::string> {};

TEST(EncoderCorpusFiles, EveryEscPosModelOfTheEncoderHasAReceipt) {
    ASSERT_TRUE(manifest().is_object()) << kCorpus << "/manifest.json";
    size_t escpos = 0;
    for (const models::PrinterModel& m : models::allModels())
        escpos += m.escPos() && std::string(m.id).rfind("zsim-", 0) != 0;
    EXPECT_EQ(receipts().size(), escpos);
}

TEST_P(EncoderCorpus, PrintsWithItsModelAsTheEncoderMeantIt) {
    const std::string model = GetParam();
    const nlohmann::json& expect = receiptOf(model);
    const models::PrinterModel* printer = models::findModel(model);
    ASSERT_NE(printer, nullptr) << model;
    const Bytes stream = readFile(kCorpus + "/" + expect["file"].get<std::string>());
    ASSERT_FALSE(stream.empty());
    RunOptions options;
    options.model = model;
    options.width = 0;
    const Printed r = run(stream, options);
    const escpos::JobReport& report = r.job.report;

    // Understood whole; what the model has no cutter for is all it lacks.
    EXPECT_EQ(report.unknownTotal(), 0u) << report.toJson();
    EXPECT_FALSE(report.endedInsideCommand());
    EXPECT_EQ(report.noteTotal(), 0u) << report.toJson();
    for (const escpos::ReportEntry& e : report.unsupporteds()) EXPECT_EQ(e.name, "cut") << report.toJson();
    ASSERT_FALSE(r.job.pages.empty());
    EXPECT_EQ(r.page().cut, printer->cutter);
    // The encoder feeds a line after its cut: blank paper, the next receipt's.
    for (size_t i = 1; i < r.job.pages.size(); ++i) EXPECT_EQ(blackCount(r.page(i)), 0);
    EXPECT_EQ(report.commands().count("ESC *") + report.commands().count("GS v 0"), 2u) << "one image in each mode";

    // Each line of styles and fonts, and each code page decoded from its own table.
    std::string printed;
    for (const std::string& line : printedLines(stream, 0, model)) printed += line;
    printed = withoutBlanks(printed);
    for (const std::string line : expect["lines"])
        EXPECT_NE(printed.find(withoutBlanks(line)), std::string::npos) << line;
    for (const std::string page : expect["codePages"]) {
        const std::string want = withoutBlanks(manifest()["codePages"][page]);
        EXPECT_NE(printed.find(want), std::string::npos) << page << ": wanted " << want;
    }

    // Every symbol on the paper, in order, reading as the encoder's data.
    std::vector<escpos::SymbolMark> marks;
    for (const render::PageImage& page : r.job.pages)
        marks.insert(marks.end(), page.symbols.begin(), page.symbols.end());
    ASSERT_EQ(marks.size(), expect["symbols"].size()) << report.toJson();
    if (!haveZbar() || !haveZxing()) GTEST_SKIP() << "zbarimg or zxing-cpp not installed";
    for (size_t i = 0; i < marks.size(); ++i) {
        const std::string symbology = expect["symbols"][i]["symbology"], reads = expect["symbols"][i]["reads"];
        SCOPED_TRACE(symbology + " printed as " + marks[i].type);
        // No reader here knows GS1 DataBar Limited: that it was printed is all that is checked.
        if (symbology == "gs1-databar-limited") continue;
        if (symbology == "pdf417") {
            EXPECT_EQ(decodeWithZxing(r.page(), marks[i]), std::vector<std::string>{"PDF417:" + reads});
        } else {
            EXPECT_EQ(decodeRegion(r.page(), marks[i]), std::vector<std::string>{reads});
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Models, EncoderCorpus, ::testing::ValuesIn(receipts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace zsim::test
