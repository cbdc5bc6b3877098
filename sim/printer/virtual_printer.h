// The virtual receipt printer as the connection layer sees it: bytes in,
// status answers and drawer pulses out, and per job a folder entry with the
// raw bytes, one PNG per cut and a JSON report.
//
//   VirtualPrinter p(config, deviceState, hooks);
//   p.feed(bytes, n);          // as they arrive, in any pieces
//   JobResult r = p.endJob();  // the host's job is over (connection closed,
//                              // idle timeout, ...)
//
// Not thread-safe: serialize feed(), endJob() and statusChanged(). The hooks
// run inside those calls; DeviceState is read from the same thread.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "escpos/device_state.h"
#include "escpos/interpreter.h"
#include "escpos/job_report.h"
#include "printer/motion_meter.h"
#include "render/glyph_cache.h"
#include "render/page_image.h"
#include "render/paper.h"

namespace zsim {

struct PrinterConfig {
    // The printer played (models/printer_models.h). Never null.
    const models::PrinterModel* model = &models::defaultModel();
    int paperWidth = 0;              // print area in dots (384 for 58 mm, 576 for 80 mm); 0: the model's
    int maxPageLength = 24000;       // dots (3 m); longer pages are cut off and reported
    int pageModeHeight = 1662;       // dots; the longest page page mode lays out
    bool chineseModeAtReset = true;  // for a model that starts in Chinese mode
    escpos::DrawerSwitch drawerSwitch = escpos::DrawerSwitch::OpenIsLow;
    std::string outputDir;  // empty: nothing is written to disk
    std::string jobPrefix = "job";
    int firstJob = 1;        // numbers below it are taken (by receipts of other kinds too)
    bool keepPages = false;  // also return page images in JobResult
    // What the receiving side in front of the printer (PrinterFlow) works
    // with, from the model unless an option says otherwise; the printer
    // itself prints whatever it is fed, at once.
    size_t receiveBufferBytes = 4096;
    int printSpeedMmPerSecond = 0;  // 0: printing takes no time
    bool xonXoff = false;           // XOFF/XON on a serial line as the buffer fills and drains
    // Set when a PrinterFlow meets the real-time commands as they arrive.
    bool realtimeOnReceipt = false;

    int printWidth() const { return paperWidth > 0 ? paperWidth : model->printDots; }
};

// The model's own settings: its width, buffer, speed and handshake.
PrinterConfig configFor(const models::PrinterModel& model);

struct JobResult {
    int job = 0;  // 0: there was no job to end
    escpos::JobReport report;
    std::vector<std::string> pageFiles;
    std::string rawFile;
    std::string reportFile;
    std::vector<render::PageImage> pages;  // only with keepPages
};

struct PrinterHooks {
    std::function<void(const uint8_t*, size_t)> reply;
    std::function<void(const escpos::DrawerPulse&)> drawerPulse;
    std::function<void(const JobResult&)> jobFinished;
    // See InterpreterHooks::replyWhenPrinted.
    std::function<void(const uint8_t*, size_t)> replyWhenPrinted;
};

class VirtualPrinter {
public:
    VirtualPrinter(const PrinterConfig& config, const escpos::DeviceState& device, PrinterHooks hooks);
    ~VirtualPrinter();

    void feed(const uint8_t* data, size_t size);
    void feed(const std::string& bytes) { feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }
    void feed(const std::vector<uint8_t>& bytes) { feed(bytes.data(), bytes.size()); }
    JobResult endJob();
    void statusChanged() { interpreter_->statusChanged(); }
    // Another printer from now on (another model, width ...): ends the open
    // job first; stored images and settings go with the old one.
    void reconfigure(const PrinterConfig& config);
    // Real-time commands as the receiving side meets them (see
    // escpos::InterpreterConfig::realtimeOnReceipt).
    void realtime(const escpos::Bytes& command) { interpreter_->realtime(command); }
    void clearBuffers() { interpreter_->clearBuffers(); }
    // A note in the report of the open job (or of the next one).
    void note(const std::string& text) { interpreter_->report().note(0, text); }
    // Bytes the job received but never printed (the printer was stopped
    // when the terminal ended): kept in the raw file and noted.
    void keepUnprinted(const uint8_t* data, size_t size);
    const PrinterConfig& config() const { return config_; }
    // Paper moved (dots) and cuts made since the printer was made; a change
    // of model keeps counting.
    uint64_t motionDots() const { return motion_.dots(); }
    uint64_t cuts() const { return motion_.cuts(); }

    bool jobOpen() const { return jobOpen_; }
    // Pages finished (cut) so far in the open job.
    size_t pagesInJob() const { return pageInfos_.size(); }
    bool betweenCommands() const { return interpreter_->betweenCommands(); }
    int nextJob() const { return nextJob_; }
    // A job number for a receipt that reaches the folder by another way
    // (the Windows printer queue), so the folder has one series of numbers.
    int takeJobNumber() { return nextJob_++; }

private:
    void build();
    void startJob();
    void pageDone(const render::PageImage& page);
    std::string jobPath(const std::string& suffix) const;

    PrinterConfig config_;
    const escpos::DeviceState& device_;
    PrinterHooks hooks_;
    render::GlyphCache glyphs_;
    std::unique_ptr<render::Paper> paper_;
    MotionMeter motion_;  // between the interpreter and the paper
    std::unique_ptr<escpos::Interpreter> interpreter_;

    bool jobOpen_ = false;
    int job_ = 0;
    int nextJob_ = 1;
    std::ofstream raw_;
    JobResult current_;
    std::vector<escpos::PageInfo> pageInfos_;
};

}  // namespace zsim
