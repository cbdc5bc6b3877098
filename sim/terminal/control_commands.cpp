#include "terminal/control_commands.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "terminal/terminal.h"
#include "wire/wire_json.h"

namespace zsim::term {

namespace {

using nlohmann::json;

constexpr int64_t kDefaultWaitMs = 10000;
constexpr int64_t kMaxWaitMs = 600000;
constexpr int64_t kDefaultSettleMs = 800;

std::string kilograms(int64_t grams) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(grams) / 1000.0);
    return text;
}

std::string failed(const std::string& why) { return jsonLine({{"ok", false}, {"error", why}}); }

std::optional<bool> onOff(const std::string& word) {
    if (word == "on" || word == "1" || word == "yes") return true;
    if (word == "off" || word == "0" || word == "no") return false;
    return std::nullopt;
}

std::optional<int64_t> count(const std::string& word, int64_t high, int64_t low = 0) {
    if (word.empty() || word.size() > 12) return std::nullopt;
    char* end = nullptr;
    const long long n = std::strtoll(word.c_str(), &end, 10);
    if (*end || n < low || n > high) return std::nullopt;
    return n;
}

std::optional<std::string> oneOf(const std::string& word, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (word == w) return word;
    return std::nullopt;
}

struct Call;

struct ControlCommand {
    const char* name;
    const char* arguments;  // as the usage line gives them
    const char* help;
    std::string (*run)(const Call& c);
};

// The command as its usage line writes it: "weight KG".
std::string form(const ControlCommand& c) { return std::string(c.name) + (*c.arguments ? " " : "") + c.arguments; }

// One request as a command's handler sees it.
struct Call {
    const ControlCommand& command;
    Terminal& terminal;
    const std::vector<std::string>& words;  // the command and its arguments
    ControlServer::ClientId client;
    bool socket;  // from the control socket, which can wait for its answer
    int64_t now;

    size_t args() const { return words.size() - 1; }
    std::string arg(size_t i = 1) const { return i < words.size() ? words[i] : std::string(); }
    std::string usage() const { return failed("usage: " + form(command)); }
    // After a change: the full state.
    std::string done() const {
        terminal.scaleChanged();
        return jsonLine(terminal.state());
    }
};

// A command that sets one thing from its one argument, when that reads.
template <class T, class Apply>
std::string setting(const Call& c, const std::optional<T>& value, Apply apply) {
    if (c.args() != 1 || !value) return c.usage();
    apply(*value);
    return c.done();
}

std::string setWeight(const Call& c, void (ScaleModel::*set)(int64_t grams)) {
    if (c.args() != 1) return c.usage();
    const auto grams = parseKilograms(c.arg());
    if (!grams)
        return failed(c.arg(0) + ": \"" + c.arg() + "\" is not a weight in kg from " + kilograms(-kMaxWeightGrams) +
                      " to " + kilograms(kMaxWeightGrams) + "; nothing changed");
    (c.terminal.scale().*set)(*grams);
    return c.done();
}

std::string profile(const Call& c) {
    ScaleModel& scale = c.terminal.scale();
    if (c.arg() == "stop" && c.args() == 1) {
        scale.stopProfile(c.now);
        return c.done();
    }
    if (c.arg() == "settle" && (c.args() == 2 || c.args() == 3)) {
        const auto target = parseKilograms(c.arg(2));
        const auto ms = c.args() == 3 ? count(c.arg(3), 3600000) : std::optional<int64_t>(kDefaultSettleMs);
        if (!target || !ms) return failed("usage: profile settle KG [MS]");
        scale.runProfile(ScaleProfile::settle(scale.load(c.now), *target, *ms), c.now);
        return c.done();
    }
    if (c.arg() == "steps" && c.args() >= 2) {
        std::string text, error;
        for (size_t i = 2; i < c.words.size(); ++i) text += c.words[i] + " ";
        const auto steps = ScaleProfile::parseSteps(text, error);
        if (!steps) return failed(error);
        scale.runProfile(*steps, c.now);
        return c.done();
    }
    return c.usage();
}

std::string receipts(const Call& c) {
    const auto newest = c.args() == 0   ? std::optional<int64_t>(ReceiptFolder::kMaxListed)
                        : c.args() == 1 ? count(c.arg(), ReceiptFolder::kMaxListed)
                                        : std::nullopt;
    if (!newest) return c.usage();
    const ReceiptFolder& folder = c.terminal.receipts();
    json list = json::array();
    for (auto it = folder.receipts().rbegin();
         it != folder.receipts().rend() && list.size() < static_cast<size_t>(*newest); ++it)
        list.push_back(Terminal::receiptJson(*it, folder.dir()));
    return jsonLine({{"ok", true}, {"dir", folder.dir()}, {"index", folder.dir() + "/index.html"}, {"receipts", list}});
}

