#include "panel/panel.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "wire/wire_json.h"

namespace zsim::panel {

namespace fs = std::filesystem;

namespace {

constexpr auto kCommandWait = std::chrono::seconds(5);
constexpr int64_t kPollWindowMs = 2000;
constexpr int64_t kWiringEveryMs = 1000;
// Wire entries a page gets per tick at most; a flood beyond it is counted, not sent.
constexpr size_t kWirePerTick = 200;

PanelServerConfig serverConfig(const term::Options& o) {
    PanelServerConfig c;
    c.host = o.panelHost;
    c.port = o.panelPort;
    c.portFixed = o.panelPortGiven;
    c.wwwDir = ZSIM_PANEL_WWW;
    c.receiptsDir = o.receiptsDir;
    return c;
}

// The page links files of the receipts folder by name, not by this machine's paths.
nlohmann::json receiptForPage(const term::Receipt& r, const std::string& dir) {
    nlohmann::json j = term::Terminal::receiptJson(r, dir);
    for (auto& [key, value] : j.items()) {
        if (value.is_string() && key != "line") {
            const std::string text = value.get<std::string>();
            if (text.rfind(dir + "/", 0) == 0) value = fs::path(text).filename().string();
        } else if (value.is_array()) {
            for (auto& item : value)
                if (item.is_string()) item = fs::path(item.get<std::string>()).filename().string();
        }
    }
    return j;
}

}  // namespace

Panel::Panel(term::EventLoop& loop, term::Terminal& terminal, const term::Options& options)
    : loop_(loop),
      terminal_(terminal),
      stateDir_(options.stateDir),
      inbox_(loop),
      server_(serverConfig(options), feed_, [this](const std::string& line) {
          return inbox_.ask(
              [this, line] {
                  std::string answer = terminal_.command(line);
                  publishState();  // the page sees what it did without waiting for the tick
                  return answer;
              },
              kCommandWait);
      }) {}

Panel::~Panel() { stop(); }

bool Panel::start(std::string& error) {
    if (!inbox_.start(error)) return false;
    const std::string dir = terminal_.receipts().dir();
    for (const term::Receipt& r : terminal_.receipts().receipts())
        feed_.publishReceipt(term::jsonLine(receiptForPage(r, dir)));
    terminal_.setReceiptListener(
        [this, dir](const term::Receipt& r) { feed_.publishReceipt(term::jsonLine(receiptForPage(r, dir))); });
    if (!server_.start(error)) return false;
    terminal_.setPanelUrl(server_.url());
    tick();
    return true;
}

void Panel::stop() {
    if (timer_) loop_.cancel(timer_);
    timer_ = 0;
    // The terminal's last job may still end after this, when it finishes.
    terminal_.setReceiptListener(nullptr);
    inbox_.close();
    server_.stop();
}

void Panel::tick() {
    publishState();
    publishWire();
    timer_ = loop_.after(kTickMs, [this] { tick(); });
}

void Panel::publishState() {
    nlohmann::json state = terminal_.state();
    state["polls"] = pollsJson(state["scale"]);
    state["wiring"] = wiringJson();
    std::string text = term::jsonLine(state);
    if (text == lastState_) return;
    lastState_ = text;
    feed_.publishState(std::move(text));
}

void Panel::publishWire() {
    const wire::Record& record = terminal_.wire();
    if (record.lastSeq() == wireSeq_) return;
    uint64_t unused = 0;
    nlohmann::json entries = nlohmann::json::array();
    for (const wire::Entry* e : record.after(wireSeq_, {}, kWirePerTick, unused))
        entries.push_back(wire::entryJson(*e, false));
    // Entries the lines' rings dropped since the last tick are skipped as well.
    const uint64_t skipped = record.lastSeq() - wireSeq_ - entries.size();
    wireSeq_ = record.lastSeq();
    feed_.publishWire(term::jsonLine(entries), entries.size(), skipped);
}

nlohmann::json Panel::pollsJson(const nlohmann::json& scale) {
    // The board is asked for each reading; the SDK scale mostly speaks unasked, so its line
    // counts as read when the program sends it a command or takes its readings off the line.
    const int64_t now = term::nowMs();
    const PollSample sample{now, scale.value("board_requests", uint64_t{0}), scale.value("sdk_requests", uint64_t{0}),
                            scale.value("sdk_readings", uint64_t{0}), scale.value("sdk_host_read_bytes", uint64_t{0})};
    if (!polls_.empty()) {
        if (sample.board != polls_.back().board) boardPolledAt_ = term::wallClockMs();
        if (sample.sdk != polls_.back().sdk || sample.sdkRead != polls_.back().sdkRead)
            sdkPolledAt_ = term::wallClockMs();
    }
    polls_.push_back(sample);
    while (polls_.size() > 2 && polls_.front().atMs < now - kPollWindowMs) polls_.pop_front();
    const PollSample& first = polls_.front();
    const double seconds = std::max<double>(static_cast<double>(now - first.atMs) / 1000.0, 0.001);
    auto rate = [&](uint64_t from, uint64_t to) {
        return std::round(static_cast<double>(to - from) / seconds * 10) / 10;
    };
    // Readings that reached a program: none while nobody takes them off the line.
    const double taken = sample.sdkRead != first.sdkRead ? rate(first.readings, sample.readings) : 0.0;
    const char* last = boardPolledAt_ == 0 && sdkPolledAt_ == 0 ? "" : boardPolledAt_ >= sdkPolledAt_ ? "board" : "sdk";
    return {
        {"last", last},
        {"board",
         {{"requests", sample.board}, {"per_second", rate(first.board, sample.board)}, {"last_ms", boardPolledAt_}}},
        {"sdk",
         {{"requests", sample.sdk},
          {"per_second", std::max(rate(first.sdk, sample.sdk), taken)},
          {"readings_per_second", rate(first.readings, sample.readings)},
          {"last_ms", sdkPolledAt_}}}};
}

nlohmann::json Panel::wiringJson() {
    // The run command's wiring names the Wine port of each line; the terminal itself cannot know it.
    const int64_t now = term::nowMs();
    if (now - wiringReadAt_ < kWiringEveryMs) return wiring_;
    wiringReadAt_ = now;
    wiring_ = nlohmann::json::array();
    std::ifstream in(fs::path(stateDir_) / "wine-ports");
    std::string line;
    for (int n = 0; n < 64 && std::getline(in, line); ++n) {
        std::istringstream words(line);
        std::string port, link;
        if (words >> port >> link) wiring_.push_back({{"port", port}, {"line", link}});
    }
    return wiring_;
}

}  // namespace zsim::panel
