#include "panel/panel_server.h"

#include <httplib.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace zsim::panel {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxBody = 8192;
// A stream sends a comment at least this often, so a page that went away is
// noticed by the failing write and its thread freed.
constexpr auto kStreamBeat = std::chrono::seconds(2);

const char* kTokenPlaceholder = "@PANEL_TOKEN@";

std::string receiptType(const std::string& name) {
    const std::string ext = fs::path(name).extension().string();
    if (ext == ".png") return "image/png";
    if (ext == ".json") return "application/json";
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".pdf") return "application/pdf";
    if (ext == ".txt") return "text/plain; charset=utf-8";
    return "application/octet-stream";
}

void refuse(httplib::Response& response, int status, const std::string& why) {
    response.status = status;
    response.set_content(nlohmann::json({{"ok", false}, {"error", why}}).dump(), "application/json");
}

}  // namespace

PanelServer::PanelServer(PanelServerConfig config, PanelFeed& feed, Runner runner)
    : config_(std::move(config)), feed_(feed), runner_(std::move(runner)) {}

PanelServer::~PanelServer() { stop(); }

std::string PanelServer::url() const {
    std::string host = config_.host;
    if (host == "0.0.0.0" || host == "::") host = "127.0.0.1";
    if (host.find(':') != std::string::npos) host = "[" + host + "]";
    return "http://" + host + ":" + std::to_string(port_) + "/";
}

bool PanelServer::loadFiles(const std::string& token, std::string& error) {
    const std::map<std::string, std::pair<std::string, std::string>> names = {
        {"/", {"index.html", "text/html; charset=utf-8"}},
        {"/panel.css", {"panel.css", "text/css; charset=utf-8"}},
        {"/panel.js", {"panel.js", "text/javascript; charset=utf-8"}},
    };
    for (const auto& [route, file] : names) {
        std::ifstream in(fs::path(config_.wwwDir) / file.first, std::ios::binary);
        std::ostringstream body;
        body << in.rdbuf();
        if (!in) {
            error = "cannot read the panel's " + (fs::path(config_.wwwDir) / file.first).string();
            return false;
        }
        std::string text = body.str();
        for (size_t at; (at = text.find(kTokenPlaceholder)) != std::string::npos;)
            text.replace(at, std::strlen(kTokenPlaceholder), token);
        files_[route] = StaticFile{file.second, std::move(text)};
    }
    files_["/index.html"] = files_["/"];
    return true;
}

