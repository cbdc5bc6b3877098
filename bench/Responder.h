// A device for the benchmarks, on the other end of a COM port: answers each request as soon as
// the request is complete, so a call's time is the library's and the line's.
#pragma once

#include "support/SerialPeer.h"

#include <atomic>
#include <string>
#include <utility>
#include <thread>

class Responder {
public:
    Responder(int com, std::string request, std::string answer)
        : m_peer(com), m_request(std::move(request)), m_answer(std::move(answer))
    {
        m_thread = std::thread([this] {
            std::string pending;
            while (!m_stop) {
                pending += m_peer.ReadUntil([](const std::string& s) { return !s.empty(); }, 50);
                for (size_t at; (at = pending.find(m_request)) != std::string::npos;) {
                    pending.erase(0, at + m_request.size());
                    m_peer.Send(m_answer);
                }
            }
        });
    }
    ~Responder()
    {
        m_stop = true;
        m_thread.join();
    }
    bool Ok() const { return m_peer.Connected(); }

private:
    SerialPeer m_peer;
    std::string m_request, m_answer;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};
