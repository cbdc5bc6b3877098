#include "printer/virtual_printer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "render/png_writer.h"

namespace zsim {

namespace fs = std::filesystem;

namespace {
escpos::InterpreterConfig interpreterConfig(const PrinterConfig& c) {
    escpos::InterpreterConfig ic;
    ic.model = c.model;
    ic.paperWidth = c.printWidth();
    ic.pageModeHeight = c.pageModeHeight;
    ic.chineseModeAtReset = c.chineseModeAtReset;
    ic.drawerSwitch = c.drawerSwitch;
    ic.realtimeOnReceipt = c.realtimeOnReceipt;
    return ic;
}

escpos::InterpreterHooks interpreterHooks(const PrinterHooks& h) {
    return {h.reply, h.drawerPulse, h.replyWhenPrinted};
}
}  // namespace

PrinterConfig configFor(const models::PrinterModel& model) {
    PrinterConfig c;
    c.model = &model;
    c.receiveBufferBytes = model.receiveBufferBytes;
    c.printSpeedMmPerSecond = model.printSpeedMmPerSecond;
    c.xonXoff = model.xonXoff;
    return c;
}

VirtualPrinter::VirtualPrinter(const PrinterConfig& config, const escpos::DeviceState& device, PrinterHooks hooks)
    : config_(config), device_(device), hooks_(std::move(hooks)) {
    build();
    nextJob_ = std::max(1, config_.firstJob);
    if (!config_.outputDir.empty()) {
        std::error_code ec;
        fs::create_directories(config_.outputDir, ec);
        // Continue the numbering of an earlier run instead of overwriting
        // its receipts.
        while (fs::exists(jobPath(".bin"), ec)) ++nextJob_;
    }
}

VirtualPrinter::~VirtualPrinter() = default;

void VirtualPrinter::build() {
    if (!config_.model) config_.model = &models::defaultModel();
    // The interpreter prints on the paper: it goes first.
    interpreter_.reset();
    paper_ = std::make_unique<render::Paper>(
        render::PaperConfig{config_.printWidth(), config_.maxPageLength, config_.model->dpi}, glyphs_,
        [this](const render::PageImage& page) { pageDone(page); });
    motion_.attach(*paper_);
    interpreter_ =
        std::make_unique<escpos::Interpreter>(interpreterConfig(config_), motion_, device_, interpreterHooks(hooks_));
}

void VirtualPrinter::reconfigure(const PrinterConfig& config) {
    endJob();
    // Where this printer files its jobs stays; the rest is the new printer's.
    const std::string outputDir = config_.outputDir, prefix = config_.jobPrefix;
    config_ = config;
    config_.outputDir = outputDir;
    config_.jobPrefix = prefix;
    build();
}

std::string VirtualPrinter::jobPath(const std::string& suffix) const {
    char name[32];
    std::snprintf(name, sizeof name, "-%04d", jobOpen_ ? job_ : nextJob_);
    return (fs::path(config_.outputDir) / (config_.jobPrefix + name + suffix)).string();
}

void VirtualPrinter::startJob() {
    job_ = nextJob_++;
    jobOpen_ = true;
    current_ = JobResult();
    current_.job = job_;
    pageInfos_.clear();
    if (!config_.outputDir.empty()) {
        current_.rawFile = jobPath(".bin");
        raw_.open(current_.rawFile, std::ios::binary | std::ios::trunc);
    }
}

void VirtualPrinter::feed(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    if (!jobOpen_) startJob();
    if (raw_.is_open()) raw_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    paper_->setPaperOut(device_.status().paperOut);
    interpreter_->feed(data, size);
}

void VirtualPrinter::keepUnprinted(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    if (!jobOpen_) startJob();
    if (raw_.is_open()) raw_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    interpreter_->report().bytes += size;
    note(std::to_string(size) + " bytes received were not printed: the printer was stopped at the end");
}

void VirtualPrinter::pageDone(const render::PageImage& page) {
    escpos::PageInfo info;
    info.widthDots = page.width;
    info.heightDots = page.height;
    info.truncated = page.truncated;
    info.droppedDots = page.droppedDots;
    info.symbols = page.symbols;
    if (!config_.outputDir.empty()) {
        const std::string file = jobPath("-" + std::to_string(pageInfos_.size() + 1) + ".png");
        std::string error;
        if (render::writePng(page, file, error)) {
            info.file = file;
            current_.pageFiles.push_back(file);
        } else {
            interpreter_->report().note(0, "page not written: " + error);
        }
    }
    if (info.truncated)
        interpreter_->report().note(0, "page " + std::to_string(pageInfos_.size() + 1) + " cut off at " +
                                           std::to_string(config_.maxPageLength) + " dots, " +
                                           std::to_string(info.droppedDots) + " dots of paper dropped");
    pageInfos_.push_back(info);
    if (config_.keepPages) current_.pages.push_back(page);
}

JobResult VirtualPrinter::endJob() {
    if (!jobOpen_) return JobResult();
    interpreter_->finishJob();
    paper_->finish();
    if (paper_->takeDroppedWhilePaperOut() > 0) interpreter_->report().note(0, "paper out: output not printed");
    raw_.close();

    JobResult result = std::move(current_);
    result.report = interpreter_->takeReport();
    result.report.job = job_;
    result.report.rawFile = result.rawFile;
    for (auto& info : pageInfos_) result.report.pages.push_back(info);
    if (!config_.outputDir.empty()) {
        result.reportFile = jobPath(".json");
        std::ofstream out(result.reportFile, std::ios::trunc);
        out << result.report.toJson();
    }
    jobOpen_ = false;
    current_ = JobResult();
    pageInfos_.clear();
    if (hooks_.jobFinished) {
        try {
            hooks_.jobFinished(result);
        } catch (...) {
            // The job is done and written; a failing listener changes nothing.
        }
    }
    return result;
}

}  // namespace zsim
