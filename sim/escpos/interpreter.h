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

#include "escpos/command_table.h"
#include "escpos/device_state.h"
#include "escpos/image_assembler.h"
#include "escpos/job_report.h"
#include "escpos/line_composer.h"
#include "escpos/page_builder.h"
#include "escpos/pdf417.h"
#include "escpos/print_modes.h"
#include "escpos/print_sink.h"
#include "models/printer_models.h"

namespace zsim::escpos {

struct InterpreterConfig {
    // The printer played: fonts, code pages, symbols, identity. Never null.
    const models::PrinterModel* model = &models::defaultModel();
    int paperWidth = 576;            // printable dots: 384 (58 mm), 512, 576 (80 mm) ...
    bool chineseModeAtReset = true;  // for a model that starts in Chinese mode
    DrawerSwitch drawerSwitch = DrawerSwitch::OpenIsLow;
    int maxImageRows = 4800;                // stored graphics, per image
    size_t maxStoredImageBytes = 8u << 20;  // all stored images together
    // Real-time commands (DLE EOT, DLE ENQ, DLE DC4) are acted on where the
    // bytes are received (realtime()), so in the stream they only take
    // their length. Off, they act where the stream reaches them.
    bool realtimeOnReceipt = false;
    int pageModeHeight = 1662;  // how long a page in page mode may be, dots
};

struct InterpreterHooks {
    // Bytes for the host (status answers). Must not block for long.
    std::function<void(const uint8_t*, size_t)> reply;
    std::function<void(const DrawerPulse&)> drawerPulse;
    // An answer due once everything before it has been printed (GS ( H fn
    // 48); without this hook it goes out as reply at once.
    std::function<void(const uint8_t*, size_t)> replyWhenPrinted;
};

class Interpreter {
public:
    Interpreter(const InterpreterConfig& config, PrintSink& sink, const DeviceState& device, InterpreterHooks hooks);

    void feed(const uint8_t* data, size_t size);
    // The host's job is over: prints what is still in the line buffer,
    // records a command cut short, and readies the parser for a new job.
    // Print modes persist, as they do in a printer between jobs.
    void finishJob();
    // Sends an automatic status message if the host enabled them (GS a),
    // and the offline response (GS ( H fn 49) when the printer went offline.
    void statusChanged();
    // A real-time command as the receiving side found it, out of the
    // stream's order: DLE EOT n answers, DLE DC4 1 pulses the drawer, DLE
    // DC4 8 clears the print buffer and says so.
    void realtime(const Bytes& command);
    // Drops the line being composed and any command half read.
    void clearBuffers();

    JobReport& report() { return report_; }
    // Hands over the report of the job so far and starts a new one.
    JobReport takeReport();
    const PrintModes& modes() const { return modes_; }
    // No command, image data or two-byte character is half read: ending the
    // job now loses nothing.
    bool betweenCommands() const { return in_.command.empty() && !data_.reader && in_.multibyte.empty(); }

    // Every command this printer knows, one row each; rows whose key takes
    // any byte come after those that name it.
    static const std::vector<CommandRow>& commands();

private:
    // The families of the table, each in its own file.
    static std::vector<CommandRow> layoutCommands();    // layout_commands.cpp
    static std::vector<CommandRow> textCommands();      // text_commands.cpp
    static std::vector<CommandRow> userCharCommands();  // user_chars.cpp
    static std::vector<CommandRow> deviceCommands();    // device_commands.cpp
    static std::vector<CommandRow> imageCommands();     // image_commands.cpp
    static std::vector<CommandRow> symbolCommands();    // symbol_commands.cpp
    static std::vector<CommandRow> pageCommands();      // page_commands.cpp
    static const char* graphicsFunction(const uint8_t* data, size_t n);
    static const char* symbolFunction(const uint8_t* data, size_t n);

    // Where reading the input stands.
    struct Input {
        uint64_t offset = 0;  // bytes of this job seen
        uint64_t commandStart = 0;
        Bytes command;  // header bytes of the command being read
        Bytes multibyte;
        uint64_t multibyteStart = 0;
    };
    // The data after a header (ESC *, GS v 0, GS ( L, ...) and what it is
    // assembled into while it arrives.
    enum class GraphicsPart : uint8_t { Header, Image, Rest };
    struct DataPhase {
        const DataReader* reader = nullptr;  // null between commands
        std::string name;
        const Records* records = nullptr;
        uint64_t recordsLeft = 0;
        int record = 0;  // records finished
        size_t headLength = 0;
        Bytes head;  // the record's head
        uint64_t bodyLeft = 0;
        RasterAssembler raster;
        ColumnAssembler columns;
        Bytes payload;       // GS ( k (at most 64 KiB)
        Bytes graphicsHead;  // GS ( L: the function's own header, from m on
        GraphicsPart graphicsPart = GraphicsPart::Header;
        uint64_t graphicsImageLeft = 0;
    };
    // What the printer keeps between commands, also across ESC @.
    struct Stored {
        Bitmap graphicsBuffer;
        std::map<int, Bitmap> nvGraphics;
        std::map<int, Bitmap> downloadGraphics;
        std::map<int, Bitmap> nvBitImages;
        Bitmap downloadedBitImage;
        size_t imageBytes = 0;  // of the three stores together
        Bytes qrData;
        Bytes pdfData;
    };
    // Barcode and symbol settings, as ESC @ leaves them.
    struct SymbolSettings {
        int barHeight = 162;
        int barModule = 3;
        int hriPosition = 0;  // 0 none, 1 above, 2 below, 3 both
        FontKind hriFont = FontKind::A;
        int qrModule = 3;
        int qrLevel = 0;
        Pdf417Settings pdf417;
    };
    // Page mode: on or off, and the settings each mode keeps for itself.
    struct PageMode {
        bool on = false;
        // In page mode: the standard mode's settings, where commands that
        // only work in standard mode (ESC a, GS L, GS W, ESC {) leave theirs.
        PrintModes standard;
        // Out of page mode: page mode's own spacing (ESC SP, ESC 2, ESC 3, FS S).
        PrintModes page;
    };
    // Downloaded characters 32..126 of fonts A to E, and ESC % selecting them.
    struct UserChars {
        std::array<std::array<std::shared_ptr<const Bitmap>, 95>, kSingleByteFonts> patterns;
        bool on = false;
    };

