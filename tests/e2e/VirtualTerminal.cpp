#include "VirtualTerminal.h"

#include "HostShell.h"
#include "support/TestFiles.h"

#include <windows.h>

namespace {

std::string StateDir()
{
    const std::string dir = EnvOr("ZPT_E2E_DIR");
    if (dir.empty())
        return {};
    std::string state = ReadWholeFile(DosPath(dir + "/state-dir"));
    while (!state.empty() && (state.back() == '\n' || state.back() == '\r'))
        state.pop_back();
    return state;
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

} // namespace

std::string VirtualTerminal::SetupError()
{
    if (EnvOr("ZPT_SIMCTL").empty() || EnvOr("ZPT_E2E_DIR").empty())
        return "ZPT_SIMCTL and ZPT_E2E_DIR are not set: run these tests through ctest";
    if (StateDir().empty())
        return "the virtual terminal's fixture left no state-dir in " + EnvOr("ZPT_E2E_DIR");
    return {};
}

std::string VirtualTerminal::Output(const std::string& command, unsigned boundMs) const
{
    std::string output;
    RunOnHost(Quoted(EnvOr("ZPT_SIMCTL")) + " --state-dir " + Quoted(StateDir()) + " " + command, &output, boundMs);
    return output;
}

nlohmann::json VirtualTerminal::Ask(const std::string& command, unsigned boundMs) const
{
    const std::string output = Output(command, boundMs);
    // The answer is the one JSON line on stdout; anything else the client says is an error text.
    const size_t start = output.find('{');
    nlohmann::json answer =
        nlohmann::json::parse(start == std::string::npos ? std::string() : output.substr(start), nullptr, false);
    if (!answer.is_object())
        return {{"ok", false}, {"error", "no answer from zantor-simctl: " + output}};
    return answer;
}

bool VirtualTerminal::Reset() const
{
    for (const char* command : {"profile stop", "stable on", "overload off", "not-zeroed off", "unit kg", "tare 0",
             "weight 0", "zero", "drawer close", "paper in", "cover closed"}) {
        if (!Do(command))
            return false;
    }
    return true;
}

int VirtualTerminal::LastJob() const
{
    return State()["printer"].value("last_receipt", 0);
}

std::optional<nlohmann::json> VirtualTerminal::WaitForReceipt(int afterJob, unsigned boundMs) const
{
    const nlohmann::json answer =
        Ask("wait-receipt " + std::to_string(boundMs) + " " + std::to_string(afterJob), boundMs + 10000);
    if (!answer.value("ok", false))
        return std::nullopt;
    return answer["receipt"];
}

bool VirtualTerminal::WaitForState(bool (*accept)(const nlohmann::json&), unsigned boundMs) const
{
    for (unsigned waited = 0;; waited += 100) {
        if (accept(State()))
            return true;
        if (waited >= boundMs)
            return false;
        ::Sleep(100);
    }
}

std::string ReadTerminalFile(const std::string& linuxPath)
{
    return ReadWholeFile(DosPath(linuxPath));
}
