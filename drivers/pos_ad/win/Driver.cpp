#include "Driver.h"

#include "Bounds.h"
#include "Platform.h"

#include "drivers/pos_ad/core/EscPos.h"

#include <windows.h>

namespace {

// A job grows by PrintText and friends until BeginPrint; past this it goes out early.
constexpr size_t kMaxQueuedBytes = 1024 * 1024;

std::string ByteCount(size_t n)
{
    return std::to_string(n) + " bytes";
}

} // namespace

const PosAdConfig& Driver::Config()
{
    if (!m_config)
        m_config = platform::LoadConfig();
    return *m_config;
}

Outcome Driver::OpenPrinter()
{
    if (m_printer)
        return {};
    std::string error;
    m_printer = OpenLink(PrinterPort(Config()), error);
    if (!m_printer)
        return Outcome::Failed(Fault::NoPort, error);
    m_printerNew = true;
    return {};
}

Outcome Driver::Queue(const Bytes& bytes)
{
    m_job.insert(m_job.end(), bytes.begin(), bytes.end());
    if (m_job.size() > kMaxQueuedBytes)
        return Send({});
    Outcome queued;
    queued.detail = "queued " + ByteCount(bytes.size()) + ", job " + ByteCount(m_job.size());
    return queued;
}

Outcome Driver::Send(const Bytes& bytes)
{
    Bytes all;
    all.swap(m_job);
    Outcome opened = OpenPrinter();
    if (!opened.ok()) {
        if (!all.empty())
            opened.detail += "; dropped the job's " + ByteCount(all.size());
        return opened;
    }
    if (m_printerNew) {
        const Bytes init = escpos::Initialize(Config().lineSpace);
        all.insert(all.begin(), init.begin(), init.end());
    }
    all.insert(all.end(), bytes.begin(), bytes.end());

    Outcome outcome;
    std::string error;
    if (!m_printer->Write(all.data(), all.size(), outcome.sent, error)) {
        m_printer.reset(); // in an unknown state: the next call starts afresh
        outcome.fault = Fault::Stalled;
        outcome.detail = PrinterPort(Config()).name + " took " + std::to_string(outcome.sent) + " of " +
            ByteCount(all.size()) + ": " + error;
        return outcome;
    }
    m_printerNew = false;
    return outcome;
}

Outcome Driver::PrinterStatus(uint8_t& status)
{
    Outcome outcome = OpenPrinter();
    if (!outcome.ok())
        return outcome;
    m_printer->DiscardInput();
    const Bytes request = escpos::DrawerStatusRequest();
    std::string error;
    if (!m_printer->Write(request.data(), request.size(), outcome.sent, error)) {
        m_printer.reset();
        return Outcome::Failed(Fault::Stalled, error);
    }
    const ULONGLONG deadline = ::GetTickCount64() + bounds::kStatusMs;
    for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
        uint8_t answer[16];
        size_t got = 0;
        if (!m_printer->Read(answer, sizeof answer, static_cast<unsigned>(deadline - now), got, error)) {
            m_printer.reset();
            return Outcome::Failed(Fault::NoAnswer, error);
        }
        for (size_t i = 0; i < got; ++i) {
            if (escpos::IsPrinterStatus(answer[i])) {
                status = answer[i];
                return outcome;
            }
        }
    }
    outcome.fault = Fault::NoAnswer;
    outcome.detail = "no status byte from the printer within " + std::to_string(bounds::kStatusMs) + " ms";
    return outcome;
}

Outcome Driver::CloseAll()
{
    Outcome outcome;
    if (!m_job.empty() && m_config)
        outcome = Send({});
    m_job.clear();
    m_printer.reset();
    m_board.reset();
    m_config.reset();
    return outcome;
}

Outcome Driver::BoardRequest(uint8_t command, std::string_view payload, board::Frame& answer)
{
    if (!m_board) {
        std::string error;
        m_board = OpenLink(BoardPort(Config()), error);
        if (!m_board)
            return Outcome::Failed(Fault::NoPort, error);
    }
    const Bytes request = board::Build(command, payload);
    m_board->DiscardInput();
    Outcome outcome;
    std::string error;
    if (!m_board->Write(request.data(), request.size(), outcome.sent, error)) {
        m_board.reset();
        return Outcome::Failed(Fault::Stalled, "board request not sent: " + error);
    }

    Bytes received;
    const ULONGLONG deadline = ::GetTickCount64() + bounds::kBoardAnswerMs;
    std::string rejected;
    for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
        uint8_t chunk[256];
        size_t got = 0;
        if (!m_board->Read(chunk, sizeof chunk, static_cast<unsigned>(deadline - now), got, error)) {
            m_board.reset();
            return Outcome::Failed(Fault::NoAnswer, error);
        }
        received.insert(received.end(), chunk, chunk + got);
        for (;;) {
            size_t consumed = 0;
            const board::Scan scan = board::Find(received.data(), received.size(), answer, consumed);
            received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(consumed));
            if (scan == board::Scan::NeedMore)
                break;
            if (scan == board::Scan::Garbage) {
                rejected = "bytes that are no frame";
                continue;
            }
            if (answer.command == command)
                return outcome;
            if (answer.command == board::kNak)
                return Outcome::Failed(Fault::Refused, "the board refused the request");
            rejected = std::string("an answer to '") + static_cast<char>(answer.command) + "'";
        }
    }
    return Outcome::Failed(rejected.empty() ? Fault::NoAnswer : Fault::BadAnswer,
        "no answer from the board within " + std::to_string(bounds::kBoardAnswerMs) + " ms" +
            (rejected.empty() ? "" : " (only " + rejected + ")"));
}

Outcome Driver::BoardCommand(uint8_t command, std::string_view payload)
{
    board::Frame answer;
    Outcome outcome = BoardRequest(command, payload, answer);
    if (!outcome.ok())
        return outcome;
    uint8_t value = 0;
    std::string error;
    if (!board::ParseSingle(answer, value, error))
        return Outcome::Failed(Fault::BadAnswer, error);
    if (value != '0')
        return Outcome::Failed(Fault::Refused, std::string("the board answered '") + static_cast<char>(value) + "'");
    return outcome;
}
