#include "terminal/options.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "models/printer_models.h"
#include "terminal/scale/scale_profile.h"
#include "terminal/tcp_listener.h"

namespace zsim::term {

namespace {

std::optional<long long> integer(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end || value < low || value > high) return std::nullopt;
    return value;
}

using Setter = std::function<bool(const std::string&)>;

template <typename T> struct ValueOf { using type = T; };
template <typename T> struct ValueOf<std::optional<T>> { using type = T; };

// A whole number from low to high into field (a number, or an optional one).
template <typename Field> Setter number(Field& field, long long low, long long high) {
    return [&field, low, high](const std::string& v) {
        const auto n = integer(v, low, high);
        if (n) field = static_cast<typename ValueOf<Field>::type>(*n);
        return n.has_value();
    };
}

}  // namespace

std::string defaultStateDir() { return "/tmp/zantor-sim-" + std::to_string(::getuid()); }

std::string printerModelProblem(const std::string& id) {
    const models::PrinterModel* model = models::findModel(id);
    if (model && model->escPos()) return {};
    if (model)
        return model->displayName() + " speaks " +
               (model->language == models::Language::StarLine ? "Star Line" : "StarPRNT") +
               ", not ESC/POS: it is not played";
    std::string known;
    for (const models::PrinterModel& m : models::allModels())
        if (m.escPos()) known += std::string(known.empty() ? "" : ", ") + m.id;
    return "no printer model \"" + id + "\"; the models: " + known;
}

std::string usage() {
    return "Usage: zantor-sim [OPTIONS]\n"
           "Plays a POS terminal's receipt printer, cash drawer, scale A/D board and SDK scale on\n"
           "pseudo-terminals (and the printer also on TCP) until SIGTERM or SIGINT.\n"
           "\n"
           "  --state-dir DIR        port links, control socket and pid file (default " +
           defaultStateDir() +
           ")\n"
           "  --receipts DIR         receipts folder (default STATE-DIR/receipts)\n"
           "  --printer-model NAME   the printer played (default zsim-80, the terminal's own 80 mm\n"
           "                         printer); zantor-simctl models lists them\n"
           "  --paper-width DOTS     print width in dots, in place of the model's (384 alone: zsim-58)\n"
           "  --receive-buffer BYTES the printer's receive buffer (256 to 1048576; default: the model's)\n"
           "  --print-speed MM_PER_S paper the printer prints a second (0 to 1000, 0: at once; default:\n"
           "                         the model's)\n"
           "  --xon-xoff on|off      XOFF and XON on the printer's serial lines as its buffer fills and\n"
           "                         drains, and XOFF while it is offline (default: the model's)\n"
           "  --printer-lines N      the printer on N pseudo-terminals, links printer, printer-2 ...\n"
           "                         printer-N (1 to 4, default 1)\n"
           "  --tcp-port N           printer's TCP port (default 9100; 0 picks a free one)\n"
           "  --tcp-host ADDR        printer's TCP address, a loopback address (default 127.0.0.1)\n"
           "  --allow-remote         also accept a --tcp-host or --panel-host that is not a loopback\n"
           "                         address\n"
           "  --no-tcp               no TCP port\n"
           "  --serial-idle-ms MS    a serial job ends after this quiet gap (default 300)\n"
           "  --tcp-idle-ms MS       a TCP job ends after this quiet gap; 0: only at a cut or when\n"
           "                         the connection closes (default 1000)\n"
           "  --drawer-close-ms MS   the drawer closes by itself this long after opening; 0: only\n"
           "                         on command (default 3000)\n"
           "  --drawer-switch open-high|open-low\n"
           "                         drawer switch on the printer's pin 3 (default open-high: pin 3\n"
           "                         reads high while the drawer is open)\n"
           "  --scale-capacity KG    beyond this the scale reports overload (default 15)\n"
           "  --scale-rate N         SDK scale readings per second in automatic mode (default 10)\n"
           "  --panel-port N         the control panel's HTTP port (default 8089, or a free one when\n"
           "                         that is taken; 0 picks a free one)\n"
           "  --panel-host ADDR      the panel's address, a loopback address (default 127.0.0.1)\n"
           "  --no-panel             no control panel\n"
           "  --help                 this text\n"
           "\n"
           "Control it with zantor-simctl; the state dir holds the links printer, board and scale\n"
           "to map to Wine's COM ports.\n";
}

