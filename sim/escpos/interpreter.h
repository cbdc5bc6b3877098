// The ESC/POS byte-stream interpreter. Bytes may be fed in pieces of any
// size, split anywhere (also inside a command or a two-byte character);
// the result is the same as feeding them at once.
//
// Not thread-safe: feed(), finishJob() and statusChanged() must be called
// from one thread at a time. Callbacks run inside those calls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "escpos/command_frame.h"
#include "escpos/device_state.h"
#include "escpos/image_assembler.h"
#include "escpos/job_report.h"
#include "escpos/line_composer.h"
#include "escpos/pdf417.h"
#include "escpos/print_modes.h"
#include "escpos/print_sink.h"

namespace zsim::escpos {

struct InterpreterConfig {
    int paperWidth = 576;  // printable dots: 384 (58 mm) or 576 (80 mm)
    bool chineseModeAtReset = true;
    DrawerSwitch drawerSwitch = DrawerSwitch::OpenIsLow;
    int maxImageRows = 4800;                // stored graphics, per image
    size_t maxStoredImageBytes = 8u << 20;  // all stored images together
};

struct InterpreterHooks {
    // Bytes for the host (status answers). Must not block for long.
    std::function<void(const uint8_t*, size_t)> reply;
    std::function<void(const DrawerPulse&)> drawerPulse;
};

class Interpreter {
public:
    Interpreter(const InterpreterConfig& config, PrintSink& sink, const DeviceState& device, InterpreterHooks hooks);

    void feed(const uint8_t* data, size_t size);
    // The host's job is over: prints what is still in the line buffer,
    // records a command cut short, and readies the parser for a new job.
    // Print modes persist, as they do in a printer between jobs.
    void finishJob();
    // Sends an automatic status message if the host enabled them (GS a).
    void statusChanged();

    JobReport& report() { return report_; }
    // Hands over the report of the job so far and starts a new one.
    JobReport takeReport();
    const PrintModes& modes() const { return modes_; }
    // No command, image data or two-byte character is half read: ending the
    // job now loses nothing.
    bool betweenCommands() const { return command_.empty() && !inData_ && multibyte_.empty(); }

private:
    void feedBytes(const uint8_t* p, size_t n);
    void plainByte(uint8_t b);
    void evaluateCommand();
    void flushMultibyte();
    void printChar(char32_t cp, bool twoByte);
    void singleByteChar(uint8_t b);

    // commands.cpp
    void execute(const Frame& f, const std::vector<uint8_t>& c);
    void executeEsc(const std::vector<uint8_t>& c);
    void executeGs(const Frame& f, const std::vector<uint8_t>& c);
    void executeFs(const std::vector<uint8_t>& c);
    void executeDle(const std::vector<uint8_t>& c);
    void reset();
    void cut(CutKind kind, int feedFirst);
    void printAndFeed(int dots);
    void sendReply(std::vector<uint8_t> bytes);
    void pulseDrawer(int pin, int onMs, int offMs, const char* command);
    void unsupportedOnce(const std::string& name, const std::string& why);

    // data_commands.cpp
    void beginData(const Frame& f);
    size_t consumeData(const uint8_t* p, size_t n);
    void endData(bool complete);
    void graphicsHeader();
    void graphicsData(const uint8_t* p, size_t n);
    void graphicsEnd();
    void symbolEnd();
    size_t userCharsData(const uint8_t* p, size_t n);
    // user_chars.cpp
    void defineUserChar(int code, int width, const std::vector<uint8_t>& columns);
    std::shared_ptr<const Bitmap> userChar(uint8_t b) const;
    void deleteUserChar(int code);
    size_t nvImagesData(const uint8_t* p, size_t n);
    void flushRaster();
    void printStoredImage(const Bitmap& image, int scaleX, int scaleY);
    void storeImage(std::map<int, Bitmap>& store, int key, Bitmap image);

    // symbols.cpp
    void printBarcode(uint8_t m, const std::vector<uint8_t>& data);
    void printQr();
    // A two-dimensional symbol (columns x rows modules, row-major, 1 = dark) as one block, or a
    // note when it is wider than the print area.
    void printModules(const char* what, const char* type, const std::vector<uint8_t>& data,
                      const std::vector<uint8_t>& dark, int columns, int rows, int moduleWidth, int moduleHeight);
    void addHri(Band& band, const std::string& text, int y, int blockWidth);

    // pdf417_commands.cpp
    void pdf417Function(const std::vector<uint8_t>& d);
    void pdf417SizeReply();
    void printPdf417();

    InterpreterConfig config_;
    PrintSink& sink_;
    const DeviceState& device_;
    InterpreterHooks hooks_;
    JobReport report_;
    PrintModes modes_;
    LineComposer line_;

    uint64_t offset_ = 0;  // bytes of this job seen
    uint64_t commandStart_ = 0;
    std::vector<uint8_t> command_;  // header bytes of the command being read
    std::vector<uint8_t> multibyte_;
    uint64_t multibyteStart_ = 0;

    // Data phase of a command (ESC *, GS v 0, GS ( L, ...).
    bool inData_ = false;
    Frame frame_;
    uint64_t dataLeft_ = 0;
    std::vector<uint8_t> dataHead_;  // sub-header read at the start of the data
    std::vector<uint8_t> payload_;   // GS ( k payload (at most 64 KiB)
    RasterAssembler raster_;
    ColumnAssembler columns_;
    int rasterScaleX_ = 1;
    int gfxFunction_ = -1;
    int gfxPhase_ = 0;  // 0 reading its header, 1 image data, 2 skipping the rest
    uint64_t gfxImageLeft_ = 0;
    size_t storedImageBytes_ = 0;
    int nvImagesLeft_ = 0;
    int nvIndex_ = 0;
    int userCharsLeft_ = 0;
    uint64_t userCharSkip_ = 0;
    int userCharCode_ = 0;
    int userCharWidth_ = 0;
    std::vector<uint8_t> userCharBytes_;
    // Downloaded characters 32..126 of fonts A and B, and ESC % selecting them.
    std::array<std::array<std::shared_ptr<const Bitmap>, 95>, 2> userChars_;
    bool userCharsOn_ = false;

    // Barcode and symbol settings.
    int barHeight_ = 162;
    int barModule_ = 3;
    int hriPosition_ = 0;  // 0 none, 1 above, 2 below, 3 both
    FontKind hriFont_ = FontKind::A;
    int qrModule_ = 3;
    int qrLevel_ = 0;
    std::vector<uint8_t> qrData_;
    Pdf417Settings pdf417_;
    std::vector<uint8_t> pdfData_;

    // Images kept by the printer between commands.
    Bitmap graphicsBuffer_;
    std::map<int, Bitmap> nvGraphics_;
    std::map<int, Bitmap> downloadGraphics_;
    std::map<int, Bitmap> nvBitImages_;
    Bitmap downloadedBitImage_;

    uint8_t asbMask_ = 0;
    std::vector<std::string> onceNoted_;
};

}  // namespace zsim::escpos
