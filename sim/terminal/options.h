// zantor-sim's command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "escpos/device_state.h"
#include "terminal/printer_service.h"

namespace zsim::term {

struct Options {
    std::string stateDir;
    std::string receiptsDir;  // empty: <stateDir>/receipts
    std::string printerModel = "zsim-80";
    int paperWidth = 0;  // print area in dots; 0: the model's
    // Given on the command line; unset, the model's own values hold.
    std::optional<size_t> receiveBufferBytes;
    std::optional<int> printSpeedMmPerSecond;
    std::optional<bool> xonXoff;
    // Pseudo-terminals of the printer: "printer", then "printer-2" ... so a
    // host can reach the one printer on several ports (say COM1 and LPT1).
    int printerLines = 1;
    PrinterLineConfig printer;
    escpos::DrawerSwitch drawerSwitch = escpos::DrawerSwitch::OpenIsHigh;
    int64_t drawerCloseMs = 3000;
    int64_t scaleCapacityGrams = 15000;
    int scaleRate = 10;
    // The control panel in the browser.
    bool panel = true;
    int panelPort = 8089;  // taken: a free one instead; 0: a free one
    bool panelPortGiven = false;
    std::string panelHost = "127.0.0.1";
    bool help = false;
};

std::string defaultStateDir();
// Why the printer cannot play the model with this id; empty when it can.
std::string printerModelProblem(const std::string& id);
std::string usage();
// nullopt with error set when the command line cannot be used.
std::optional<Options> parseOptions(int argc, char** argv, std::string& error);

}  // namespace zsim::term