    void feedBytes(const uint8_t* p, size_t n);
    void evaluateCommand();
    void plainByte(uint8_t b);
    void flushMultibyte();
    void printChar(char32_t cp, bool twoByte);
    void singleByteChar(uint8_t b);
    void reset();
    // For the report: "the Epson TM-T88V ...".
    std::string modelName() const { return "the " + config_.model->displayName(); }
    // Notes once that the model does not do what the command asks.
    void modelLacks(const std::string& command, const std::string& what);

    // data_phase.cpp
    void beginData(const CommandRow& row, const Extent& extent, std::string name);
    size_t consumeData(const uint8_t* p, size_t n);
    void startRecord();
    void settleData();
    void endData(bool complete);

    // What the handlers share (interpreter.cpp).
    void note(const std::string& text) { report_.note(in_.commandStart, text); }
    void unsupportedOnce(const std::string& name, const std::string& why);
    // The host's callbacks may throw; that is noted, and the printer carries on.
    template <class Call>
    void callBack(const char* which, Call call);
    void sendReply(std::vector<uint8_t> bytes);
    void replyWhenPrinted(std::vector<uint8_t> bytes);
    void pulseDrawer(int pin, int onMs, int offMs, const char* command);
    // Prints a line that has something on it before a block that needs the paper to itself.
    void finishLine();
    void cut(CutKind kind, int feedFirst);

    // page_commands.cpp
    void enterPageMode();
    void leavePageMode();
    // FF and ESC FF: the page goes to the paper; keep leaves it in place.
    void printPage(bool keep);
    // Where a command that only works in standard mode leaves its setting.
    PrintModes& standardModes() { return pageMode_.on ? pageMode_.standard : modes_; }

    // image_commands.cpp
    struct GraphicsFunction;
    static const GraphicsFunction& graphicsFunctionFor(const Bytes& head);
    static size_t takeColumns(Interpreter& p, const uint8_t* data, size_t n);
    // A stored image in column format, as GS * and FS q send it.
    void startColumns(int widthBytes, int bytesPerColumn);
    size_t graphicsData(const uint8_t* p, size_t n);
    void graphicsHeader(const GraphicsFunction& f);
    void graphicsEnd();
    void flushRaster();
    void printStoredImage(const Bitmap& image, int scaleX, int scaleY);
    void storeImage(std::map<int, Bitmap>& store, int key, Bitmap image);
    void dropImages(std::map<int, Bitmap>& store, int key);
    void dropImages(std::map<int, Bitmap>& store);

    // user_chars.cpp
    void defineUserChar(int code, int width, const Bitmap& columns);
    std::shared_ptr<const Bitmap> userChar(uint8_t b) const;

    // symbol_commands.cpp
    struct SymbolFunction;
    static const SymbolFunction* symbolFunctionFor(const uint8_t* d, size_t n);

    // symbols.cpp
    void printBarcode(uint8_t m, const std::vector<uint8_t>& data);
    void printQr();
    void printPdf417();
    // Also for a model that prints PDF417 with GS k (its module width from GS w).
    void printPdf417(const std::vector<uint8_t>& data, int moduleWidth, int rowHeight);
    void pdf417SizeReply();
    // A two-dimensional symbol (columns x rows modules, row-major, 1 = dark) as one block, or a
    // note when it is wider than the print area.
    void printModules(const char* what, const char* type, const std::vector<uint8_t>& data,
                      const std::vector<uint8_t>& dark, int columns, int rows, int moduleWidth, int moduleHeight);
    void addHri(Band& band, const std::string& text, int y, int blockWidth);

    InterpreterConfig config_;
    PrintSink& sink_;
    const DeviceState& device_;
    InterpreterHooks hooks_;
    JobReport report_;
    std::vector<std::string> onceNoted_;

    Input in_;
    PrintModes modes_;
    UserChars userChars_;
    LineComposer line_;  // the print position and the line being composed
    PageBuilder page_;
    PageMode pageMode_;
    DataPhase data_;
    Stored stored_;
    SymbolSettings symbols_;
    uint8_t asbMask_ = 0;      // the automatic status the host enabled (GS a)
    int offlineResponse_ = 0;  // GS ( H fn 49: 0 off, 1 on, 2 with the cause
    bool wasOffline_ = false;
};

}  // namespace zsim::escpos
