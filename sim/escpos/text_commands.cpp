// How characters print: fonts, sizes, emphasis, underline, spacing, code
// tables, and the same for two-byte (Kanji) characters.
#include "escpos/interpreter.h"
#include "escpos/text_decoder.h"

namespace zsim::escpos {

std::vector<CommandRow> Interpreter::textCommands() {
    const Handler rightSpacing = [](Interpreter& p, const Bytes& c) { p.modes_.rightSpacing = c[2]; };
    const Handler printModes = [](Interpreter& p, const Bytes& c) {
        const uint8_t n = c[2];
        PrintModes& m = p.modes_;
        m.font = (n & 0x01) ? FontKind::B : FontKind::A;
        m.bold = n & 0x08;
        m.heightMul = (n & 0x10) ? 2 : 1;
        m.widthMul = (n & 0x20) ? 2 : 1;
        m.underline = (n & 0x80) ? 1 : 0;
    };
    const Handler underline = [](Interpreter& p, const Bytes& c) {
        if (asciiOrBinary(c[2]) <= 2) p.modes_.underline = asciiOrBinary(c[2]);
    };
    const Handler bold = [](Interpreter& p, const Bytes& c) { p.modes_.bold = c[2] & 1; };
    const Handler font = [](Interpreter& p, const Bytes& c) {
        const int n = asciiOrBinary(c[2]);
        if (n == 0) p.modes_.font = FontKind::A;
        if (n == 1 || n == 2) p.modes_.font = FontKind::B;
    };
    const Handler characterSet = [](Interpreter& p, const Bytes& c) {
        if (c[2] != 0)
            p.unsupportedOnce("ESC R", "international character set " + std::to_string(c[2]) + " printed as USA");
    };
    const Handler rotate = [](Interpreter& p, const Bytes& c) {
        if (c[2] & 1) p.unsupportedOnce("ESC V", "90-degree rotation is printed upright");
    };
    const Handler codeTable = [](Interpreter& p, const Bytes& c) {
        if (knownCodePage(c[2])) {
            p.modes_.codePage = c[2];
        } else {
            p.note("code page " + std::to_string(c[2]) + " not available, CP437 used");
            p.modes_.codePage = 0;
        }
    };
    const Handler upsideDown = [](Interpreter& p, const Bytes& c) { p.modes_.upsideDown = c[2] & 1; };
    const Handler size = [](Interpreter& p, const Bytes& c) {
        if (c[2] & 0x88) {
            p.note("GS ! size out of range, ignored");
            return;
        }
        p.modes_.widthMul = p.modes_.cjkWidthMul = ((c[2] >> 4) & 7) + 1;
        p.modes_.heightMul = p.modes_.cjkHeightMul = (c[2] & 7) + 1;
    };
    const Handler reverse = [](Interpreter& p, const Bytes& c) { p.modes_.reverse = c[2] & 1; };
    const Handler kanjiModes = [](Interpreter& p, const Bytes& c) {
        p.modes_.cjkWidthMul = (c[2] & 0x04) ? 2 : 1;
        p.modes_.cjkHeightMul = (c[2] & 0x08) ? 2 : 1;
        p.modes_.cjkUnderline = (c[2] & 0x80) ? 1 : 0;
    };
    const Handler kanjiOn = [](Interpreter& p, const Bytes&) { p.modes_.chineseMode = true; };
    const Handler kanjiUnderline = [](Interpreter& p, const Bytes& c) {
        if (asciiOrBinary(c[2]) <= 2) p.modes_.cjkUnderline = asciiOrBinary(c[2]);
    };
    const Handler kanjiOff = [](Interpreter& p, const Bytes&) { p.modes_.chineseMode = false; };
    const Handler kanjiPatterns = [](Interpreter& p, const Bytes&) {
        p.unsupportedOnce("FS 2", "user-defined Chinese characters are printed with the built-in font");
    };
    const Handler kanjiSpacing = [](Interpreter& p, const Bytes& c) {
        p.modes_.cjkLeftSpacing = c[2];
        p.modes_.cjkRightSpacing = c[3];
    };
    const Handler kanjiQuadruple = [](Interpreter& p, const Bytes& c) {
        p.modes_.cjkWidthMul = p.modes_.cjkHeightMul = (c[2] & 1) ? 2 : 1;
    };
    return {
        {{ESC, ' '}, "set right-side character spacing", fixed<3>, rightSpacing},
        {{ESC, '!'}, "select print mode(s)", fixed<3>, printModes},
        {{ESC, '-'}, "turn underline mode on/off", fixed<3>, underline},
        {{ESC, 'E'}, "turn emphasized mode on/off", fixed<3>, bold},
        {{ESC, 'G'}, "turn double-strike mode on/off", fixed<3>, bold},
        {{ESC, 'M'}, "select character font", fixed<3>, font},
        {{ESC, 'R'}, "select an international character set", fixed<3>, characterSet},
        {{ESC, 'U'}, "turn unidirectional print mode on/off", fixed<3>},
        {{ESC, 'V'}, "turn 90-degree clockwise rotation mode on/off", fixed<3>, rotate},
        {{ESC, 'r'}, "select print color", fixed<3>},
        {{ESC, 't'}, "select character code table", fixed<3>, codeTable},
        {{ESC, '{'}, "turn upside-down print mode on/off", fixed<3>, upsideDown},
        {{GS, '!'}, "select character size", fixed<3>, size},
        {{GS, 'B'}, "turn white/black reverse print mode on/off", fixed<3>, reverse},
        {{GS, 'b'}, "turn smoothing mode on/off", fixed<3>},
        {{FS, '!'}, "select print mode(s) for Kanji characters", fixed<3>, kanjiModes},
        {{FS, '&'}, "select Kanji character mode", fixed<2>, kanjiOn},
        {{FS, '-'}, "turn underline mode on/off for Kanji characters", fixed<3>, kanjiUnderline},
        {{FS, '.'}, "cancel Kanji character mode", fixed<2>, kanjiOff},
        {{FS, '2'}, "define user-defined Kanji characters", fixed<4 + 72>, kanjiPatterns},
        {{FS, '?'}, "cancel user-defined Kanji characters", fixed<4>},
        {{FS, 'C'}, "select Kanji character code system", fixed<3>},
        {{FS, 'S'}, "set Kanji character spacing", fixed<4>, kanjiSpacing},
        {{FS, 'W'}, "turn quadruple-size mode on/off for Kanji characters", fixed<3>, kanjiQuadruple},
    };
}

}  // namespace zsim::escpos
