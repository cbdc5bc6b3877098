// One open connection to the scale: the port, the reader thread that turns received lines into
// readings and acknowledgements, the last reading, and the wait for an answer to a command.
#pragma once

#include "MvScalesSDK.h"
#include "PortSettings.h"
#include "Protocol.h"
#include "SerialPort.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

class Session {
public:
    // Bounds of the calls that wait on the scale.
    static constexpr DWORD kWriteTimeoutMs = 500;
    static constexpr DWORD kAnswerTimeoutMs = 1000;
    static constexpr DWORD kStopTimeoutMs = 1000;

    // Opens the port and starts the reader thread, which hands each reading to *callback as it is
    // at that moment. Null when the port cannot be opened or the thread cannot start.
    static std::shared_ptr<Session> Start(
        const PortSettings& settings, const std::atomic<OPO_ResultCallback>* callback);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Asks the reader thread to end and waits for it at most kStopTimeoutMs. True when it has
    // ended (the port is closed by then) or when asked from the reader thread itself, which then
    // ends as soon as the callback returns. Otherwise the thread closes the port when it ends.
    bool Stop();

    // Sends the command and waits for its acknowledgement: true only for an "A" answer.
    bool Command(char letter, const std::string& argument);
    // Sends a reading request and waits for the next reading.
    bool RequestReading(std::string& text);
    bool LastReading(std::string& text) const;

    bool OnReaderThread() const { return ::GetCurrentThreadId() == m_threadId; }

private:
    Session() = default;
    static DWORD WINAPI ReaderMain(void* parameter);
    void Run();
    void Handle(const std::string& line);

    std::unique_ptr<SerialPort> m_port;
    const std::atomic<OPO_ResultCallback>* m_callback = nullptr;
    HANDLE m_stop = nullptr;
    std::atomic<bool> m_stopping {false}; // no reading is handed on once a stop was asked for
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    scale_protocol::LineAssembler m_assembler; // reader thread only

    mutable std::mutex m_mutex; // guards what follows
    std::condition_variable m_changed;
    char m_awaited = 0; // the command letter whose answer is awaited, 0 for none
    int m_answer = -1; // -1 none yet, 1 accepted, 0 refused
    unsigned long m_readings = 0;
    std::string m_lastReading;
};
