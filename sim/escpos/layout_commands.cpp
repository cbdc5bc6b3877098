// Where print goes: line feeds and spacing, tabs, the print position and
// area, justification, cuts, and ESC @ starting over.
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

std::vector<CommandRow> Interpreter::layoutCommands() {
    // In page mode it only takes effect back in standard mode.
    const Handler setPrintArea = [](auto& p, auto& c) {
        if (!p.pageMode_.on && !p.line_.atLineStart())
            return p.note(spell(c.data(), 2) + " ignored: not at the start of a line");
        PrintModes& m = p.standardModes();
        const int width = p.config_.paperWidth;
        if (c[1] == 'L') m.leftMargin = std::min(le16(&c[2]), width - 1);
        if (c[1] == 'W') m.areaWidth = le16(&c[2]);
        m.areaWidth = std::clamp(m.areaWidth, 1, width - m.leftMargin);
    };
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{HT}, "horizontal tab", fixed<1>, [](auto& p, auto&) { p.line_.tab(p.modes_); }},
        {{LF}, "print and line feed", fixed<1>,
         [](auto& p, auto&) { p.line_.printLine(p.modes_, p.modes_.lineSpacing); }},
        // CR does not feed: it only ends a line together with LF.
        {{CR}, "print and carriage return", fixed<1>},
        {{ESC, '$'}, "set absolute print position", fixed<4>,
         [](auto& p, auto& c) { p.line_.setPosition(le16(&c[2]), p.modes_); }},
        {{ESC, '2'}, "select default line spacing", fixed<2>,
         [](auto& p, auto&) { p.modes_.lineSpacing = PrintModes::kDefaultLineSpacing; }},
        {{ESC, '3'}, "set line spacing", fixed<3>, [](auto& p, auto& c) { p.modes_.lineSpacing = c[2]; }},
        {{ESC, '<'}, "return home", fixed<2>},
        {{ESC, '@'}, "initialize printer", fixed<2>, [](auto& p, auto&) {
            if (!p.line_.empty()) p.note("ESC @ discarded an unprinted line");
            if (p.pageMode_.on && p.page_.hasContent()) p.note("ESC @ discarded a page that was not printed");
            p.line_.clear();
            p.reset();
        }},
        {{ESC, 'D'}, "set horizontal tab positions", untilNul<2, 35>, [](auto& p, auto& c) {
            std::vector<int>& tabs = p.modes_.tabColumns;
            tabs.clear();
            // Stops must rise; the list ends at the first one that does not.
            for (size_t i = 2; i < c.size() && c[i] != 0 && (tabs.empty() || c[i] > tabs.back()); ++i)
                tabs.push_back(c[i]);
        }},
        {{ESC, 'J'}, "print and feed paper", fixed<3>, [](auto& p, auto& c) { p.line_.printLine(p.modes_, c[2]); }},
        {{ESC, '\\'}, "set relative print position", fixed<4>,
         [](auto& p, auto& c) { p.line_.movePosition(static_cast<int16_t>(le16(&c[2])), p.modes_); }},
        {{ESC, 'a'}, "select justification", fixed<3>,
         [](auto& p, auto& c) { setIn(p.standardModes().align, asciiOrBinary(c[2]), 0, 2); }},
        {{ESC, 'd'}, "print and feed n lines", fixed<3>, [](auto& p, auto& c) {
            const int spacing = p.modes_.lineSpacing;
            p.line_.printLine(p.modes_, c[2] == 0 ? 0 : spacing);
            if (c[2] > 1) p.line_.feed((c[2] - 1) * spacing);
        }},
        {{ESC, 'e'}, "print and reverse feed n lines", fixed<3>,
         [](auto& p, auto&) { p.unsupportedOnce("ESC e", "reverse feed is not possible on this paper path"); }},
        {{ESC, 'i'}, "full cut", fixed<2>, [](auto& p, auto&) { p.cut(CutKind::Full, 0); }},
        {{ESC, 'm'}, "partial cut", fixed<2>, [](auto& p, auto&) { p.cut(CutKind::Partial, 0); }},
        {{GS, 'L'}, "set left margin", fixed<4>, setPrintArea},
        {{GS, 'P'}, "set horizontal and vertical motion units", fixed<4>},
        {{GS, 'T'}, "set print position to the beginning of print line", fixed<3>},
        // The cut alone (m = 0, 1, 48, 49) or after feeding n dots.
        {{GS, 'V'}, "select cut mode and cut paper", [](const uint8_t* c, size_t n) {
            return lengthBy(c, n, {{0, 3}, {1, 3}, {48, 3}, {49, 3},
                                   {65, 4}, {66, 4}, {97, 4}, {98, 4}, {103, 4}, {104, 4}});
        }, [](auto& p, auto& c) {
            const bool full = c[2] == 0 || c[2] == 48 || c[2] == 65 || c[2] == 97 || c[2] == 103;
            p.cut(full ? CutKind::Full : CutKind::Partial, c.size() > 3 ? c[3] : 0);
        }},
        {{GS, 'W'}, "set print area width", fixed<4>, setPrintArea},
    };
    // clang-format on
}

}  // namespace zsim::escpos
