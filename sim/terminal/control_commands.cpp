#include "terminal/control_commands.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <nlohmann/json.hpp>

#include "terminal/control_help.h"
#include "terminal/terminal.h"

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

std::optional<int64_t> count(const std::string& word, int64_t high) {
    if (word.empty() || word.size() > 12) return std::nullopt;
    char* end = nullptr;
    const long long n = std::strtoll(word.c_str(), &end, 10);
    if (*end || n < 0 || n > high) return std::nullopt;
    return n;
}

}  // namespace

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
    const std::string& command = w[0];
    const size_t args = w.size() - 1;
    const std::string arg = args >= 1 ? w[1] : std::string();
    const int64_t now = nowMs();
    ScaleModel& scale = terminal_.scale();
    auto done = [&] {
        terminal_.scaleChanged();
        return jsonLine(terminal_.state());
    };
    auto usage = [&](const char* form) { return failed(std::string("usage: ") + form); };

    if (command == "ping") return jsonLine({{"ok", true}, {"pong", true}});
    if (command == "state") return jsonLine(terminal_.state());
    if (command == "help") return jsonLine({{"ok", true}, {"help", kControlHelp}});
    if (command == "shutdown") {
        terminal_.requestStop();
        return jsonLine({{"ok", true}});
    }
    if (command == "weight" || command == "tare") {
        if (args != 1) return usage(command == "weight" ? "weight KG" : "tare KG");
        const auto grams = parseKilograms(arg);
        if (!grams)
            return failed(command + ": \"" + arg + "\" is not a weight in kg from " + kilograms(-kMaxWeightGrams) +
                          " to " + kilograms(kMaxWeightGrams) + "; nothing changed");
        if (command == "weight")
            scale.setLoad(*grams);
        else
            scale.setTare(*grams);
        return done();
    }
    if (command == "zero") {
        if (args) return usage("zero");
        scale.zeroNow(now);
        return done();
    }
    if (command == "stable" || command == "overload" || command == "not-zeroed") {
        const auto on = args == 1 ? onOff(arg) : std::nullopt;
        if (!on) return usage((command + " on|off").c_str());
        if (command == "stable")
            scale.setStable(*on, now);
        else if (command == "overload")
            scale.setOverload(*on);
        else
            scale.setNotZeroed(*on);
        return done();
    }
    if (command == "unit") {
        const auto unit = args == 1 ? parseUnit(arg) : std::nullopt;
        if (!unit) return usage("unit kg|g|lb");
        scale.setUnit(*unit);
        return done();
    }
    if (command == "profile") {
        if (arg == "stop" && args == 1) {
            scale.stopProfile(now);
            return done();
        }
        if (arg == "settle" && (args == 2 || args == 3)) {
            const auto target = parseKilograms(w[2]);
            const auto ms = args == 3 ? count(w[3], 3600000) : std::optional<int64_t>(kDefaultSettleMs);
            if (!target || !ms) return usage("profile settle KG [MS]");
            scale.runProfile(ScaleProfile::settle(scale.load(now), *target, *ms), now);
            return done();
        }
        if (arg == "steps" && args >= 2) {
            std::string text, error;
            for (size_t i = 2; i < w.size(); ++i) text += w[i] + " ";
            const auto profile = ScaleProfile::parseSteps(text, error);
            if (!profile) return failed(error);
            scale.runProfile(*profile, now);
            return done();
        }
        return usage("profile settle KG [MS] | profile steps MS:KG[:s|u] ... | profile stop");
    }
    if (command == "scale-rate") {
        const auto n = args == 1 ? count(arg, SdkScaleProtocol::kMaxRate) : std::nullopt;
        if (!n || *n < 1) return usage("scale-rate 1..100");
        terminal_.sdkScale().setRate(static_cast<int>(*n));
        return done();
    }
    if (command == "drawer") {
        if (args != 1 || (arg != "open" && arg != "close")) return usage("drawer open|close");
        if (arg == "open")
            terminal_.drawer().open("control");
        else
            terminal_.drawer().close();
        return done();
    }
    if (command == "drawer-time") {
        const auto ms = args == 1 ? count(arg, 86400000) : std::nullopt;
        if (!ms) return usage("drawer-time MS");
        terminal_.drawer().setAutoCloseMs(*ms);
        return done();
    }
    if (command == "paper" || command == "cover") {
        escpos::DeviceStatus s = terminal_.printerStatus();
        if (command == "paper" && arg == "out" && args == 1) {
            s.paperOut = true;
        } else if (command == "paper" && arg == "near-end" && args == 1) {
            s.paperOut = false;
            s.paperNearEnd = true;
        } else if (command == "paper" && arg == "in" && args == 1) {
            s.paperOut = false;
            s.paperNearEnd = false;
        } else if (command == "cover" && (arg == "open" || arg == "closed") && args == 1) {
            s.coverOpen = arg == "open";
        } else {
            return usage(command == "paper" ? "paper out|near-end|in" : "cover open|closed");
        }
        terminal_.setPrinterStatus(s);
        return done();
    }
    if (command == "receipts") {
        const auto newest = args == 0   ? std::optional<int64_t>(ReceiptFolder::kMaxListed)
                            : args == 1 ? count(arg, ReceiptFolder::kMaxListed)
                                        : std::nullopt;
        if (!newest) return usage("receipts [N]");
        const auto& all = terminal_.receipts().receipts();
        json list = json::array();
        for (auto it = all.rbegin(); it != all.rend() && list.size() < static_cast<size_t>(*newest); ++it)
            list.push_back(Terminal::receiptJson(*it, terminal_.receipts().dir()));
        return jsonLine({{"ok", true},
                         {"dir", terminal_.receipts().dir()},
                         {"index", terminal_.receipts().dir() + "/index.html"},
                         {"receipts", list}});
    }
    if (command == "wait-receipt") {
        const auto timeout = args >= 1 ? count(w[1], kMaxWaitMs) : std::optional<int64_t>(kDefaultWaitMs);
        const auto after = args >= 2 ? count(w[2], 1 << 30) : std::optional<int64_t>(terminal_.receipts().lastJob());
        if (!timeout || !after || args > 2) return usage("wait-receipt [TIMEOUT_MS [AFTER_JOB]]");
        if (client == kNoClient) return failed("wait-receipt is for the control socket");
        terminal_.waitForReceipt(client, static_cast<int>(*after), *timeout);
        return {};
    }
    if (command == "driver-job") {
        if (args != 1) return usage("driver-job DIR");
        // It reads any folder it is given: only the print system's backend, on the control socket.
        if (client == kNoClient) return failed("driver-job is for the control socket");
        return jsonLine(terminal_.driverJob(arg));
    }
    return failed("unknown command \"" + command + "\"; try help");
}

}  // namespace zsim::term
