// Requests from the tester on a local unix socket: one line each, answered
// with one line of JSON. An answer may come later (waiting for a receipt);
// a client's next line is taken only after its answer has been given.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "terminal/event_loop.h"

namespace zsim::term {

class ControlServer {
public:
    using ClientId = int;
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxClients = 16;
    static constexpr size_t kMaxUnsent = 8u << 20;  // a client that stops reading is dropped beyond this

    using Handler = std::function<void(ClientId, const std::string& line)>;
    ControlServer(EventLoop& loop, Handler handler, std::function<void(ClientId)> gone);
    ~ControlServer();

    bool start(const std::string& path, std::string& error);
    void answer(ClientId client, const std::string& json);
    const std::string& path() const { return path_; }

private:
    struct Client {
        std::string in;
        std::string out;
        bool busy = false;
        bool eof = false;  // the client has said all it will say
    };
    void closeIfDone(ClientId id);
    void accept();
    void event(ClientId id, short revents);
    void takeLines(ClientId id);
    void flush(ClientId id);
    void updateEvents(ClientId id);
    void drop(ClientId id);

    EventLoop& loop_;
    Handler handler_;
    std::function<void(ClientId)> gone_;
    std::string path_;
    int listener_ = -1;
    std::map<ClientId, Client> clients_;
};

}  // namespace zsim::term
