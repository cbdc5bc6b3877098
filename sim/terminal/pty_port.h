// A serial line for the Windows side, played on a pseudo-terminal. The
// master end is the device's; we also keep one descriptor of the slave end
// open ourselves, so the line never goes dead while the program under Wine
// opens and closes its COM port. A symlink with a stable name points at the
// slave, for Wine's port mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zsim::term {

class PtyPort {
public:
    // Bytes the host may leave unread before they count as stale: a host
    // that reads keeps far below this, one that has the port closed does not.
    static constexpr size_t kMaxUnread = 1024;

    static std::unique_ptr<PtyPort> open(const std::string& linkPath, std::string& error);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    int fd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }

    // What the host wrote: >0 bytes, 0 when nothing is waiting, -1 on error.
    long read(uint8_t* buffer, size_t size);
    // Sends bytes to the host. When the host has left more than kMaxUnread
    // bytes unread, those are thrown away first: nobody is listening, and a
    // program that opens the port later wants the present, not a backlog.
    void send(const uint8_t* data, size_t size);
    void send(const std::string& bytes) { send(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }
    // Bytes thrown away so far because nobody read them.
    uint64_t discarded() const { return discarded_; }
    // Bytes the host had taken off the line by the last send: how one sees
    // that a program listens to a device that speaks unasked. Reckoned only
    // when sending, once the bytes sent before have reached the host's side.
    uint64_t readByHost() const { return hostRead_; }

private:
    PtyPort() = default;
    size_t unreadByHost() const;

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    uint64_t discarded_ = 0;
    uint64_t written_ = 0;
    uint64_t flushed_ = 0;
    uint64_t hostRead_ = 0;
};

}  // namespace zsim::term