json modelsJson() {
    json list = json::array();
    for (const models::PrinterModel& m : models::allModels()) {
        json fonts = json::array();
        for (const models::Font& f : m.fonts)
            fonts.push_back(std::string(1, f.name) + " " + std::to_string(f.width) + "x" + std::to_string(f.height));
        list.push_back({{"id", m.id},
                        {"name", m.displayName()},
                        {"escpos", m.escPos()},
                        {"paper_mm", m.paperMm},
                        {"print_dots", m.printDots},
                        {"dpi", m.dpi},
                        {"fonts", fonts},
                        {"code_pages", m.codePages},
                        {"barcodes", m.barcodes},
                        {"qr_code", m.qrCode},
                        {"pdf417", m.pdf417 || m.pdf417Barcode != 0},
                        {"cutter", m.cutter},
                        {"two_byte", m.twoByte}});
    }
    return list;
}

std::string waitReceipt(const Call& c) {
    const auto timeout = c.args() >= 1 ? count(c.arg(), kMaxWaitMs) : std::optional<int64_t>(kDefaultWaitMs);
    const auto after =
        c.args() >= 2 ? count(c.arg(2), 1 << 30) : std::optional<int64_t>(c.terminal.receipts().lastJob());
    if (!timeout || !after || c.args() > 2) return c.usage();
    if (!c.socket) return failed("wait-receipt is for the control socket");
    c.terminal.waitForReceipt(c.client, static_cast<int>(*after), *timeout);
    return {};  // the answer comes with the receipt, or at the timeout
}

std::string wireEntries(const Call& c) {
    // "wire", "wire board", "wire all 1200", "wire 1200": the line is a name, the entry a number.
    const bool lineGiven = c.args() >= 1 && !count(c.arg(), 0xFFFFFFFFFFFF);
    std::string line = lineGiven ? c.arg() : std::string();
    const auto after =
        c.args() > (lineGiven ? 1u : 0u) ? count(c.arg(lineGiven ? 2 : 1), 0xFFFFFFFFFFFF) : std::optional<int64_t>(0);
    if (!after || c.args() > (lineGiven ? 2u : 1u) || line.size() > 32) return c.usage();
    if (line == "all") line.clear();
    return jsonLine(wire::wireAnswer(c.terminal.wire(), line, static_cast<uint64_t>(*after)));
}

