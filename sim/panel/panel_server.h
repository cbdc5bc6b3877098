// The panel's HTTP side, on cpp-httplib's own threads: the page's files, the
// receipts folder, the event stream and the command endpoint. It never
// touches the terminal itself: commands go through the runner it is given,
// and everything it shows comes from the feed.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "panel/loop_inbox.h"
#include "panel/panel_access.h"
#include "panel/panel_feed.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace zsim::panel {

struct PanelServerConfig {
    std::string host = "127.0.0.1";
    int port = 8089;
    bool portFixed = false;  // false: a free port when this one is taken
    std::string wwwDir;
    std::string receiptsDir;
};

class PanelServer {
public:
    // Runs one command line; a Done outcome carries the command's JSON answer.
    using Runner = std::function<Asked(const std::string& line)>;
    static constexpr int kMaxStreams = 4;  // pages listening at once; each holds one HTTP thread

    PanelServer(PanelServerConfig config, PanelFeed& feed, Runner runner);
    ~PanelServer();

    bool start(std::string& error);
    void stop();
    int port() const { return port_; }
    std::string url() const;

private:
    struct StaticFile {
        std::string type;
        std::string body;
    };
    bool loadFiles(const std::string& token, std::string& error);
    bool admit(const httplib::Request& request, httplib::Response& response) const;
    void serveReceiptFile(const httplib::Request& request, httplib::Response& response) const;
    void serveEvents(httplib::Response& response);
    void runCommand(const httplib::Request& request, httplib::Response& response);

    PanelServerConfig config_;
    PanelFeed& feed_;
    Runner runner_;
    std::unique_ptr<httplib::Server> server_;
    std::unique_ptr<PanelAccess> access_;
    std::map<std::string, StaticFile> files_;
    std::thread thread_;
    std::atomic<int> streams_{0};
    int port_ = 0;
};

}  // namespace zsim::panel
