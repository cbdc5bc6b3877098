#include "escpos/interpreter.h"

#include <exception>

#include "escpos/text_decoder.h"

namespace zsim::escpos {

namespace {
// Longest header the framer can ask for (GS k form 1 with 255 data bytes,
// FS 2 with its 72-byte pattern); anything longer is a framing bug.
constexpr size_t kMaxHeader = 300;
}  // namespace

Interpreter::Interpreter(const InterpreterConfig& config, PrintSink& sink, const DeviceState& device,
                         InterpreterHooks hooks)
    : config_(config), sink_(sink), device_(device), hooks_(std::move(hooks)), line_(sink) {
    reset();
}

void Interpreter::feed(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    report_.bytes += size;
    try {
        feedBytes(data, size);
    } catch (const std::exception& e) {
        // Nothing the host sends may take the printer down; drop the
        // command in hand and carry on with the next byte.
        report_.note(offset_, std::string("internal error, command dropped: ") + e.what());
        command_.clear();
        inData_ = false;
    }
}

void Interpreter::feedBytes(const uint8_t* p, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (inData_) {
            const size_t used = consumeData(p + i, n - i);
            i += used;
            offset_ += used;
            continue;
        }
        const uint8_t b = p[i++];
        if (!command_.empty()) {
            command_.push_back(b);
            ++offset_;
            evaluateCommand();
            continue;
        }
        if (isCommandPrefix(b)) {
            flushMultibyte();
            commandStart_ = offset_++;
            command_.push_back(b);
            continue;
        }
        plainByte(b);
        ++offset_;
    }
}

void Interpreter::evaluateCommand() {
    const Frame f = frameCommand(command_.data(), command_.size());
    switch (f.status) {
    case FrameStatus::NeedMore:
        if (command_.size() > kMaxHeader) {
            report_.unknown(commandStart_, command_);
            command_.clear();
        }
        return;
    case FrameStatus::Complete: {
        report_.command(f.name);
        std::vector<uint8_t> c;
        c.swap(command_);
        execute(f, c);
        return;
    }
    case FrameStatus::Data:
        report_.command(f.name);
        beginData(f);
        return;
    case FrameStatus::Unknown: {
        const size_t len = std::min(f.headerLength, command_.size());
        report_.unknown(commandStart_, std::vector<uint8_t>(command_.begin(), command_.begin() + len));
        // Bytes after the skipped part start over as fresh input.
        std::vector<uint8_t> rest(command_.begin() + len, command_.end());
        command_.clear();
        offset_ -= rest.size();
        feedBytes(rest.data(), rest.size());
        return;
    }
    }
}

void Interpreter::plainByte(uint8_t b) {
    if (b >= 0x20) {
        if (modes_.chineseMode && (!multibyte_.empty() || (b >= 0x81 && b <= 0xFE))) {
            if (multibyte_.empty()) multibyteStart_ = offset_;
            multibyte_.push_back(b);
            const int len = gbSequenceLength(multibyte_.data(), multibyte_.size());
            if (len < 0) return;
            if (len == 0) {
                // Not a character after all: the lead byte prints as a
                // replacement mark, the rest is read again.
                std::vector<uint8_t> rest(multibyte_.begin() + 1, multibyte_.end());
                multibyte_.clear();
                report_.note(multibyteStart_, "invalid GBK byte sequence");
                printChar(U'?', false);
                for (uint8_t r : rest) plainByte(r);
                return;
            }
            char32_t cp = U'?';
            if (!decodeGb(multibyte_.data(), multibyte_.size(), cp)) cp = U'?';
            multibyte_.clear();
            printChar(cp, true);
            return;
        }
        singleByteChar(b);
        return;
    }
    flushMultibyte();
    switch (b) {
    case 0x0A:
        report_.command("LF");
        line_.printLine(modes_, modes_.lineSpacing);
        return;
    case 0x0D:
        // No automatic line feed: CR only ends a line together with LF.
        report_.command("CR");
        return;
    case 0x09:
        report_.command("HT");
        line_.tab(modes_);
        return;
    case 0x0C:
        // FF only matters in page mode, which this printer does not keep.
        report_.command("FF");
        return;
    case 0x18: report_.command("CAN"); return;
    default: report_.unknown(offset_, {b}); return;
    }
}

void Interpreter::singleByteChar(uint8_t b) {
    char32_t cp = b;
    if (b >= 0x80 && !codePageChar(modes_.codePage, b, cp)) codePageChar(0, b, cp);
    if (b == 0x7F) cp = U' ';
    if (userCharsOn_) {
        if (auto pattern = userChar(b)) {
            if (!line_.addChar(cp, false, modes_, std::move(pattern)))
                report_.note(offset_, "character wider than the print area, not printed");
            return;
        }
    }
    printChar(cp, false);
}

void Interpreter::flushMultibyte() {
    if (multibyte_.empty()) return;
    report_.note(multibyteStart_, "incomplete GBK character");
    multibyte_.clear();
    printChar(U'?', false);
}

void Interpreter::printChar(char32_t cp, bool twoByte) {
    if (!line_.addChar(cp, twoByte, modes_)) report_.note(offset_, "character wider than the print area, not printed");
}

void Interpreter::finishJob() {
    if (inData_) {
        report_.truncatedCommand(commandStart_, frame_.name, command_);
        endData(false);
    } else if (!command_.empty()) {
        report_.truncatedCommand(commandStart_, commandName(command_.data(), std::min<size_t>(command_.size(), 2)),
                                 command_);
        command_.clear();
    }
    flushMultibyte();
    if (!line_.empty()) {
        report_.note(offset_, "line without LF at the end of the job printed");
        line_.printLine(modes_, 0);
    } else {
        line_.clear();
    }
    offset_ = 0;
}

JobReport Interpreter::takeReport() {
    JobReport r = std::move(report_);
    report_ = JobReport();
    onceNoted_.clear();
    return r;
}

void Interpreter::statusChanged() {
    if (asbMask_ == 0) return;
    try {
        sendReply(automaticStatus(device_.status(), config_.drawerSwitch));
    } catch (const std::exception& e) {
        report_.note(offset_, std::string("automatic status not sent: ") + e.what());
    }
}

}  // namespace zsim::escpos
