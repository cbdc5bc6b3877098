// The virtual terminal the program under test is wired to, seen from inside the Wine test
// program: its control client runs on the Linux side, and its receipts are read through drive Z:.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

class VirtualTerminal {
public:
    // From the environment the test run was given; empty when it was not.
    static std::string SetupError();

    // One control command; {"ok": false, "error": ...} when the terminal cannot be reached.
    nlohmann::json Ask(const std::string& command, unsigned boundMs = 15000) const;
    // What zantor-simctl prints for a command (wire prints text lines, not JSON).
    std::string Output(const std::string& command, unsigned boundMs = 15000) const;
    bool Do(const std::string& command) const { return Ask(command).value("ok", false); }
    // Back to the power-on state between tests: empty platter at zero, stable, drawer closed.
    bool Reset() const;

    int LastJob() const;
    // The first receipt after job afterJob, within boundMs.
    std::optional<nlohmann::json> WaitForReceipt(int afterJob, unsigned boundMs = 15000) const;
    nlohmann::json State() const { return Ask("state"); }
    // Polls the state until accept says yes, at most boundMs (which only ends a test that hangs).
    bool WaitForState(bool (*accept)(const nlohmann::json&), unsigned boundMs = 30000) const;
};

// A file the terminal wrote, by its Linux path.
std::string ReadTerminalFile(const std::string& linuxPath);
