#include "escpos/interpreter.h"

#include <algorithm>
#include <exception>

#include "escpos/text_decoder.h"

namespace zsim::escpos {

namespace {
// Longest header the table can ask for (GS k form 1 with 255 data bytes,
// FS 2 with its 72-byte pattern); anything longer is a table bug.
constexpr size_t kMaxHeader = 300;
}  // namespace

const std::vector<CommandRow>& Interpreter::commands() {
    static const std::vector<CommandRow> table = [] {
        std::vector<CommandRow> all;
        for (auto family : {layoutCommands, textCommands, userCharCommands, deviceCommands, imageCommands,
                            symbolCommands, pageCommands}) {
            std::vector<CommandRow> rows = family();
            all.insert(all.end(), rows.begin(), rows.end());
        }
        std::stable_partition(all.begin(), all.end(), [](const CommandRow& r) { return !r.key.takesAnyByte(); });
        return all;
    }();
    return table;
}

Interpreter::Interpreter(const InterpreterConfig& config, PrintSink& sink, const DeviceState& device,
                         InterpreterHooks hooks)
    : config_(config),
      sink_(sink),
      device_(device),
      hooks_(std::move(hooks)),
      line_(sink),
      page_(config.paperWidth, config.pageModeHeight, [this](const std::string& text) { note(text); }) {
    reset();
    wasOffline_ = offline(device_.status());
}

void Interpreter::reset() {
    const models::PrinterModel& model = *config_.model;
    // The page and its settings go too, and the printer is back in standard mode.
    line_.setSink(sink_, false);
    page_.clear();
    page_.defaultArea();
    page_.setDirection(PageDirection::LeftToRight);
    pageMode_ = PageMode();
    modes_ = PrintModes();
    modes_.areaWidth = config_.paperWidth;
    modes_.chineseMode = config_.chineseModeAtReset && model.twoByteAtPowerUp;
    modes_.fonts.clear();
    for (const models::Font& f : model.fonts)
        if (modes_.fonts.size() < kSingleByteFonts) modes_.fonts.push_back({f.width, f.height});
    if (modes_.fonts.empty()) modes_.fonts.push_back({12, 24});
    const models::CodePageTable* table = models::codePageFor(model, 0);
    if (!table) table = models::codePageNamed("cp437");
    modes_.codeTable = table ? table->chars : nullptr;
    symbols_ = SymbolSettings();
    userChars_ = UserChars();
}

void Interpreter::feed(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    report_.bytes += size;
    try {
        feedBytes(data, size);
    } catch (const std::exception& e) {
        // Nothing the host sends may take the printer down; drop the
        // command in hand and carry on with the next byte.
        report_.note(in_.offset, std::string("internal error, command dropped: ") + e.what());
        in_.command.clear();
        data_.reader = nullptr;
    }
}

void Interpreter::clearBuffers() {
    in_.command.clear();
    in_.multibyte.clear();
    data_.reader = nullptr;
    data_.payload.clear();
    line_.clear();
    page_.clear();
}

void Interpreter::feedBytes(const uint8_t* p, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (data_.reader) {
            const size_t used = consumeData(p + i, n - i);
            i += used;
            in_.offset += used;
            continue;
        }
        const uint8_t b = p[i++];
        // Every control code starts a command, known or not.
        if (in_.command.empty() && b >= 0x20) {
            plainByte(b);
            ++in_.offset;
            continue;
        }
        if (in_.command.empty()) {
            flushMultibyte();
            in_.commandStart = in_.offset;
        }
        in_.command.push_back(b);
        ++in_.offset;
        evaluateCommand();
    }
}

void Interpreter::evaluateCommand() {
    const Located at = locate(in_.command.data(), in_.command.size());
    switch (at.extent.fit) {
    case Fit::NeedMore:
        if (in_.command.size() > kMaxHeader) {
            report_.unknown(in_.commandStart, in_.command);
            in_.command.clear();
        }
        return;
    case Fit::Whole: {
        const CommandRow& row = *at.row;
        std::string name = spell(in_.command.data(), row.key.length);
        report_.command(name);
        if (row.data) {
            beginData(row, at.extent, std::move(name));
            return;
        }
        Bytes c;
        c.swap(in_.command);
        if (row.run) row.run(*this, c);
        return;
    }
    case Fit::BadParameter:
    case Fit::NoCommand: {
        const size_t len = std::min(at.extent.header, in_.command.size());
        report_.unknown(in_.commandStart, Bytes(in_.command.begin(), in_.command.begin() + len));
        // Bytes after the skipped part start over as fresh input.
        Bytes rest(in_.command.begin() + len, in_.command.end());
        in_.command.clear();
        in_.offset -= rest.size();
        feedBytes(rest.data(), rest.size());
        return;
    }
    }
}

void Interpreter::plainByte(uint8_t b) {
    if (modes_.chineseMode && (!in_.multibyte.empty() || (b >= 0x81 && b <= 0xFE))) {
        if (in_.multibyte.empty()) in_.multibyteStart = in_.offset;
        in_.multibyte.push_back(b);
        const int len = gbSequenceLength(in_.multibyte.data(), in_.multibyte.size());
        if (len < 0) return;
        if (len == 0) {
            // Not a character after all: the lead byte prints as a
            // replacement mark, the rest is read again.
            Bytes rest(in_.multibyte.begin() + 1, in_.multibyte.end());
            in_.multibyte.clear();
            report_.note(in_.multibyteStart, "invalid GBK byte sequence");
            printChar(U'?', false);
            for (uint8_t r : rest) plainByte(r);
            return;
        }
        char32_t cp = U'?';
        if (!decodeGb(in_.multibyte.data(), in_.multibyte.size(), cp)) cp = U'?';
        in_.multibyte.clear();
        printChar(cp, true);
        return;
    }
    singleByteChar(b);
}

