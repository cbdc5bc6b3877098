// Who may use the panel. A page from anywhere else can make the browser send
// requests here: a Host header that is not ours is a DNS-rebinding attempt,
// a foreign Origin a cross-site request, and changes need the per-run token
// that only our own page carries.
#pragma once

#include <string>

namespace zsim::panel {

class PanelAccess {
public:
    PanelAccess(std::string host, int port, std::string token);

    // Host is our address and port: for a loopback panel also localhost and
    // the other loopback spellings; for one on every address only IP
    // literals (a rebinding attack needs a name).
    bool hostAllowed(const std::string& hostHeader) const;
    // No Origin (not a browser's cross-site request), or our own.
    bool originAllowed(const std::string& origin, const std::string& hostHeader) const;
    bool tokenMatches(const std::string& given) const;
    const std::string& token() const { return token_; }

    // 128 random bits as hex.
    static std::string newToken();
    // A plain file name of the receipts folder: no folder part, no dot
    // first, nothing that could be read as a path on any system.
    static bool isPlainFileName(const std::string& name);

private:
    std::string host_;
    int port_;
    std::string token_;
};

}  // namespace zsim::panel
