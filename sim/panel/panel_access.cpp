#include "panel/panel_access.h"

#include "terminal/tcp_listener.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <random>

namespace zsim::panel {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A Host name without the brackets an IPv6 literal wears there.
std::string unbracketed(const std::string& host) {
    return host.size() > 2 && host.front() == '[' && host.back() == ']' ? host.substr(1, host.size() - 2) : host;
}

bool isIpLiteral(const std::string& host) {
    unsigned char buffer[16];
    if (unbracketed(host) != host) return ::inet_pton(AF_INET6, unbracketed(host).c_str(), buffer) == 1;
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1;
}

bool isLoopbackLiteral(const std::string& host) {
    return host == "localhost" || term::isLoopbackAddress(unbracketed(host));
}

}  // namespace

PanelAccess::PanelAccess(std::string host, int port, std::string token)
    : host_(lower(host.find(':') != std::string::npos ? "[" + host + "]" : host)),
      port_(port),
      token_(std::move(token)) {}

bool PanelAccess::hostAllowed(const std::string& hostHeader) const {
    const std::string h = lower(hostHeader);
    const size_t colon = h.rfind(':');
    if (colon == std::string::npos || h.substr(colon + 1) != std::to_string(port_)) return false;
    const std::string name = h.substr(0, colon);
    if (name.empty()) return false;
    if (name == host_) return true;
    if (host_ == "0.0.0.0" || host_ == "[::]") return name == "localhost" || isIpLiteral(name);
    return isLoopbackLiteral(host_) && isLoopbackLiteral(name);
}

bool PanelAccess::originAllowed(const std::string& origin, const std::string& hostHeader) const {
    return origin.empty() || lower(origin) == "http://" + lower(hostHeader);
}

bool PanelAccess::tokenMatches(const std::string& given) const {
    if (given.size() != token_.size() || token_.empty()) return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < given.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ token_[i]);
    return difference == 0;
}

std::string PanelAccess::newToken() {
    std::random_device random;  // /dev/urandom
    static const char hex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        const uint32_t bits = random();
        for (int shift = 28; shift >= 0; shift -= 4) token += hex[(bits >> shift) & 0xf];
    }
    return token;
}

bool PanelAccess::isPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 128 || name.front() == '.') return false;
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '.' || c == '-' || c == '_'; });
}

}  // namespace zsim::panel
