// The printer's TCP port. Only loopback addresses are served unless the
// caller explicitly allows another.
#pragma once

#include <string>

namespace zsim::term {

bool isLoopbackAddress(const std::string& host);

// A non-blocking listening socket on host:port (port 0: any free one), or -1
// with error set.
int openListener(const std::string& host, int port, std::string& error);
int boundPort(int fd);

}  // namespace zsim::term
