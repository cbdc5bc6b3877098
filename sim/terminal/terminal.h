// The virtual terminal: printer, drawer, scale A/D board and SDK scale on
// their lines, the receipts folder, and the control socket, all driven by
// one event loop.
#pragma once

#include <list>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "escpos/device_state.h"
#include "printer/virtual_printer.h"
#include "terminal/board/board_protocol.h"
#include "terminal/control_server.h"
#include "terminal/device_line.h"
#include "terminal/drawer.h"
#include "terminal/event_loop.h"
#include "terminal/options.h"
#include "terminal/printer_service.h"
#include "terminal/receipt_folder.h"
#include "terminal/scale/scale_model.h"
#include "terminal/scale/sdk_scale_protocol.h"
#include "wire/wire_record.h"

namespace zsim::term {

class ControlCommands;

// One line of JSON, as the control socket sends it.
std::string jsonLine(const nlohmann::json& value);

class Terminal {
public:
    Terminal(EventLoop& loop, const Options& options);
    ~Terminal();

    // Opens the lines, the TCP port and the control socket.
    bool start(std::string& error);
    // Ends an open print job, so nothing the host sent is lost.
    void finish();

    EventLoop& loop() { return loop_; }
    ScaleModel& scale() { return scale_; }
    Drawer& drawer() { return drawer_; }
    SdkScaleProtocol& sdkScale() { return *sdkScale_; }
    wire::Record& wire() { return wire_; }
    // After changing what the SDK scale's periodic readings depend on.
    void scaleChanged() { scaleLine_->reschedule(); }
    const ReceiptFolder& receipts() const { return receipts_; }
    void setReceiptListener(std::function<void(const Receipt&)> l) { receipts_.setListener(std::move(l)); }

    escpos::DeviceStatus printerStatus() const { return device_.status(); }
    void setPrinterStatus(const escpos::DeviceStatus& status);
    // Plays another printer model from now on, after ending the open job;
    // the reason when it cannot, else empty.
    std::string setPrinterModel(const std::string& id);

    // Answers the client with the first receipt after job afterJob, or with
    // a timeout error after timeoutMs.
    void waitForReceipt(ControlServer::ClientId client, int afterJob, int64_t timeoutMs);
    void clientGone(ControlServer::ClientId client);
    void requestStop() { loop_.stop(); }

    nlohmann::json state() const;
    // One control command from a front end that takes its answer at once.
    std::string command(const std::string& line);
    // Where the control panel serves, for the state's "panel".
    void setPanelUrl(std::string url) { panelUrl_ = std::move(url); }
    // Files a job of the Windows printer queue (terminal_driver.cpp).
    nlohmann::json driverJob(const std::string& dir);
    static nlohmann::json receiptJson(const Receipt& receipt, const std::string& dir);

private:
    struct Waiter {
        ControlServer::ClientId client;
        int afterJob;
        EventLoop::TimerId timer;
    };
    // The model's printer, with what the command line set explicitly.
    PrinterConfig printerConfig() const;
    void jobFinished(const JobResult& job);
    void receiptAdded(const Receipt& receipt);
    void drawerChanged(bool open);

    EventLoop& loop_;
    Options options_;
    escpos::SettableDeviceState device_;
    wire::Record wire_;
    const models::PrinterModel* model_;
    ScaleModel scale_;
    Drawer drawer_;
    ReceiptFolder receipts_;
    std::unique_ptr<VirtualPrinter> printer_;
    std::unique_ptr<PrinterService> printerService_;
    std::unique_ptr<DeviceLine> boardLine_;
    std::unique_ptr<DeviceLine> scaleLine_;
    BoardProtocol* board_ = nullptr;
    SdkScaleProtocol* sdkScale_ = nullptr;
    std::unique_ptr<ControlCommands> commands_;
    std::unique_ptr<ControlServer> control_;
    std::list<Waiter> waiters_;
    uint64_t quietJobs_ = 0;
    std::string panelUrl_;
};

}  // namespace zsim::term
