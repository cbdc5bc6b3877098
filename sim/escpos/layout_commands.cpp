// Where print goes: line feeds and spacing, tabs, the print position and
// area, justification, cuts, page mode (not kept: its data prints in
// standard mode), and ESC @ starting over.
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

std::vector<CommandRow> Interpreter::layoutCommands() {
    const Handler tab = [](Interpreter& p, const Bytes&) { p.line_.tab(p.modes_); };
    const Handler lineFeed = [](Interpreter& p, const Bytes&) { p.line_.printLine(p.modes_, p.modes_.lineSpacing); };
    const Handler pageMode = [](Interpreter& p, const Bytes&) {
        p.unsupportedOnce("page mode", "page mode commands are ignored; data prints in standard mode");
    };
    const Handler setPosition = [](Interpreter& p, const Bytes& c) { p.line_.setPosition(le16(&c[2]), p.modes_); };
    const Handler movePosition = [](Interpreter& p, const Bytes& c) {
        p.line_.movePosition(static_cast<int16_t>(le16(&c[2])), p.modes_);
    };
    const Handler defaultSpacing = [](Interpreter& p, const Bytes&) {
        p.modes_.lineSpacing = PrintModes::kDefaultLineSpacing;
    };
    const Handler setSpacing = [](Interpreter& p, const Bytes& c) { p.modes_.lineSpacing = c[2]; };
    const Handler initialize = [](Interpreter& p, const Bytes&) {
        if (!p.line_.empty()) p.note("ESC @ discarded an unprinted line");
        p.line_.clear();
        p.reset();
    };
    const Handler setTabs = [](Interpreter& p, const Bytes& c) {
        std::vector<int>& tabs = p.modes_.tabColumns;
        tabs.clear();
        // Stops must rise; the list ends at the first one that does not.
        for (size_t i = 2; i < c.size() && c[i] != 0 && (tabs.empty() || c[i] > tabs.back()); ++i) tabs.push_back(c[i]);
    };
    const Handler feedDots = [](Interpreter& p, const Bytes& c) { p.line_.printLine(p.modes_, c[2]); };
    const Handler feedLines = [](Interpreter& p, const Bytes& c) {
        const int spacing = p.modes_.lineSpacing;
        p.line_.printLine(p.modes_, c[2] == 0 ? 0 : spacing);
        if (c[2] > 1) p.sink_.feed((c[2] - 1) * spacing);
    };
    const Handler reverseFeed = [](Interpreter& p, const Bytes&) {
        p.unsupportedOnce("ESC e", "reverse feed is not possible on this paper path");
    };
    const Handler justify = [](Interpreter& p, const Bytes& c) {
        if (asciiOrBinary(c[2]) <= 2) p.modes_.align = static_cast<Align>(asciiOrBinary(c[2]));
    };
    const Handler fullCut = [](Interpreter& p, const Bytes&) { p.cut(CutKind::Full, 0); };
    const Handler partialCut = [](Interpreter& p, const Bytes&) { p.cut(CutKind::Partial, 0); };
    const Measure cutLength = [](const uint8_t* c, size_t n) {
        // The cut alone (m = 0, 1, 48, 49) or after feeding n dots.
        return lengthBy(c, n,
                        {{0, 3}, {1, 3}, {48, 3}, {49, 3}, {65, 4}, {66, 4}, {97, 4}, {98, 4}, {103, 4}, {104, 4}});
    };
    const Handler cutPaper = [](Interpreter& p, const Bytes& c) {
        const int m = c[2];
        const bool full = m == 0 || m == 48 || m == 65 || m == 97 || m == 103;
        p.cut(full ? CutKind::Full : CutKind::Partial, c.size() > 3 ? c[3] : 0);
    };
    const Handler setPrintArea = [](Interpreter& p, const Bytes& c) {
        if (!p.line_.atLineStart()) {
            p.note(spell(c.data(), 2) + " ignored: not at the start of a line");
            return;
        }
        PrintModes& m = p.modes_;
        const int width = p.config_.paperWidth;
        if (c[1] == 'L') {
            m.leftMargin = std::min(le16(&c[2]), width - 1);
        } else {
            m.areaWidth = le16(&c[2]);
        }
        m.areaWidth = std::clamp(m.areaWidth, 1, width - m.leftMargin);
    };
    // CR does not feed: it only ends a line together with LF.
    return {
        {{HT}, "horizontal tab", fixed<1>, tab},
        {{LF}, "print and line feed", fixed<1>, lineFeed},
        {{CR}, "print and carriage return", fixed<1>},
        {{FF}, "print and return to standard mode in page mode", fixed<1>},
        {{CAN}, "cancel print data in page mode", fixed<1>},
        {{ESC, FF}, "print data in page mode", fixed<2>, pageMode},
        {{ESC, '$'}, "set absolute print position", fixed<4>, setPosition},
        {{ESC, '2'}, "select default line spacing", fixed<2>, defaultSpacing},
        {{ESC, '3'}, "set line spacing", fixed<3>, setSpacing},
        {{ESC, '<'}, "return home", fixed<2>},
        {{ESC, '@'}, "initialize printer", fixed<2>, initialize},
        {{ESC, 'D'}, "set horizontal tab positions", untilNul<2, 35>, setTabs},
        {{ESC, 'J'}, "print and feed paper", fixed<3>, feedDots},
        {{ESC, 'L'}, "select page mode", fixed<2>, pageMode},
        {{ESC, 'S'}, "select standard mode", fixed<2>},
        {{ESC, 'T'}, "select print direction in page mode", fixed<3>, pageMode},
        {{ESC, 'W'}, "set print area in page mode", fixed<10>, pageMode},
        {{ESC, '\\'}, "set relative print position", fixed<4>, movePosition},
        {{ESC, 'a'}, "select justification", fixed<3>, justify},
        {{ESC, 'd'}, "print and feed n lines", fixed<3>, feedLines},
        {{ESC, 'e'}, "print and reverse feed n lines", fixed<3>, reverseFeed},
        {{ESC, 'i'}, "full cut", fixed<2>, fullCut},
        {{ESC, 'm'}, "partial cut", fixed<2>, partialCut},
        {{GS, '$'}, "set absolute vertical print position in page mode", fixed<4>, pageMode},
        {{GS, 'L'}, "set left margin", fixed<4>, setPrintArea},
        {{GS, 'P'}, "set horizontal and vertical motion units", fixed<4>},
        {{GS, 'T'}, "set print position to the beginning of print line", fixed<3>},
        {{GS, 'V'}, "select cut mode and cut paper", cutLength, cutPaper},
        {{GS, 'W'}, "set print area width", fixed<4>, setPrintArea},
        {{GS, '\\'}, "set relative vertical print position in page mode", fixed<4>, pageMode},
    };
}

}  // namespace zsim::escpos
