// The fifteen exported calls, each a shim over the encoders (core/) and the devices (win/). Each
// reads the settings when none are in force and, with [POS] LOG=1, leaves one line in the run log.
#include "devices/pos_ad_library.h"

#include "core/Barcode.h"
#include "core/EscPos.h"
#include "core/QrCode.h"
#include "core/Raster.h"
#include "core/Results.h"
#include "core/RunLogLine.h"
#include "win/Driver.h"
#include "win/Platform.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

namespace {

const char kVersion[] = "ZantorAD 2.0.0";
static_assert(sizeof kVersion <= 20, "a caller may give as few as 20 bytes");

constexpr int kMaxCommandBytes = 64 * 1024;

std::mutex g_mutex;
Driver g_driver;

std::string Describe(int code, const Outcome& o)
{
    std::string text = std::to_string(code) + (o.ok() ? " done" : " failed");
    if (!o.detail.empty())
        text += ": " + o.detail;
    return text;
}

// Runs one call under the library's lock and returns its result from the column of codes its kind
// of call answers in; call gives its name and arguments for the run log, and is asked only when
// the log is on. Both are taken as they are, not as std::function, which allocates a capture too
// large for its own buffer: nothing here may throw outside a guard.
template <typename Call, typename Work>
int Run(const Call& call, const Work& work, int result::Codes::*column = &result::Codes::print) noexcept
{
    std::unique_lock<std::mutex> lock(g_mutex, std::defer_lock);
    Outcome outcome;
    int runLog = 0;
    const char* failure = nullptr;
    try {
        lock.lock();
        const PosAdConfig config = g_driver.Config(); // a copy: ClosePrinterEx forgets the driver's
        runLog = config.runLog;
        outcome = work(config);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    } catch (...) {
        failure = "internal error";
    }
    if (failure)
        outcome.fault = Fault::Internal;
    const int code = outcome.ok() && outcome.answer ? *outcome.answer : result::For(outcome.fault).*column;
    if (runLog == 1) {
        try {
            if (failure)
                outcome.detail = failure;
            const runlog::Stamp now = platform::Now();
            platform::AppendRunLog(now, runlog::Line(now, call(), Describe(code, outcome), outcome.sent));
        } catch (...) {
            // The log must never turn a call into a failure, nor throw into the caller.
        }
    }
    return code;
}

auto Named(const char* name) noexcept
{
    return [name] { return std::string(name) + "()"; };
}

// Encoded bytes onto the job (or, with sendNow, to the printer), or why they cannot be printed.
Outcome Print(const Encoded& encoded, bool sendNow = false)
{
    if (!encoded.ok())
        return Outcome::Failed(Fault::BadInput, encoded.error);
    return sendNow ? g_driver.Send(encoded.bytes) : g_driver.Queue(encoded.bytes);
}

// Zero, tare and clear tare.
int ScaleCommand(const char* name, uint8_t command) noexcept
{
    return Run(
        Named(name), [command](const PosAdConfig&) { return g_driver.BoardCommand(command, {}); },
        &result::Codes::scale);
}

} // namespace

