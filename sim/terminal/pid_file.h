// The pid file in the state dir, locked for as long as the terminal runs, so
// a second terminal on the same state dir refuses to start instead of
// stealing the first one's ports.
#pragma once

#include <string>

namespace zsim::term {

class PidFile {
public:
    ~PidFile();
    // False with error set when another terminal holds it.
    bool lock(const std::string& path, std::string& error);
    // Written once the terminal is ready.
    bool write(std::string& error);

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace zsim::term
