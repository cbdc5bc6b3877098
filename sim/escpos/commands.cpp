// What each complete (header-only) command does.
#include <algorithm>
#include <exception>

#include "escpos/interpreter.h"
#include "escpos/text_decoder.h"

namespace zsim::escpos {

namespace {
int u16(const std::vector<uint8_t>& c, size_t i) { return c[i] | (c[i + 1] << 8); }
// Many parameters come as 0/1 or as ASCII '0'/'1'.
int asciiOrBinary(uint8_t n) { return n >= '0' && n <= '9' ? n - '0' : n; }
}  // namespace

void Interpreter::reset() {
    const int width = config_.paperWidth;
    modes_ = PrintModes();
    modes_.areaWidth = width;
    modes_.chineseMode = config_.chineseModeAtReset;
    barHeight_ = 162;
    barModule_ = 3;
    hriPosition_ = 0;
    hriFont_ = FontKind::A;
    qrModule_ = 3;
    qrLevel_ = 0;
    pdf417_ = Pdf417Settings();
    userCharsOn_ = false;
    for (auto& font : userChars_) font.fill(nullptr);
}

void Interpreter::unsupportedOnce(const std::string& name, const std::string& why) {
    if (std::find(onceNoted_.begin(), onceNoted_.end(), name) != onceNoted_.end()) return;
    onceNoted_.push_back(name);
    report_.unsupported(commandStart_, name, why);
}

void Interpreter::sendReply(std::vector<uint8_t> bytes) {
    ++report_.replies;
    if (!hooks_.reply) return;
    try {
        hooks_.reply(bytes.data(), bytes.size());
    } catch (const std::exception& e) {
        report_.note(commandStart_, std::string("reply callback failed: ") + e.what());
    } catch (...) {
        report_.note(commandStart_, "reply callback failed");
    }
}

void Interpreter::pulseDrawer(int pin, int onMs, int offMs, const char* command) {
    DrawerPulse pulse{pin, onMs, offMs, command};
    if (report_.drawerPulses.size() < JobReport::kMaxEntries)
        report_.drawerPulses.push_back(std::string(command) + " pin " + std::to_string(pin) + " on " +
                                       std::to_string(onMs) + " ms off " + std::to_string(offMs) + " ms");
    if (!hooks_.drawerPulse) return;
    try {
        hooks_.drawerPulse(pulse);
    } catch (const std::exception& e) {
        report_.note(commandStart_, std::string("drawer callback failed: ") + e.what());
    } catch (...) {
        report_.note(commandStart_, "drawer callback failed");
    }
}

void Interpreter::printAndFeed(int dots) { line_.printLine(modes_, dots); }

void Interpreter::cut(CutKind kind, int feedFirst) {
    if (!line_.empty()) line_.printLine(modes_, modes_.lineSpacing);
    if (feedFirst > 0) sink_.feed(feedFirst);
    sink_.cut(kind);
}

void Interpreter::execute(const Frame& f, const std::vector<uint8_t>& c) {
    switch (c[0]) {
    case ESC: executeEsc(c); break;
    case GS: executeGs(f, c); break;
    case FS: executeFs(c); break;
    case DLE: executeDle(c); break;
    default: break;
    }
}

void Interpreter::executeEsc(const std::vector<uint8_t>& c) {
    const uint8_t n = c.size() > 2 ? c[2] : 0;
    switch (c[1]) {
    case '@':
        if (!line_.empty()) report_.note(commandStart_, "ESC @ discarded an unprinted line");
        line_.clear();
        reset();
        return;
    case '!':
        modes_.font = (n & 0x01) ? FontKind::B : FontKind::A;
        modes_.bold = n & 0x08;
        modes_.heightMul = (n & 0x10) ? 2 : 1;
        modes_.widthMul = (n & 0x20) ? 2 : 1;
        modes_.underline = (n & 0x80) ? 1 : 0;
        return;
    case ' ': modes_.rightSpacing = n; return;
    case '$': line_.setPosition(u16(c, 2), modes_); return;
    case '\\': line_.movePosition(static_cast<int16_t>(u16(c, 2)), modes_); return;
    case '-':
        if (asciiOrBinary(n) <= 2) modes_.underline = asciiOrBinary(n);
        return;
    case '2': modes_.lineSpacing = PrintModes::kDefaultLineSpacing; return;
    case '3': modes_.lineSpacing = n; return;
    case 'D': {
        modes_.tabColumns.clear();
        for (size_t i = 2; i < c.size() && c[i] != 0; ++i) {
            // Stops must rise; the list ends at the first one that does not.
            if (!modes_.tabColumns.empty() && c[i] <= modes_.tabColumns.back()) break;
            modes_.tabColumns.push_back(c[i]);
        }
        return;
    }
    case 'E':
    case 'G': modes_.bold = n & 1; return;
    case 'J': printAndFeed(n); return;
    case 'd':
        if (n == 0) {
            printAndFeed(0);
        } else {
            printAndFeed(modes_.lineSpacing);
            if (n > 1) sink_.feed((n - 1) * modes_.lineSpacing);
        }
        return;
    case 'e': unsupportedOnce("ESC e", "reverse feed is not possible on this paper path"); return;
    case 'M':
        if (asciiOrBinary(n) == 0) modes_.font = FontKind::A;
        if (asciiOrBinary(n) == 1 || asciiOrBinary(n) == 2) modes_.font = FontKind::B;
        return;
    case 'a':
        if (asciiOrBinary(n) <= 2) modes_.align = static_cast<Align>(asciiOrBinary(n));
        return;
    case 't':
        if (knownCodePage(n)) {
            modes_.codePage = n;
        } else {
            report_.note(commandStart_, "code page " + std::to_string(n) + " not available, CP437 used");
            modes_.codePage = 0;
        }
        return;
    case '{': modes_.upsideDown = n & 1; return;
    case 'V':
        if (n & 1) unsupportedOnce("ESC V", "90-degree rotation is printed upright");
        return;
    case 'R':
        if (n != 0) unsupportedOnce("ESC R", "international character set " + std::to_string(n) + " printed as USA");
        return;
    case '%': userCharsOn_ = n & 1; return;
    case 'i': cut(CutKind::Full, 0); return;
    case 'm': cut(CutKind::Partial, 0); return;
    case 'p': {
        const int m = asciiOrBinary(n);
        if (m > 1) {
            report_.note(commandStart_, "ESC p: no drawer connector " + std::to_string(n));
            return;
        }
        pulseDrawer(m == 0 ? 2 : 5, c[3] * 2, c[4] * 2, "ESC p");
        return;
    }
    case 'u': sendReply({drawerStatus(device_.status(), config_.drawerSwitch)}); return;
    case 'v': sendReply({paperSensorStatus(device_.status())}); return;
    case 'L':
    case 'W':
    case 'T':
    case 0x0C: unsupportedOnce("page mode", "page mode commands are ignored; data prints in standard mode"); return;
    case '?': deleteUserChar(n); return;
    default:
        // ESC S, ESC =, ESC U, ESC c, ESC r, ESC <, ESC B: no effect
        // on the paper image.
        return;
    }
}

void Interpreter::executeGs(const Frame& f, const std::vector<uint8_t>& c) {
    const uint8_t n = c.size() > 2 ? c[2] : 0;
    switch (c[1]) {
    case '!':
        if (n & 0x88) {
            report_.note(commandStart_, "GS ! size out of range, ignored");
            return;
        }
        modes_.widthMul = modes_.cjkWidthMul = ((n >> 4) & 7) + 1;
        modes_.heightMul = modes_.cjkHeightMul = (n & 7) + 1;
        return;
    case 'B': modes_.reverse = n & 1; return;
    case 'H':
        if (asciiOrBinary(n) <= 3) hriPosition_ = asciiOrBinary(n);
        return;
    case 'f': hriFont_ = asciiOrBinary(n) == 1 ? FontKind::B : FontKind::A; return;
    case 'h':
        if (n > 0) barHeight_ = n;
        return;
    case 'w':
        if (n >= 1 && n <= 6) barModule_ = n;
        return;
    case 'L':
    case 'W': {
        if (!line_.atLineStart()) {
            report_.note(commandStart_, f.name + " ignored: not at the start of a line");
            return;
        }
        const int v = u16(c, 2);
        if (c[1] == 'L') {
            modes_.leftMargin = std::min(v, config_.paperWidth - 1);
        } else {
            modes_.areaWidth = v;
        }
        modes_.areaWidth = std::clamp(modes_.areaWidth, 1, config_.paperWidth - modes_.leftMargin);
        return;
    }
    case 'V': {
        const CutKind kind = (n == 0 || n == 48 || n == 65 || n == 97 || n == 103) ? CutKind::Full : CutKind::Partial;
        cut(kind, c.size() > 3 ? c[3] : 0);
        return;
    }
    case 'k': {
        const bool form1 = n <= 6;
        const size_t start = form1 ? 3 : 4;
        size_t end = c.size();
        if (form1 && end > start && c[end - 1] == 0) --end;
        printBarcode(n, std::vector<uint8_t>(c.begin() + static_cast<long>(start), c.begin() + static_cast<long>(end)));
        return;
    }
    case 'r': {
        const DeviceStatus s = device_.status();
        const int which = asciiOrBinary(n);
        if (which == 1)
            sendReply({paperSensorStatus(s)});
        else if (which == 2)
            sendReply({drawerStatus(s, config_.drawerSwitch)});
        else
            report_.note(commandStart_, "GS r " + std::to_string(n) + " not answered");
        return;
    }
    case 'I': {
        const int which = n >= 49 && n <= 51 ? n - 48 : n;
        switch (which) {
        case 1: sendReply({0x20}); return;  // model
        case 2: sendReply({0x03}); return;  // two-byte characters, autocutter
        case 3: sendReply({0x10}); return;  // firmware
        default: break;
        }
        const char* text = nullptr;
        switch (n) {
        case 65: text = "1.00 ZSIM"; break;
        case 66: text = "ZANTOR"; break;
        case 67: text = config_.paperWidth <= 384 ? "ZSIM-58" : "ZSIM-80"; break;
        case 68: text = "ZS00000001"; break;
        case 69: text = modes_.chineseMode ? "CHINA GB18030" : "ANK"; break;
        default: break;
        }
        if (!text) {
            report_.note(commandStart_, "GS I " + std::to_string(n) + " not answered");
            return;
        }
        std::vector<uint8_t> r{0x5F};
        for (const char* t = text; *t; ++t) r.push_back(static_cast<uint8_t>(*t));
        r.push_back(0);
        sendReply(r);
        return;
    }
    case 'a':
        asbMask_ = n;
        if (n) statusChanged();
        return;
    case '/':
        if (downloadedBitImage_.empty()) {
            report_.note(commandStart_, "GS / without a downloaded bit image");
            return;
        }
        printStoredImage(downloadedBitImage_, (asciiOrBinary(n) & 1) + 1, ((asciiOrBinary(n) >> 1) & 1) + 1);
        return;
    case '$':
    case '\\': unsupportedOnce("page mode", "page mode commands are ignored; data prints in standard mode"); return;
    case ':':
    case '^': unsupportedOnce("GS :", "macros are not recorded"); return;
    default:
        // GS E, GS b, GS j, GS P, GS T, GS c, GS g, GS z, GS C: no effect on
        // the paper image.
        return;
    }
}

void Interpreter::executeFs(const std::vector<uint8_t>& c) {
    const uint8_t n = c.size() > 2 ? c[2] : 0;
    switch (c[1]) {
    case '&': modes_.chineseMode = true; return;
    case '.': modes_.chineseMode = false; return;
    case '!':
        modes_.cjkWidthMul = (n & 0x04) ? 2 : 1;
        modes_.cjkHeightMul = (n & 0x08) ? 2 : 1;
        modes_.cjkUnderline = (n & 0x80) ? 1 : 0;
        return;
    case '-':
        if (asciiOrBinary(n) <= 2) modes_.cjkUnderline = asciiOrBinary(n);
        return;
    case 'S':
        modes_.cjkLeftSpacing = c[2];
        modes_.cjkRightSpacing = c[3];
        return;
    case 'W': modes_.cjkWidthMul = modes_.cjkHeightMul = (n & 1) ? 2 : 1; return;
    case '2': unsupportedOnce("FS 2", "user-defined Chinese characters are printed with the built-in font"); return;
    case 'p': {
        const auto it = nvBitImages_.find(n);
        if (it == nvBitImages_.end()) {
            report_.note(commandStart_, "FS p: no NV bit image " + std::to_string(n));
            return;
        }
        const int m = asciiOrBinary(c[3]);
        printStoredImage(it->second, (m & 1) + 1, ((m >> 1) & 1) + 1);
        return;
    }
    default:
        // FS C, FS ?: no effect on the paper image.
        return;
    }
}

void Interpreter::executeDle(const std::vector<uint8_t>& c) {
    switch (c[1]) {
    case 0x04:
        if (c[2] >= 1 && c[2] <= 4) sendReply({realtimeStatus(c[2], device_.status(), config_.drawerSwitch)});
        return;
    case 0x14:
        if (c[2] == 1) {
            const int m = c[3];
            const int t = std::clamp<int>(c[4], 1, 8);
            if (m > 1) {
                report_.note(commandStart_, "DLE DC4 1: no drawer connector " + std::to_string(m));
                return;
            }
            pulseDrawer(m == 0 ? 2 : 5, t * 100, t * 100, "DLE DC4");
        } else if (c[2] == 8) {
            line_.clear();
        }
        return;
    default: return;  // DLE ENQ: nothing to recover from
    }
}

}  // namespace zsim::escpos