const ControlCommand kCommands[] = {
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    {"ping", "", "is the terminal there", [](const Call&) { return jsonLine({{"ok", true}, {"pong", true}}); }},
    {"state", "", "everything, as JSON", [](const Call& c) { return jsonLine(c.terminal.state()); }},
    {"help", "", "this list", [](const Call&) { return jsonLine({{"ok", true}, {"help", controlHelp()}}); }},
    {"shutdown", "", "end the terminal", [](const Call& c) {
        c.terminal.requestStop();
        return jsonLine({{"ok", true}});
    }},
    {"weight", "KG", "the load on the platter", [](const Call& c) { return setWeight(c, &ScaleModel::setLoad); }},
    {"tare", "KG", "the tare (0 clears it)", [](const Call& c) { return setWeight(c, &ScaleModel::setTare); }},
    {"zero", "", "the present load becomes zero", [](const Call& c) {
        if (c.args()) return c.usage();
        c.terminal.scale().zeroNow(c.now);
        return c.done();
    }},
    {"stable", "on|off", "the reading is stable or in motion", [](const Call& c) {
        return setting(c, onOff(c.arg()), [&](bool on) { c.terminal.scale().setStable(on, c.now); });
    }},
    {"overload", "on|off", "forced overload", [](const Call& c) {
        return setting(c, onOff(c.arg()), [&](bool on) { c.terminal.scale().setOverload(on); });
    }},
    {"not-zeroed", "on|off", "not zeroed since power-on", [](const Call& c) {
        return setting(c, onOff(c.arg()), [&](bool on) { c.terminal.scale().setNotZeroed(on); });
    }},
    {"unit", "kg|g|lb", "the SDK scale's unit, as the host's U", [](const Call& c) {
        return setting(c, parseUnit(c.arg()), [&](WeightUnit unit) { c.terminal.scale().setUnit(unit); });
    }},
    {"scale-rate", "1..100", "SDK scale readings a second, as the host's F", [](const Call& c) {
        const auto rate = count(c.arg(), SdkScaleProtocol::kMaxRate, 1);
        return setting(c, rate, [&](int64_t n) { c.terminal.sdkScale().setRate(static_cast<int>(n)); });
    }},
    {"profile", "settle KG [MS] | profile steps MS:KG[:s|u] ... | profile stop", "scripted loads", profile},
    {"drawer", "open|close", "opens or closes the drawer", [](const Call& c) {
        return setting(c, oneOf(c.arg(), {"open", "close"}), [&](const std::string& a) {
            if (a == "open") c.terminal.drawer().open("control");
            if (a == "close") c.terminal.drawer().close();
        });
    }},
    {"drawer-time", "MS", "the drawer closes by itself MS after opening (0: never)", [](const Call& c) {
        return setting(c, count(c.arg(), 86400000), [&](int64_t ms) { c.terminal.drawer().setAutoCloseMs(ms); });
    }},
    {"paper", "out|near-end|in", "the printer's paper sensors (out: offline)", [](const Call& c) {
        return setting(c, oneOf(c.arg(), {"out", "near-end", "in"}), [&](const std::string& a) {
            escpos::DeviceStatus s = c.terminal.printerStatus();
            s.paperOut = a == "out";
            if (a != "out") s.paperNearEnd = a == "near-end";
            c.terminal.setPrinterStatus(s);
        });
    }},
    {"cover", "open|closed", "the printer's cover (open: offline)", [](const Call& c) {
        return setting(c, oneOf(c.arg(), {"open", "closed"}), [&](const std::string& a) {
            escpos::DeviceStatus s = c.terminal.printerStatus();
            s.coverOpen = a == "open";
            c.terminal.setPrinterStatus(s);
        });
    }},
    {"error", "cutter|unrecoverable|auto-recoverable on|off", "an error of the printer (each takes it offline)",
     [](const Call& c) {
        const auto kind = oneOf(c.arg(), {"cutter", "unrecoverable", "auto-recoverable"});
        const auto on = onOff(c.arg(2));
        if (c.args() != 2 || !kind || !on) return c.usage();
        escpos::DeviceStatus s = c.terminal.printerStatus();
        bool& error = *kind == "cutter"          ? s.cutterError
                      : *kind == "unrecoverable" ? s.unrecoverableError
                                                 : s.autoRecoverableError;
        error = *on;
        c.terminal.setPrinterStatus(s);
        return c.done();
    }},
    {"model", "NAME", "the printer model played from now on (an open job ends first)", [](const Call& c) {
        if (c.args() != 1) return c.usage();
        const std::string problem = c.terminal.setPrinterModel(c.arg());
        return problem.empty() ? c.done() : failed(problem);
    }},
    {"models", "", "the printer models and what each prints", [](const Call&) {
        return jsonLine({{"ok", true}, {"models", modelsJson()}});
    }},
    {"receipts", "[N]", "the newest N receipts (default all listed)", receipts},
    {"wait-receipt", "[TIMEOUT_MS [AFTER_JOB]]", "the first receipt after job AFTER_JOB (default: the newest)",
     waitReceipt},
    {"wire", "[LINE|all] [AFTER]", "the wire record: entries of a line (all lines) after entry AFTER (0)",
     wireEntries},
    {"driver-job", "DIR", "the Windows printer queue hands over a rendered job", [](const Call& c) {
        if (c.args() != 1) return c.usage();
        // It reads any folder it is given: only the print system's backend, on the control socket.
        if (!c.socket) return failed("driver-job is for the control socket");
        return jsonLine(c.terminal.driverJob(c.arg()));
    }},
    // clang-format on
};

}  // namespace

std::string controlHelp() {
    // The help in a column; after a long form, on a line of its own.
    constexpr size_t kColumn = 24;
    std::string out;
    for (const ControlCommand& c : kCommands) {
        const std::string usage = form(c);
        const size_t pad = usage.size() > kColumn ? 0 : kColumn + 2 - usage.size();
        out += "  " + usage + (pad ? std::string(pad, ' ') : "\n" + std::string(kColumn + 4, ' ')) + c.help + "\n";
    }
    return out;
}

void ControlCommands::run(ControlServer& server, ControlServer::ClientId client, const std::string& line) {
    const std::string answer = answerTo(client, line);
    if (!answer.empty()) server.answer(client, answer);
}

std::string ControlCommands::runNow(const std::string& line) { return answerTo(kNoClient, line); }

std::string ControlCommands::answerTo(ControlServer::ClientId client, const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    try {
        return words.empty() ? failed("empty request") : execute(client, words);
    } catch (const std::exception& e) {
        return failed(std::string("internal error: ") + e.what());
    }
}

std::string ControlCommands::execute(ControlServer::ClientId client, const std::vector<std::string>& w) {
    for (const ControlCommand& command : kCommands)
        if (w[0] == command.name) return command.run({command, terminal_, w, client, client != kNoClient, nowMs()});
    return failed("unknown command \"" + w[0] + "\"; try help");
}

}  // namespace zsim::term
