#include "Session.h"

#include <chrono>

std::shared_ptr<Session> Session::Start(const PortSettings& settings, const std::atomic<OPO_ResultCallback>* callback)
{
    std::shared_ptr<Session> session(new Session);
    session->m_callback = callback;
    session->m_port = SerialPort::Open(settings);
    session->m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!session->m_port || !session->m_stop)
        return nullptr;

    // The thread keeps the library loaded while it runs, so a host that unloads the SDK with the
    // port still open does not pull the code from under it. What the thread is handed is made
    // first: nothing may throw while the extra reference to the library is held.
    auto handOver = std::make_unique<std::pair<std::shared_ptr<Session>, HMODULE>>(session, nullptr);
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&Session::ReaderMain)), &handOver->second))
        return nullptr;
    session->m_thread = ::CreateThread(nullptr, 0, &Session::ReaderMain, handOver.get(), 0, &session->m_threadId);
    if (!session->m_thread) {
        ::FreeLibrary(handOver->second);
        return nullptr;
    }
    handOver.release(); // the thread's now
    return session;
}

Session::~Session()
{
    // The port closes with m_port, on whichever thread lets go of the session last.
    if (m_thread)
        ::CloseHandle(m_thread);
    if (m_stop)
        ::CloseHandle(m_stop);
}

bool Session::Stop()
{
    m_stopping = true;
    ::SetEvent(m_stop);
    if (OnReaderThread())
        return true;
    return ::WaitForSingleObject(m_thread, kStopTimeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI Session::ReaderMain(void* parameter)
{
    auto* handOver = static_cast<std::pair<std::shared_ptr<Session>, HMODULE>*>(parameter);
    std::shared_ptr<Session> session = std::move(handOver->first);
    const HMODULE self = handOver->second;
    delete handOver;
    try {
        session->Run();
    } catch (...) {
        // Out of memory while reading: the connection goes quiet rather than the process down.
    }
    session.reset(); // the last owner closes the port
    ::FreeLibraryAndExitThread(self, 0);
}

void Session::Run()
{
    char buffer[512];
    for (;;) {
        const int count = m_port->Read(buffer, sizeof buffer, m_stop);
        if (count == SerialPort::kStopped)
            return;
        if (count == SerialPort::kFailed) {
            // A port that fails (a device unplugged) is retried without spinning.
            if (::WaitForSingleObject(m_stop, SerialPort::kPollMs) == WAIT_OBJECT_0)
                return;
            continue;
        }
        m_assembler.Feed(buffer, static_cast<size_t>(count), [this](const std::string& line) { Handle(line); });
    }
}

void Session::Handle(const std::string& line)
{
    const scale_protocol::Line kind = scale_protocol::Classify(line);
    switch (kind.kind) {
    case scale_protocol::LineKind::Reading: {
        if (m_stopping)
            return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lastReading = line;
            ++m_readings;
        }
        m_changed.notify_all();
        // No lock is held here, so the callback may call back into the SDK.
        if (const OPO_ResultCallback callback = m_callback->load())
            callback(line.c_str(), static_cast<int>(line.size()));
        break;
    }
    case scale_protocol::LineKind::Accepted:
    case scale_protocol::LineKind::Refused: {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (kind.command != m_awaited || m_answer != -1)
            return;
        m_answer = kind.kind == scale_protocol::LineKind::Accepted ? 1 : 0;
        m_changed.notify_all();
        break;
    }
    case scale_protocol::LineKind::Other: break;
    }
}

bool Session::Command(char letter, const std::string& argument)
{
    if (OnReaderThread())
        return false; // the answer could only be read by this very thread
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_awaited = letter;
        m_answer = -1;
    }
    bool accepted = false;
    if (m_port->Write(scale_protocol::CommandLine(letter, argument), kWriteTimeoutMs)) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(kAnswerTimeoutMs), [this] { return m_answer != -1; });
        accepted = m_answer == 1;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_awaited = 0;
    return accepted;
}

bool Session::RequestReading(std::string& text)
{
    if (OnReaderThread())
        return false;
    unsigned long before = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        before = m_readings;
    }
    if (!m_port->Write(scale_protocol::CommandLine('R'), kWriteTimeoutMs))
        return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(kAnswerTimeoutMs), [&] { return m_readings != before; }))
        return false;
    text = m_lastReading;
    return true;
}

bool Session::LastReading(std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_readings == 0)
        return false;
    text = m_lastReading;
    return true;
}
