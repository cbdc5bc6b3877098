// The control panel in the browser, joined to the terminal: the loop side.
// It takes the state and the receipts from the terminal on the loop's thread
// and publishes them for the HTTP threads, and runs the commands those
// threads hand in through the terminal's own command code.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "panel/loop_inbox.h"
#include "panel/panel_feed.h"
#include "panel/panel_server.h"
#include "terminal/options.h"
#include "terminal/terminal.h"

namespace zsim::panel {

class Panel {
public:
    static constexpr int64_t kTickMs = 50;  // state changes reach the page within this (plus the wire)

    Panel(term::EventLoop& loop, term::Terminal& terminal, const term::Options& options);
    ~Panel();

    bool start(std::string& error);
    // On the loop's thread, after the loop has stopped and before the terminal goes.
    void stop();
    std::string url() const { return server_.url(); }

private:
    struct PollSample {
        int64_t atMs;
        uint64_t board, sdk, readings, sdkRead;
    };
    void tick();
    void publishState();
    nlohmann::json pollsJson(const nlohmann::json& scale);
    nlohmann::json wiringJson();
    void publishWire();

    term::EventLoop& loop_;
    term::Terminal& terminal_;
    std::string stateDir_;
    PanelFeed feed_;
    LoopInbox inbox_;
    PanelServer server_;
    term::EventLoop::TimerId timer_ = 0;
    std::string lastState_;
    std::deque<PollSample> polls_;
    int64_t boardPolledAt_ = 0, sdkPolledAt_ = 0;  // wall clock
    nlohmann::json wiring_ = nlohmann::json::array();
    int64_t wiringReadAt_ = -1000000;
    uint64_t wireSeq_ = 0;  // the last wire entry published
};

}  // namespace zsim::panel
