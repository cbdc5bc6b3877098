// The words the control socket understands; each request line is one
// command and its arguments, separated by blanks.
#pragma once

#include <string>
#include <vector>

#include "terminal/control_server.h"

namespace zsim::term {

class Terminal;

// The commands in one screen, one a line, for zantor-simctl --help and the
// socket's own help command.
std::string controlHelp();

class ControlCommands {
public:
    explicit ControlCommands(Terminal& terminal) : terminal_(terminal) {}
    void run(ControlServer& server, ControlServer::ClientId client, const std::string& line);
    // The same commands for a front end that takes its answer at once (the
    // panel): everything but waiting for a receipt.
    std::string runNow(const std::string& line);

private:
    // The answer, or empty when it comes later.
    std::string execute(ControlServer::ClientId client, const std::vector<std::string>& words);
    std::string answerTo(ControlServer::ClientId client, const std::string& line);
    static constexpr ControlServer::ClientId kNoClient = -1;

    Terminal& terminal_;
};

}  // namespace zsim::term