bool PanelServer::start(std::string& error) {
    access_.reset();
    const std::string token = PanelAccess::newToken();
    if (!loadFiles(token, error)) return false;
    server_ = std::make_unique<httplib::Server>();
    server_->set_payload_max_length(kMaxBody);
    server_->set_read_timeout(5, 0);
    server_->set_write_timeout(5, 0);
    // httplib's default adds SO_REUSEPORT, with which a second terminal would share a taken port
    // and get half of the first one's connections; SO_REUSEADDR alone still allows a quick restart.
    server_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (config_.port == 0) {
        port_ = server_->bind_to_any_port(config_.host);
    } else if (server_->bind_to_port(config_.host, config_.port)) {
        port_ = config_.port;
    } else if (!config_.portFixed) {
        port_ = server_->bind_to_any_port(config_.host);
    } else {
        port_ = -1;
    }
    if (port_ <= 0) {
        error = "the panel cannot listen on " + config_.host + ":" + std::to_string(config_.port);
        return false;
    }
    access_ = std::make_unique<PanelAccess>(config_.host, port_, token);

    server_->set_pre_routing_handler([this](const httplib::Request& q, httplib::Response& r) {
        return admit(q, r) ? httplib::Server::HandlerResponse::Unhandled : httplib::Server::HandlerResponse::Handled;
    });
    for (const auto& [route, file] : files_) {
        server_->Get(route, [&file = file](const httplib::Request&, httplib::Response& r) {
            r.set_header("Cache-Control", "no-store");
            // Everything the page needs comes from here; nothing is fetched from elsewhere.
            r.set_header("Content-Security-Policy",
                         "default-src 'self'; img-src 'self'; frame-ancestors 'none'; form-action 'self'");
            r.set_content(file.body, file.type.c_str());
        });
    }
    server_->Get(R"(/receipts/([^/]*))",
                 [this](const httplib::Request& q, httplib::Response& r) { serveReceiptFile(q, r); });
    server_->Get("/api/state", [this](const httplib::Request&, httplib::Response& r) {
        r.set_header("Cache-Control", "no-store");
        r.set_content(feed_.state(), "application/json");
    });
    server_->Get("/events", [this](const httplib::Request&, httplib::Response& r) { serveEvents(r); });
    server_->Post("/api/command", [this](const httplib::Request& q, httplib::Response& r) { runCommand(q, r); });
    server_->set_error_handler([](const httplib::Request&, httplib::Response& r) {
        if (r.body.empty()) refuse(r, r.status, "not found");
    });

    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() only reaches a server that is listening: an early shutdown would
    // otherwise leave the thread running and the join waiting.
    for (int i = 0; i < 5000 && !server_->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void PanelServer::stop() {
    feed_.stop();
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
}

bool PanelServer::admit(const httplib::Request& q, httplib::Response& r) const {
    r.set_header("X-Content-Type-Options", "nosniff");
    r.set_header("X-Frame-Options", "DENY");
    r.set_header("Referrer-Policy", "no-referrer");
    const std::string host = q.get_header_value("Host");
    if (!access_->hostAllowed(host)) {
        refuse(r, 421, "this panel answers only to its own address, not to Host \"" + host + "\"");
        return false;
    }
    if (!access_->originAllowed(q.get_header_value("Origin"), host)) {
        refuse(r, 403, "requests from another site are refused");
        return false;
    }
    // Before any route sees the path: httplib has decoded %2e%2e%2f into
    // "../" already, and the raw target still shows encoded backslashes.
    const std::string& path = q.path;
    if (path.find("..") != std::string::npos || path.find('\\') != std::string::npos ||
        path.find('\0') != std::string::npos) {
        refuse(r, 404, "not found");
        return false;
    }
    return true;
}

void PanelServer::serveReceiptFile(const httplib::Request& q, httplib::Response& r) const {
    const std::string name = q.matches.size() > 1 ? q.matches[1].str() : std::string();
    const fs::path file = fs::path(config_.receiptsDir) / name;
    std::error_code ec;
    if (!PanelAccess::isPlainFileName(name) || !fs::is_regular_file(fs::symlink_status(file, ec))) {
        refuse(r, 404, "no such receipt file");
        return;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    r.set_header("Cache-Control", "no-store");
    // The folder is the user's too: a page found there must not run as the panel (and read its token).
    r.set_header("Content-Security-Policy", "sandbox");
    r.set_content(body.str(), receiptType(name).c_str());
}

void PanelServer::serveEvents(httplib::Response& r) {
    if (++streams_ > kMaxStreams) {
        --streams_;
        refuse(r, 503, "too many panel pages open at once");
        return;
    }
    auto cursor = std::make_shared<PanelFeed::Cursor>();
    r.set_header("Cache-Control", "no-store");
    r.set_chunked_content_provider(
        "text/event-stream",
        [this, cursor](size_t, httplib::DataSink& sink) {
            std::string events =
                feed_.next(*cursor, std::chrono::duration_cast<std::chrono::milliseconds>(kStreamBeat));
            if (feed_.stopped()) {
                sink.done();
                return true;
            }
            if (events.empty()) events = ": still here\n\n";
            return sink.write(events.data(), events.size());
        },
        [this](bool) { --streams_; });
}

void PanelServer::runCommand(const httplib::Request& q, httplib::Response& r) {
    if (!access_->tokenMatches(q.get_header_value("X-Panel-Token"))) {
        refuse(r, 403, "missing or wrong panel token (reload the panel)");
        return;
    }
    const nlohmann::json body = nlohmann::json::parse(q.body, nullptr, false);
    if (!body.is_object() || !body.contains("command") || !body["command"].is_string()) {
        refuse(r, 400, "the body must be {\"command\": \"...\"}");
        return;
    }
    const std::string line = body["command"].get<std::string>();
    if (line.find_first_of("\r\n") != std::string::npos) {
        refuse(r, 400, "one command per request");
        return;
    }
    const Asked asked = runner_(line);
    switch (asked.outcome) {
    case Asked::Outcome::NotRun:
        refuse(r, 503, "the terminal did not take the command in time; nothing was done");
        return;
    case Asked::Outcome::Failed: refuse(r, 500, "the command failed inside the terminal"); return;
    case Asked::Outcome::Running:
        // Neither done nor refused: the page must not report it as either.
        r.status = 202;
        r.set_content(
            nlohmann::json({{"ok", false},
                            {"running", true},
                            {"error", "the terminal is still carrying the command out; the state will show it"}})
                .dump(),
            "application/json");
        return;
    case Asked::Outcome::Done: break;
    }
    const nlohmann::json parsed = nlohmann::json::parse(asked.answer, nullptr, false);
    r.status = parsed.is_object() && parsed.value("ok", false) ? 200 : 400;
    r.set_content(asked.answer, "application/json");
}

}  // namespace zsim::panel
