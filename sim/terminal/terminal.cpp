#include "terminal/terminal.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "terminal/control_commands.h"
#include "wire/terminal_events.h"

namespace zsim::term {

namespace fs = std::filesystem;

Terminal::Terminal(EventLoop& loop, const Options& options)
    : loop_(loop),
      options_(options),
      wire_(options.drawerSwitch),
      scale_(options.scaleCapacityGrams),
      drawer_(loop, options.drawerCloseMs, [this](bool open) { drawerChanged(open); }),
      receipts_(options.receiptsDir) {
    model_ = models::findModel(options.printerModel);
    if (!model_ || !model_->escPos()) model_ = &models::defaultModel();
}

Terminal::~Terminal() {
    for (const Waiter& w : waiters_) loop_.cancel(w.timer);
    // The lines refer to the printer and the protocols: they go first.
    control_.reset();
    printerService_.reset();
    boardLine_.reset();
    scaleLine_.reset();
}

bool Terminal::start(std::string& error) {
    std::error_code ec;
    fs::create_directories(options_.receiptsDir, ec);
    if (ec) {
        error = "cannot create " + options_.receiptsDir + ": " + ec.message();
        return false;
    }
    receipts_.loadExisting();

    PrinterConfig config = printerConfig();
    config.firstJob = receipts_.lastJob() + 1;
    PrinterHooks hooks;
    hooks.reply = [this](const uint8_t* p, size_t n) {
        if (printerService_) printerService_->reply(p, n);
    };
    hooks.drawerPulse = [this](const escpos::DrawerPulse& d) {
        drawer_.open(DrawerPulse{"printer", d.command, d.pin, d.onMs, d.offMs, 0});
    };
    hooks.jobFinished = [this](const JobResult& job) { jobFinished(job); };
    hooks.replyWhenPrinted = [this](const uint8_t* p, size_t n) {
        if (printerService_) printerService_->replyWhenPrinted(p, n);
    };
    printer_ = std::make_unique<VirtualPrinter>(config, device_, hooks);

    const std::string dir = options_.stateDir;
    std::vector<std::unique_ptr<PtyPort>> printerPorts;
    for (int n = 1; n <= options_.printerLines; ++n) {
        auto port = PtyPort::open(dir + "/printer" + (n == 1 ? "" : "-" + std::to_string(n)), error);
        if (!port) return false;
        printerPorts.push_back(std::move(port));
    }
    printerService_ = std::make_unique<PrinterService>(loop_, *printer_, device_, options_.printer, [this] {
        // DLE ENQ: the host has dealt with the cutter.
        escpos::DeviceStatus s = device_.status();
        s.cutterError = false;
        setPrinterStatus(s);
    });
    if (!printerService_->start(std::move(printerPorts), error)) return false;
    printerService_->setWire(&wire_);
    drawer_.onPulse([this](const DrawerPulse& p) { wire_.event("drawer", wire::drawerWords(p)); });

    auto boardPort = PtyPort::open(dir + "/board", error);
    if (!boardPort) return false;
    boardLine_ = std::make_unique<DeviceLine>(loop_, std::move(boardPort));
    boardLine_->setWire(&wire_, wire::Protocol::Board, "board");
    BoardDrawer boardDrawer{[this] { drawer_.open("board"); }, [this] { return drawer_.isOpen(); }};
    auto board = std::make_unique<BoardProtocol>(scale_, boardDrawer,
                                                 [line = boardLine_.get()](const std::string& b) { line->send(b); });
    board_ = board.get();
    boardLine_->start(std::move(board));

    auto scalePort = PtyPort::open(dir + "/scale", error);
    if (!scalePort) return false;
    scaleLine_ = std::make_unique<DeviceLine>(loop_, std::move(scalePort));
    scaleLine_->setWire(&wire_, wire::Protocol::SdkScale, "scale");
    auto sdk = std::make_unique<SdkScaleProtocol>(
        scale_, [line = scaleLine_.get()](const std::string& b) { line->send(b); }, options_.scaleRate);
    sdkScale_ = sdk.get();
    scaleLine_->start(std::move(sdk));

    commands_ = std::make_unique<ControlCommands>(*this);
    control_ = std::make_unique<ControlServer>(
        loop_, [this](ControlServer::ClientId c, const std::string& line) { commands_->run(*control_, c, line); },
        [this](ControlServer::ClientId c) { clientGone(c); });
    return control_->start(dir + "/control.sock", error);
}

void Terminal::finish() {
    if (printerService_) printerService_->finish();
}

PrinterConfig Terminal::printerConfig() const {
    PrinterConfig config = configFor(*model_);
    config.paperWidth = options_.paperWidth;
    config.drawerSwitch = options_.drawerSwitch;
    config.outputDir = options_.receiptsDir;
    // What the command line says wins over the model, whichever model is chosen.
    if (options_.receiveBufferBytes) config.receiveBufferBytes = *options_.receiveBufferBytes;
    if (options_.printSpeedMmPerSecond) config.printSpeedMmPerSecond = *options_.printSpeedMmPerSecond;
    if (options_.xonXoff) config.xonXoff = *options_.xonXoff;
    // The printer service scans for real-time commands as bytes arrive.
    config.realtimeOnReceipt = true;
    return config;
}

std::string Terminal::setPrinterModel(const std::string& id) {
    const std::string problem = printerModelProblem(id);
    if (!problem.empty()) return problem;
    model_ = models::findModel(id);
    // The job in hand is the old printer's: it ends as a receipt of its own.
    printerService_->finish();
    printer_->reconfigure(printerConfig());
    printerService_->printerChanged();
    std::fprintf(stderr, "zantor-sim: printer model %s (%s)\n", model_->id, model_->displayName().c_str());
    return {};
}

void Terminal::setPrinterStatus(const escpos::DeviceStatus& status) {
    device_.set(status);
    printer_->statusChanged();
    if (printerService_) printerService_->statusChanged();
}

void Terminal::drawerChanged(bool open) {
    escpos::DeviceStatus s = device_.status();
    s.drawerOpen = open;
    setPrinterStatus(s);
    std::fprintf(stderr, "zantor-sim: drawer %s\n", open ? ("opened by " + drawer_.openedBy()).c_str() : "closed");
}

void Terminal::jobFinished(const JobResult& job) {
    // The job's wire text beside its receipt: job-NNNN.wire.txt.
    const bool receipt = ReceiptFolder::isReceipt(job);
    const fs::path wireFile =
        receipt && !job.rawFile.empty() ? fs::path(job.rawFile).replace_extension(".wire.txt") : "";
    std::string error;
    const std::string title = fs::path(job.rawFile).stem().string() + " on " + printerService_->endingJobLine();
    if (!wire_.endJob(wireFile.string(), title, error)) std::fprintf(stderr, "zantor-sim: %s\n", error.c_str());
    if (!receipt) {
        // A status query or a lone drawer pulse: nothing a person would call
        // a receipt, and kept out of the folder so waiting for a receipt is
        // not fooled by it.
        ++quietJobs_;
        std::error_code ec;
        fs::remove(job.rawFile, ec);
        fs::remove(job.reportFile, ec);
        return;
    }
    receiptAdded(receipts_.add(job, wallClockMs(), printerService_->endingJobLine(),
                               error.empty() ? wireFile.filename().string() : std::string()));
}

void Terminal::receiptAdded(const Receipt& receipt) {
    std::string error;
    if (!receipts_.writeIndex(error)) std::fprintf(stderr, "zantor-sim: %s\n", error.c_str());
    std::fprintf(stderr, "zantor-sim: receipt %d from %s: %zu page(s), %llu bytes, %llu unknown\n", receipt.job,
                 receipt.line.c_str(), receipt.pages.size(), static_cast<unsigned long long>(receipt.bytes),
                 static_cast<unsigned long long>(receipt.unknown));
    if (!control_) return;
    const nlohmann::json answer = {{"ok", true}, {"receipt", receiptJson(receipt, receipts_.dir())}};
    for (auto it = waiters_.begin(); it != waiters_.end();) {
        if (receipt.job > it->afterJob) {
            loop_.cancel(it->timer);
            control_->answer(it->client, jsonLine(answer));
            it = waiters_.erase(it);
        } else {
            ++it;
        }
    }
}

void Terminal::waitForReceipt(ControlServer::ClientId client, int afterJob, int64_t timeoutMs) {
    for (const Receipt& r : receipts_.receipts()) {
        if (r.job > afterJob) {
            control_->answer(client, jsonLine({{"ok", true}, {"receipt", receiptJson(r, receipts_.dir())}}));
            return;
        }
    }
    const EventLoop::TimerId timer = loop_.after(timeoutMs, [this, client] {
        for (auto it = waiters_.begin(); it != waiters_.end(); ++it) {
            if (it->client != client) continue;
            waiters_.erase(it);
            control_->answer(client, R"({"ok":false,"error":"no receipt within the time"})");
            return;
        }
    });
    waiters_.push_back(Waiter{client, afterJob, timer});
}

void Terminal::clientGone(ControlServer::ClientId client) {
    for (auto it = waiters_.begin(); it != waiters_.end();) {
        if (it->client == client) {
            loop_.cancel(it->timer);
            it = waiters_.erase(it);
        } else {
            ++it;
        }
    }
}

std::string Terminal::command(const std::string& line) { return commands_->runNow(line); }

std::string jsonLine(const nlohmann::json& value) {
    // Paths and request words may hold bytes that are not UTF-8.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json Terminal::receiptJson(const Receipt& r, const std::string& dir) {
    nlohmann::json pages = nlohmann::json::array();
    for (const std::string& page : r.pages) pages.push_back(dir + "/" + page);
    return {{"job", r.job},
            {"finished_ms", r.finishedMs},
            {"pages", pages},
            {"raw", dir + "/" + r.raw},
            {"report", dir + "/" + r.report},
            {"bytes", r.bytes},
            {"unknown", r.unknown},
            {"line", r.line},
            {"wire", r.wire.empty() ? std::string() : dir + "/" + r.wire}};
}

namespace {

nlohmann::json pulsesJson(const std::deque<DrawerPulse>& pulses) {
    nlohmann::json list = nlohmann::json::array();
    for (const DrawerPulse& p : pulses)
        list.push_back({{"by", p.by},
                        {"command", p.command},
                        {"pin", p.pin},
                        {"on_ms", p.onMs},
                        {"off_ms", p.offMs},
                        {"at_ms", p.atMs}});
    return list;
}

}  // namespace

nlohmann::json Terminal::state() const {
    const int64_t now = nowMs();
    const ScaleReading r = scale_.read(now);
    const escpos::DeviceStatus s = device_.status();
    nlohmann::json j;
    j["ok"] = true;
    j["pid"] = static_cast<long>(::getpid());
    j["links"] = {{"board", boardLine_->port().linkPath()}, {"scale", scaleLine_->port().linkPath()}};
    j["ptys"] = {{"board", boardLine_->port().slavePath()}, {"scale", scaleLine_->port().slavePath()}};
    for (const auto& pty : printerService_->ptys()) {
        const std::string name = fs::path(pty->linkPath()).filename().string();
        j["links"][name] = pty->linkPath();
        j["ptys"][name] = pty->slavePath();
    }
    const FlowState flow = printerService_->flow();
    const PrinterConfig& config = printer_->config();
    j["printer"] = {{"tcp_host", options_.printer.tcp ? options_.printer.tcpHost : ""},
                    {"tcp_port", printerService_->tcpPort()},
                    {"tcp_clients", printerService_->tcpClients()},
                    {"model", model_->id},
                    {"model_name", model_->displayName()},
                    {"paper_width", config.printWidth()},
                    {"dpi", model_->dpi},
                    {"receive_buffer_bytes", config.receiveBufferBytes},
                    {"print_speed_mm_s", config.printSpeedMmPerSecond},
                    {"xon_xoff", config.xonXoff},
                    {"paper_out", s.paperOut},
                    {"paper_near_end", s.paperNearEnd},
                    {"cover_open", s.coverOpen},
                    {"cutter_error", s.cutterError},
                    {"unrecoverable_error", s.unrecoverableError},
                    {"auto_recoverable_error", s.autoRecoverableError},
                    {"offline", flow.offline},
                    {"buffer",
                     {{"capacity", flow.capacity},
                      {"fill", flow.fill},
                      {"held", flow.held},
                      {"lost", flow.lost},
                      {"xoff", flow.xoff},
                      {"printing", flow.printing}}},
                    {"job_open", printerService_->jobOpen()},
                    {"job_line", printerService_->jobLine()},
                    {"receipts_dir", receipts_.dir()},
                    {"last_receipt", receipts_.lastJob()},
                    {"receipts", receipts_.receipts().size()},
                    {"quiet_jobs", quietJobs_}};
    j["panel"] = {{"url", panelUrl_}};
    j["drawer"] = {{"open", drawer_.isOpen()},
                   {"auto_close_ms", drawer_.autoCloseMs()},
                   {"openings", drawer_.openings()},
                   {"opened_by", drawer_.openedBy()},
                   {"pulses", pulsesJson(drawer_.pulses())},
                   {"switch", options_.drawerSwitch == escpos::DrawerSwitch::OpenIsHigh ? "open-high" : "open-low"}};
    j["scale"] = {{"load_g", scale_.load(now)},
                  {"zero_point_g", scale_.zeroPoint()},
                  {"gross_g", r.gross},
                  {"tare_g", r.tare},
                  {"net_g", r.net},
                  {"stable", r.stable},
                  {"at_zero", r.atZero},
                  {"overload", r.overload},
                  {"underload", r.underload},
                  {"not_zeroed", r.notZeroed},
                  {"capacity_g", scale_.capacity()},
                  {"unit", unitName(scale_.unit())},
                  {"power_on_zero", scale_.powerOnZero()},
                  {"profile", scale_.profileRunning(now) ? scale_.profileName() : ""},
                  {"sdk_auto", sdkScale_->autoMode()},
                  {"sdk_rate", sdkScale_->rate()},
                  {"sdk_reading", SdkScaleProtocol::readingText(r, scale_.unit())},
                  {"board_reading", BoardProtocol::weightPayload(r)},
                  {"board_requests", board_->requests()},
                  {"sdk_requests", sdkScale_->requests()},
                  {"sdk_readings", sdkScale_->readingsSent()},
                  {"sdk_host_read_bytes", scaleLine_->port().readByHost()}};
    return j;
}

}  // namespace zsim::term