void Interpreter::singleByteChar(uint8_t b) {
    char32_t cp = b;
    if (b >= 0x20 && modes_.codeTable) cp = modes_.codeTable[b - 0x20];
    // A byte the page has no character for prints as a question mark.
    if (cp == 0) cp = U'?';
    if (b == 0x7F) cp = U' ';
    if (userChars_.on) {
        if (auto pattern = userChar(b)) {
            if (!line_.addChar(cp, false, modes_, std::move(pattern)))
                report_.note(in_.offset, "character wider than the print area, not printed");
            return;
        }
    }
    printChar(cp, false);
}

void Interpreter::flushMultibyte() {
    if (in_.multibyte.empty()) return;
    report_.note(in_.multibyteStart, "incomplete GBK character");
    in_.multibyte.clear();
    printChar(U'?', false);
}

void Interpreter::printChar(char32_t cp, bool twoByte) {
    if (!line_.addChar(cp, twoByte, modes_))
        report_.note(in_.offset, "character wider than the print area, not printed");
}

void Interpreter::finishJob() {
    if (data_.reader) {
        report_.truncatedCommand(in_.commandStart, data_.name, in_.command);
        endData(false);
    } else if (!in_.command.empty()) {
        report_.truncatedCommand(in_.commandStart, spell(in_.command.data(), std::min<size_t>(in_.command.size(), 2)),
                                 in_.command);
        in_.command.clear();
    }
    flushMultibyte();
    if (pageMode_.on) {
        // The page stays for FF or ESC FF, which may come in a later job.
        line_.placeLine(modes_);
        if (page_.hasContent())
            report_.note(in_.offset, "page mode: the page was not printed by the end of the job; it is kept");
    } else if (!line_.empty()) {
        report_.note(in_.offset, "line without LF at the end of the job printed");
        line_.printLine(modes_, 0);
    } else {
        line_.clear();
    }
    in_.offset = 0;
}

JobReport Interpreter::takeReport() {
    JobReport r = std::move(report_);
    report_ = JobReport();
    onceNoted_.clear();
    return r;
}

void Interpreter::statusChanged() {
    const DeviceStatus s = device_.status();
    const bool wentOffline = offline(s) && !wasOffline_;
    wasOffline_ = offline(s);
    try {
        if (wentOffline && offlineResponse_) {
            std::vector<uint8_t> r{0x37, 0x23};
            // The cause as the offline and error status (DLE EOT 2, 3) tell
            // it: bytes that are never NUL, so the block still ends at its NUL.
            if (offlineResponse_ == 2)
                r.insert(r.end(),
                         {realtimeStatus(2, s, config_.drawerSwitch), realtimeStatus(3, s, config_.drawerSwitch)});
            r.push_back(0x00);
            sendReply(r);
        }
        if (asbMask_) sendReply(automaticStatus(s, config_.drawerSwitch));
    } catch (const std::exception& e) {
        report_.note(in_.offset, std::string("automatic status not sent: ") + e.what());
    }
}

void Interpreter::modelLacks(const std::string& command, const std::string& what) {
    unsupportedOnce(command, modelName() + " " + what);
}

void Interpreter::unsupportedOnce(const std::string& name, const std::string& why) {
    if (std::find(onceNoted_.begin(), onceNoted_.end(), name) != onceNoted_.end()) return;
    onceNoted_.push_back(name);
    report_.unsupported(in_.commandStart, name, why);
}

template <class Call>
void Interpreter::callBack(const char* which, Call call) {
    try {
        call();
    } catch (const std::exception& e) {
        note(std::string(which) + " callback failed: " + e.what());
    } catch (...) {
        note(std::string(which) + " callback failed");
    }
}

void Interpreter::sendReply(std::vector<uint8_t> bytes) {
    ++report_.replies;
    if (hooks_.reply) callBack("reply", [&] { hooks_.reply(bytes.data(), bytes.size()); });
}

void Interpreter::replyWhenPrinted(std::vector<uint8_t> bytes) {
    if (!hooks_.replyWhenPrinted) return sendReply(std::move(bytes));
    ++report_.replies;
    callBack("reply", [&] { hooks_.replyWhenPrinted(bytes.data(), bytes.size()); });
}

void Interpreter::pulseDrawer(int pin, int onMs, int offMs, const char* command) {
    DrawerPulse pulse{pin, onMs, offMs, command};
    if (report_.drawerPulses.size() < JobReport::kMaxEntries)
        report_.drawerPulses.push_back(std::string(command) + " pin " + std::to_string(pin) + " on " +
                                       std::to_string(onMs) + " ms off " + std::to_string(offMs) + " ms");
    if (hooks_.drawerPulse) callBack("drawer", [&] { hooks_.drawerPulse(pulse); });
}

void Interpreter::finishLine() {
    // A page's blocks stand in the line, at the print position.
    if (!pageMode_.on && !line_.empty()) line_.printLine(modes_, modes_.lineSpacing);
}

void Interpreter::cut(CutKind kind, int feedFirst) {
    if (pageMode_.on) return note("cut ignored in page mode");
    finishLine();
    if (feedFirst > 0) sink_.feed(feedFirst);
    // Without a cutter the paper is torn off by hand: it runs on.
    if (!config_.model->cutter) return modelLacks("cut", "has no cutter; the paper is not cut");
    sink_.cut(kind);
}

}  // namespace zsim::escpos
