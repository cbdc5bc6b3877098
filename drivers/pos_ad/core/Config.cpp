#include "Config.h"

#include <cctype>

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The number after a prefix, or 0 when the rest is not a plain decimal number in 1..max.
int NumberAfter(const std::string& text, size_t prefix, int max, size_t maxDigits = 3)
{
    if (text.size() <= prefix || text.size() > prefix + maxDigits)
        return 0;
    int n = 0;
    for (size_t i = prefix; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return 0;
        n = n * 10 + (text[i] - '0');
    }
    return n >= 1 && n <= max ? n : 0;
}

PortSpec Invalid(const std::string& name, const std::string& why)
{
    PortSpec spec;
    spec.name = name;
    spec.error = why;
    return spec;
}

PortSpec Serial(const std::string& name, int baud, const char* what)
{
    const std::string upper = Upper(name);
    const int n = upper.rfind("COM", 0) == 0 ? NumberAfter(upper, 3, 255) : 0;
    if (!n)
        return Invalid(name, std::string(what) + " port \"" + name + "\" is not COM1..COM255");
    PortSpec spec;
    spec.kind = PortKind::Serial;
    spec.name = upper;
    spec.device = "\\\\.\\COM" + std::to_string(n);
    spec.baud = baud > 0 ? baud : 115200; // 0: none chosen on the setup page
    return spec;
}

PortSpec Network(const std::string& address)
{
    PortSpec spec;
    spec.kind = PortKind::Network;
    spec.name = address;
    std::string host = address;
    std::string port;
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string::npos)
            return Invalid(address, "printer address \"" + address + "\" has no closing ]");
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':')
                return Invalid(address, "printer address \"" + address + "\" is not [address]:port");
            port = host.substr(close + 2);
        }
        host = host.substr(1, close - 1);
    } else if (host.find(':') != std::string::npos && host.find(':') == host.rfind(':')) {
        port = host.substr(host.find(':') + 1);
        host.resize(host.find(':'));
    }
    if (host.empty())
        return Invalid(address, "printer address \"" + address + "\" has no host");
    if (!port.empty()) {
        const int n = NumberAfter(port, 0, 65535, 5);
        if (!n)
            return Invalid(address, "printer address \"" + address + "\" has a bad port number");
        spec.tcpPort = n;
    }
    spec.host = host;
    return spec;
}

} // namespace

PortSpec PrinterPort(const PosAdConfig& config)
{
    if (!config.printerAddress.empty())
        return Network(config.printerAddress);
    const std::string upper = Upper(config.printerPort);
    if (upper == "USB") {
        PortSpec spec;
        spec.kind = PortKind::Usb;
        spec.name = "USB";
        spec.device = config.usbDevice;
        return spec;
    }
    if (upper.rfind("LPT", 0) == 0) {
        const int n = NumberAfter(upper, 3, 3);
        if (!n)
            return Invalid(config.printerPort, "printer port \"" + config.printerPort + "\" is not LPT1..LPT3");
        PortSpec spec;
        spec.kind = PortKind::Parallel;
        spec.name = upper;
        spec.device = "\\\\.\\LPT" + std::to_string(n);
        return spec;
    }
    if (upper.empty())
        return Invalid(config.printerPort, "no printer port is set ([PRINTER] PORT is empty)");
    return Serial(config.printerPort, config.printerBaud, "printer");
}

PortSpec BoardPort(const PosAdConfig& config)
{
    const std::string& name = config.boardPort.empty() ? config.scalePort : config.boardPort;
    const int baud = config.boardBaud > 0 ? config.boardBaud : config.scaleBaud;
    return Serial(name, baud, "board");
}
