// The words the control socket understands; each request line is one
// command and its arguments, separated by blanks.
#pragma once

#include <string>
#include <vector>

#include "terminal/control_server.h"

namespace zsim::term {

class Terminal;

class ControlCommands {
public:
    explicit ControlCommands(Terminal& terminal) : terminal_(terminal) {}
    void run(ControlServer& server, ControlServer::ClientId client, const std::string& line);

private:
    // The answer, or empty when it comes later.
    std::string execute(ControlServer::ClientId client, const std::vector<std::string>& words);

    Terminal& terminal_;
};

}  // namespace zsim::term