extern "C" {

int POSAD_API GetDllVersion(char* version) noexcept
{
    return Run(Named("GetDllVersion"), [version](const PosAdConfig&) {
        if (!version)
            return Outcome::Failed(Fault::BadInput, "no buffer");
        std::memcpy(version, kVersion, sizeof kVersion);
        Outcome o;
        o.detail = kVersion;
        return o;
    });
}

int POSAD_API BeginPrint(int lines) noexcept
{
    return Run([lines] { return "BeginPrint(" + std::to_string(lines) + ")"; },
        [lines](const PosAdConfig&) { return Print(escpos::Feed(lines), true); });
}

int POSAD_API PrintText(const char* text, int mode) noexcept
{
    return Run([text, mode] { return "PrintText(" + runlog::Quote(text) + ", " + std::to_string(mode) + ")"; },
        [text](const PosAdConfig&) {
            return text ? Print(escpos::Text(text)) : Outcome::Failed(Fault::BadInput, "no text");
        });
}

int POSAD_API PrintBarCode(const char* digits, int width, int height, int textPosition) noexcept
{
    return Run(
        [=] {
            return "PrintBarCode(" + runlog::Quote(digits) + ", " + std::to_string(width) + ", " +
                std::to_string(height) + ", " + std::to_string(textPosition) + ")";
        },
        [=](const PosAdConfig& config) {
            return digits ? Print(barcode::Encode(digits, width, height, textPosition, config.paperWidth))
                          : Outcome::Failed(Fault::BadInput, "no barcode text");
        });
}

int POSAD_API PrintQrCode(const char* content, int moduleSize) noexcept
{
    return Run([=] { return "PrintQrCode(" + runlog::Quote(content) + ", " + std::to_string(moduleSize) + ")"; },
        [=](const PosAdConfig& config) {
            return content ? Print(qr::Encode(content, moduleSize, config.paperWidth))
                           : Outcome::Failed(Fault::BadInput, "no QR text");
        });
}

int POSAD_API PrintBitmapFile(const char* path, int mode) noexcept
{
    return Run([=] { return "PrintBitmapFile(" + runlog::Quote(path) + ", " + std::to_string(mode) + ")"; },
        [=](const PosAdConfig& config) {
            if (!path || !*path)
                return Outcome::Failed(Fault::BadFile, "no file name");
            image::Rgba rgba;
            std::string error;
            if (!platform::DecodeBitmapFile(path, rgba, error))
                return Outcome::Failed(Fault::BadFile, error);
            const Encoded encoded = raster::Encode(rgba, config.density, config.paperWidth, config.lineSpace);
            if (!encoded.ok())
                return Outcome::Failed(Fault::BadFile, encoded.error);
            Outcome sent = g_driver.Send(encoded.bytes);
            const std::string picture = std::to_string(rgba.width) + "x" + std::to_string(rgba.height) +
                " BMP in ESC * mode " + std::to_string(raster::ModeForDensity(config.density).escStar);
            sent.detail = picture + (sent.detail.empty() ? "" : "; " + sent.detail);
            return sent;
        });
}

int POSAD_API PrintCommand(const char* bytes, int length) noexcept
{
    const bool usable = bytes && length >= 0 && length <= kMaxCommandBytes;
    return Run(
        [=] {
            return "PrintCommand(" + (usable ? runlog::Hex(bytes, length) : std::string(bytes ? "..." : "NULL")) +
                ", " + std::to_string(length) + ")";
        },
        [=](const PosAdConfig&) {
            if (!usable)
                return Outcome::Failed(
                    Fault::BadInput, "no bytes, or a length outside 0.." + std::to_string(kMaxCommandBytes));
            return g_driver.Queue(Bytes(bytes, bytes + length));
        });
}

int POSAD_API CutPaper(void) noexcept
{
    return Run(Named("CutPaper"), [](const PosAdConfig&) { return g_driver.Send(escpos::Cut()); });
}

int POSAD_API OpenCashDrawerEx(void) noexcept
{
    return Run(Named("OpenCashDrawerEx"), [](const PosAdConfig& config) {
        if (config.drawerControl != 0)
            return g_driver.Send(escpos::DrawerPulse());
        const char type = board::BoardTypeCode(config.boardType);
        Outcome o = g_driver.BoardCommand(board::kOpenDrawer, std::string_view(&type, 1));
        if (o.ok())
            o.detail = "main board, type " + std::string(1, type);
        return o;
    });
}

int POSAD_API GetCashDrawerStatus(void) noexcept
{
    return Run(Named("GetCashDrawerStatus"), [](const PosAdConfig& config) {
        if (config.drawerControl != 0) {
            uint8_t status = 0;
            Outcome o = g_driver.PrinterStatus(status);
            if (!o.ok())
                return o;
            const bool open = escpos::DrawerOpen(status, config.drawerOpenHigh != 0);
            o.answer = open ? result::kDrawerOpen : result::kDrawerClosed;
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", status);
            o.detail = std::string(open ? "open" : "closed") + " (printer status " + hex + ")";
            return o;
        }
        board::Frame answer;
        Outcome o = g_driver.BoardRequest(board::kDrawerState, {}, answer);
        if (!o.ok())
            return o;
        uint8_t value = 0;
        std::string error;
        if (!board::ParseSingle(answer, value, error) || (value != '0' && value != '1'))
            return Outcome::Failed(Fault::BadAnswer, error.empty() ? "drawer state is neither '0' nor '1'" : error);
        o.answer = value == '0' ? result::kDrawerOpen : result::kDrawerClosed;
        o.detail = value == '0' ? "open (main board)" : "closed (main board)";
        return o;
    });
}

int POSAD_API ClosePrinterEx(void) noexcept
{
    return Run(Named("ClosePrinterEx"), [](const PosAdConfig&) { return g_driver.CloseAll(); });
}

int POSAD_API send_zero(void) noexcept
{
    return ScaleCommand("send_zero", board::kZero);
}

int POSAD_API read_standard(char* record) noexcept
{
    return Run([record] { return std::string("read_standard(") + (record ? "record" : "NULL") + ")"; },
        [record](const PosAdConfig&) {
            if (!record)
                return Outcome::Failed(Fault::BadInput, "no record");
            board::Frame answer;
            Outcome o = g_driver.BoardRequest(board::kWeight, {}, answer);
            if (!o.ok())
                return o;
            board::Reading reading;
            std::string error;
            if (!board::ParseReading(answer, reading, error))
                return Outcome::Failed(Fault::BadAnswer, error);
            board::FillRecord(reading, record);
            o.detail = "\"" + std::string(record, 16) + "\"";
            return o;
        },
        &result::Codes::scale);
}

int POSAD_API send_tare(char*) noexcept
{
    return ScaleCommand("send_tare", board::kTare);
}

int POSAD_API clear_tare(char*) noexcept
{
    return ScaleCommand("clear_tare", board::kClearTare);
}

} // extern "C"
