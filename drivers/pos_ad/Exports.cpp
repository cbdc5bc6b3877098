// The fifteen exported calls. Each reads the settings when none are in force, does its work on
// the device (or writes the journal, when that backend is chosen) and, with [POS] LOG=1, leaves
// one line in the run log.
#include "devices/pos_ad_library.h"

#include "Journal.h"
#include "core/Barcode.h"
#include "core/Bmp.h"
#include "core/EscPos.h"
#include "core/QrCode.h"
#include "core/Raster.h"
#include "core/Results.h"
#include "core/RunLogLine.h"
#include "win/Driver.h"
#include "win/Platform.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <string>

namespace {

const char kVersion[] = "ZantorAD 2.0.0";
static_assert(sizeof kVersion <= 20, "the caller's version buffer holds 19 characters and a NUL");

constexpr int kMaxCommandBytes = 64 * 1024;
constexpr size_t kLoggedTextBytes = 160;

std::mutex g_mutex;
Driver g_driver;

// A call as it is logged: its name and arguments, texts quoted (cut short for the run log, whole
// for the journal).
using CallText = std::function<std::string(size_t quotedBytes)>;

std::string Quote(const char* text, size_t limit)
{
    return runlog::Quote(text, limit);
}

std::string Describe(const Outcome& o)
{
    std::string text = std::to_string(o.code);
    const bool ok = o.code == result::kDone || o.code == result::kScaleOk || o.code == result::kDrawerOpen;
    text += ok ? " done" : " failed";
    if (!o.detail.empty())
        text += ": " + o.detail;
    return text;
}

// Runs one call under the library's lock. journalResult is what the journal backend answers.
int Run(const CallText& call, const std::function<Outcome(const PosAdConfig&)>& device,
    const std::function<int()>& journalResult)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Outcome outcome;
    PosAdConfig config;
    try {
        config = g_driver.Config();
        if (config.backend == "journal") {
            outcome.code = journalResult();
            journal::Append(config.journal, call(SIZE_MAX), outcome.code);
        } else {
            outcome = device(config);
        }
    } catch (const std::bad_alloc&) {
        outcome = Outcome::Failed(result::kBadInput, "out of memory");
    } catch (...) {
        outcome = Outcome::Failed(result::kBadInput, "internal error");
    }
    if (config.runLog == 1) {
        const runlog::Stamp now = platform::Now();
        platform::AppendRunLog(now, runlog::Line(now, call(kLoggedTextBytes), Describe(outcome), outcome.sent));
    }
    return outcome.code;
}

int Done()
{
    return result::kDone;
}

Outcome FromEncoded(const Encoded& encoded, const std::function<Outcome(const Bytes&)>& next)
{
    if (!encoded.ok())
        return Outcome::Failed(result::kBadInput, encoded.error);
    return next(encoded.bytes);
}

Outcome Queue(const Bytes& bytes)
{
    return g_driver.Queue(bytes);
}
Outcome Send(const Bytes& bytes)
{
    return g_driver.Send(bytes);
}

Outcome DecodeBitmap(const char* path, const PosAdConfig& config, Bytes& printerBytes)
{
    if (!path || !*path)
        return Outcome::Failed(result::kBadFile, "no file name");
    image::Rgba rgba;
    std::string error;
    {
        Bytes file;
        if (!platform::ReadFileBytes(path, file, error))
            return Outcome::Failed(result::kBadFile, error);
        bmp::Header header;
        switch (bmp::Inspect(file.data(), file.size(), header, error)) {
        case bmp::Check::Bad: return Outcome::Failed(result::kBadFile, error);
        case bmp::Check::NeedsPlatformDecoder:
            if (!platform::DecodeWithSystem(path, rgba, error))
                return Outcome::Failed(result::kBadFile, error);
            break;
        case bmp::Check::Usable:
            if (!bmp::Decode(file.data(), file.size(), rgba, error))
                return Outcome::Failed(result::kBadFile, error);
            break;
        }
    }
    const Encoded encoded = raster::Encode(rgba, config.density, config.paperWidth, config.lineSpace);
    if (!encoded.ok())
        return Outcome::Failed(result::kBadFile, encoded.error);
    printerBytes = encoded.bytes;
    Outcome described;
    described.detail = std::to_string(rgba.width) + "x" + std::to_string(rgba.height) + " BMP in ESC * mode " +
        std::to_string(raster::ModeForDensity(config.density).escStar);
    return described;
}