std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
    Options o;
    o.stateDir = defaultStateDir();
    bool allowRemote = false;
    bool modelGiven = false;
    const std::map<std::string, Setter> withValue = {
        {"--state-dir",
         [&](const std::string& v) {
             o.stateDir = v;
             return !v.empty();
         }},
        {"--receipts",
         [&](const std::string& v) {
             o.receiptsDir = v;
             return !v.empty();
         }},
        {"--printer-model",
         [&](const std::string& v) {
             o.printerModel = v;
             modelGiven = true;
             return printerModelProblem(v).empty();
         }},
        {"--paper-width",
         [&](const std::string& v) {
             const auto n = integer(v, 128, 832);
             if (!n || *n % 8 != 0) return false;
             o.paperWidth = static_cast<int>(*n);
             return true;
         }},
        {"--receive-buffer", number(o.receiveBufferBytes, 256, 1 << 20)},
        {"--print-speed", number(o.printSpeedMmPerSecond, 0, 1000)},
        {"--xon-xoff",
         [&](const std::string& v) {
             if (v != "on" && v != "off") return false;
             o.xonXoff = v == "on";
             return true;
         }},
        {"--printer-lines", number(o.printerLines, 1, 4)},
        {"--tcp-port", number(o.printer.tcpPort, 0, 65535)},
        {"--tcp-host",
         [&](const std::string& v) {
             o.printer.tcpHost = v;
             return !v.empty();
         }},
        {"--serial-idle-ms", number(o.printer.serialIdleMs, 1, 600000)},
        {"--tcp-idle-ms", number(o.printer.tcpIdleMs, 0, 600000)},
        {"--drawer-close-ms", number(o.drawerCloseMs, 0, 86400000)},
        {"--drawer-switch",
         [&](const std::string& v) {
             if (v != "open-high" && v != "open-low") return false;
             o.drawerSwitch = v == "open-high" ? escpos::DrawerSwitch::OpenIsHigh : escpos::DrawerSwitch::OpenIsLow;
             return true;
         }},
        {"--scale-capacity",
         [&](const std::string& v) {
             const auto g = parseKilograms(v);
             if (!g || *g <= 0) return false;
             o.scaleCapacityGrams = *g;
             return true;
         }},
        {"--panel-port",
         [&](const std::string& v) {
             const auto n = integer(v, 0, 65535);
             if (n) o.panelPort = static_cast<int>(*n);
             o.panelPortGiven = true;
             return n.has_value();
         }},
        {"--panel-host",
         [&](const std::string& v) {
             o.panelHost = v;
             return !v.empty();
         }},
        {"--scale-rate", number(o.scaleRate, 1, 100)},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--no-tcp") {
            o.printer.tcp = false;
        } else if (arg == "--no-panel") {
            o.panel = false;
        } else if (arg == "--allow-remote") {
            allowRemote = true;
        } else if (auto it = withValue.find(arg); it != withValue.end()) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            if (!it->second(argv[++i])) {
                error =
                    arg == "--printer-model" ? printerModelProblem(argv[i]) : "bad value for " + arg + ": " + argv[i];
                return std::nullopt;
            }
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (o.printer.tcp && !allowRemote && !isLoopbackAddress(o.printer.tcpHost)) {
        error = "--tcp-host " + o.printer.tcpHost + " is not a loopback address (add --allow-remote to mean it)";
        return std::nullopt;
    }
    if (o.panel && !allowRemote && !isLoopbackAddress(o.panelHost)) {
        error = "--panel-host " + o.panelHost + " is not a loopback address (add --allow-remote to mean it)";
        return std::nullopt;
    }
    // 58 mm paper alone meant the terminal's 58 mm printer before there were models, and still does.
    if (!modelGiven && o.paperWidth == 384) {
        o.printerModel = "zsim-58";
        o.paperWidth = 0;
    }
    if (o.receiptsDir.empty()) o.receiptsDir = o.stateDir + "/receipts";
    // The links end up in Wine's registry and the receipt paths in answers
    // read by other programs: neither may depend on our working directory.
    std::error_code ec;
    o.stateDir = std::filesystem::absolute(o.stateDir, ec).lexically_normal().string();
    o.receiptsDir = std::filesystem::absolute(o.receiptsDir, ec).lexically_normal().string();
    return o;
}

}  // namespace zsim::term