Outcome Board(uint8_t command, std::string_view payload, board::Frame& answer, int& scaleCode)
{
    return g_driver.BoardRequest(command, payload, answer, scaleCode);
}

// Zero, tare and clear tare: the board answers '0' when it did it.
int ScaleCommand(const char* name, uint8_t command)
{
    return Run([name](size_t) { return std::string(name) + "()"; },
        [command](const PosAdConfig&) {
            board::Frame answer;
            int scaleCode = result::kScaleOk;
            Outcome o = Board(command, {}, answer, scaleCode);
            if (o.code != result::kDone)
                return Outcome::Failed(scaleCode, o.detail);
            uint8_t value = 0;
            std::string error;
            if (!board::ParseSingle(answer, value, error))
                return Outcome::Failed(result::kScaleBadAnswer, error);
            if (value != '0')
                return Outcome::Failed(
                    result::kScaleRefused, std::string("the board answered '") + static_cast<char>(value) + "'");
            o.code = result::kScaleOk;
            return o;
        },
        [] { return result::kScaleOk; });
}

} // namespace

extern "C" {

int POSAD_API GetDllVersion(char* version)
{
    return Run([](size_t) { return std::string("GetDllVersion()"); },
        [version](const PosAdConfig&) {
            if (!version)
                return Outcome::Failed(result::kBadInput, "no buffer");
            std::memcpy(version, kVersion, sizeof kVersion);
            Outcome o;
            o.detail = kVersion;
            return o;
        },
        [version] {
            if (version)
                std::memcpy(version, kVersion, sizeof kVersion);
            return version ? result::kDone : result::kBadInput;
        });
}

int POSAD_API BeginPrint(int lines)
{
    return Run([lines](size_t) { return "BeginPrint(" + std::to_string(lines) + ")"; },
        [lines](const PosAdConfig&) { return FromEncoded(escpos::Feed(lines), Send); }, Done);
}

int POSAD_API PrintText(const char* text, int mode)
{
    return Run([text, mode](size_t n) { return "PrintText(" + Quote(text, n) + ", " + std::to_string(mode) + ")"; },
        [text](const PosAdConfig&) {
            if (!text)
                return Outcome::Failed(result::kBadInput, "no text");
            return FromEncoded(escpos::Text(text), Queue);
        },
        Done);
}

int POSAD_API PrintBarCode(const char* digits, int width, int height, int textPosition)
{
    return Run(
        [=](size_t n) {
            return "PrintBarCode(" + Quote(digits, n) + ", " + std::to_string(width) + ", " + std::to_string(height) +
                ", " + std::to_string(textPosition) + ")";
        },
        [=](const PosAdConfig& config) {
            if (!digits)
                return Outcome::Failed(result::kBadInput, "no barcode text");
            return FromEncoded(barcode::Encode(digits, width, height, textPosition, config.paperWidth), Queue);
        },
        Done);
}

int POSAD_API PrintQrCode(const char* content, int moduleSize)
{
    return Run([=](size_t n) { return "PrintQrCode(" + Quote(content, n) + ", " + std::to_string(moduleSize) + ")"; },
        [=](const PosAdConfig& config) {
            if (!content)
                return Outcome::Failed(result::kBadInput, "no QR text");
            return FromEncoded(qr::Encode(content, moduleSize, config.paperWidth), Queue);
        },
        Done);
}

int POSAD_API PrintBitmapFile(const char* path, int mode)
{
    return Run([=](size_t n) { return "PrintBitmapFile(" + Quote(path, n) + ", " + std::to_string(mode) + ")"; },
        [=](const PosAdConfig& config) {
            Bytes bytes;
            Outcome decoded = DecodeBitmap(path, config, bytes);
            if (decoded.code != result::kDone)
                return decoded;
            Outcome sent = Send(bytes);
            sent.detail = decoded.detail + (sent.detail.empty() ? "" : "; " + sent.detail);
            return sent;
        },
        Done);
}

int POSAD_API PrintCommand(const char* bytes, int length)
{
    const bool usable = bytes && length >= 0 && length <= kMaxCommandBytes;
    return Run(
        [=](size_t) {
            return "PrintCommand(" + (usable ? journal::Hex(bytes, length) : std::string(bytes ? "..." : "NULL")) +
                ", " + std::to_string(length) + ")";
        },
        [=](const PosAdConfig&) {
            if (!usable)
                return Outcome::Failed(
                    result::kBadInput, "no bytes, or a length outside 0.." + std::to_string(kMaxCommandBytes));
            return Queue(Bytes(bytes, bytes + length));
        },
        Done);
}

int POSAD_API CutPaper(void)
{
    return Run(
        [](size_t) { return std::string("CutPaper()"); }, [](const PosAdConfig&) { return Send(escpos::Cut()); }, Done);
}

int POSAD_API OpenCashDrawerEx(void)
{
    return Run([](size_t) { return std::string("OpenCashDrawerEx()"); },
        [](const PosAdConfig& config) {
            if (config.drawerControl != 0)
                return Send(escpos::DrawerPulse());
            board::Frame answer;
            int scaleCode = 0;
            const char type = board::BoardTypeCode(config.boardType);
            Outcome o = Board(board::kOpenDrawer, std::string_view(&type, 1), answer, scaleCode);
            if (o.code != result::kDone)
                return o;
            uint8_t value = 0;
            std::string error;
            if (!board::ParseSingle(answer, value, error))
                return Outcome::Failed(result::kNoAnswer, error);
            if (value != '0')
                return Outcome::Failed(
                    result::kRefused, std::string("the board answered '") + static_cast<char>(value) + "'");
            o.detail = "main board, type " + std::string(1, type);
            return o;
        },
        Done);
}

int POSAD_API GetCashDrawerStatus(void)
{
    return Run([](size_t) { return std::string("GetCashDrawerStatus()"); },
        [](const PosAdConfig& config) {
            if (config.drawerControl != 0) {
                uint8_t status = 0;
                Outcome o = g_driver.PrinterStatus(status);
                if (o.code != result::kDone)
                    return o;
                const bool open = escpos::DrawerOpen(status, config.drawerOpenHigh != 0);
                o.code = open ? result::kDrawerOpen : result::kDrawerClosed;
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", status);
                o.detail = std::string(open ? "open" : "closed") + " (printer status " + hex + ")";
                return o;
            }
            board::Frame answer;
            int scaleCode = 0;
            Outcome o = Board(board::kDrawerState, {}, answer, scaleCode);
            if (o.code != result::kDone)
                return o;
            uint8_t value = 0;
            std::string error;
            if (!board::ParseSingle(answer, value, error) || (value != '0' && value != '1'))
                return Outcome::Failed(
                    result::kNoAnswer, error.empty() ? "drawer state is neither '0' nor '1'" : error);
            o.code = value == '0' ? result::kDrawerOpen : result::kDrawerClosed;
            o.detail = value == '0' ? "open (main board)" : "closed (main board)";
            return o;
        },
        [] { return result::kDrawerClosed; });
}

int POSAD_API ClosePrinterEx(void)
{
    const int code = Run([](size_t) { return std::string("ClosePrinterEx()"); },
        [](const PosAdConfig&) { return g_driver.CloseAll(); }, Done);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_driver.CloseAll(); // the journal backend too forgets its settings
    return code;
}

int POSAD_API send_zero(void)
{
    return ScaleCommand("send_zero", board::kZero);
}

int POSAD_API read_standard(char* record)
{
    return Run([record](size_t) { return std::string("read_standard(") + (record ? "record" : "NULL") + ")"; },
        [record](const PosAdConfig&) {
            if (!record)
                return Outcome::Failed(result::kScaleBadArgument, "no record");
            board::Frame answer;
            int scaleCode = 0;
            Outcome o = Board(board::kWeight, {}, answer, scaleCode);
            if (o.code != result::kDone)
                return Outcome::Failed(scaleCode, o.detail);
            board::Reading reading;
            std::string error;
            if (!board::ParseReading(answer, reading, error))
                return Outcome::Failed(result::kScaleBadAnswer, error);
            board::FillRecord(reading, record);
            o.code = result::kScaleOk;
            o.detail = "\"" + std::string(record, 16) + "\"";
            return o;
        },
        [record] {
            if (!record)
                return result::kScaleBadArgument;
            std::memcpy(record, "3  0.000,  0.000", 16); // stable, at zero, no tare
            return result::kScaleOk;
        });
}

int POSAD_API send_tare(char*)
{
    return ScaleCommand("send_tare", board::kTare);
}

int POSAD_API clear_tare(char*)
{
    return ScaleCommand("clear_tare", board::kClearTare);
}

} // extern "C"
