// How characters print: fonts, sizes, emphasis, underline, spacing, code
// tables, and the same for two-byte (Kanji) characters.
#include "escpos/interpreter.h"

namespace zsim::escpos {

std::vector<CommandRow> Interpreter::textCommands() {
    const Handler bold = [](auto& p, auto& c) { p.modes_.bold = c[2] & 1; };
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{ESC, ' '}, "set right-side character spacing", fixed<3>,
         [](auto& p, auto& c) { p.modes_.rightSpacing = c[2]; }},
        {{ESC, '!'}, "select print mode(s)", fixed<3>, [](auto& p, auto& c) {
            PrintModes& m = p.modes_;
            m.font = (c[2] & 0x01) && m.fonts.size() > 1 ? FontKind::B : FontKind::A;
            m.bold = c[2] & 0x08;
            m.heightMul = (c[2] & 0x10) ? 2 : 1;
            m.widthMul = (c[2] & 0x20) ? 2 : 1;
            m.underline = (c[2] & 0x80) ? 1 : 0;
        }},
        {{ESC, '-'}, "turn underline mode on/off", fixed<3>,
         [](auto& p, auto& c) { setIn(p.modes_.underline, asciiOrBinary(c[2]), 0, 2); }},
        {{ESC, 'E'}, "turn emphasized mode on/off", fixed<3>, bold},
        {{ESC, 'G'}, "turn double-strike mode on/off", fixed<3>, bold},
        // A font the model does not have leaves the font as it is.
        {{ESC, 'M'}, "select character font", fixed<3>, [](auto& p, auto& c) {
            const int n = asciiOrBinary(c[2]);
            if (n >= 0 && static_cast<size_t>(n) < p.modes_.fonts.size()) p.modes_.font = static_cast<FontKind>(n);
        }},
        {{ESC, 'R'}, "select an international character set", fixed<3>, [](auto& p, auto& c) {
            const std::string set = std::to_string(c[2]);
            if (c[2] != 0) p.unsupportedOnce("ESC R", "international character set " + set + " printed as USA");
        }},
        {{ESC, 'U'}, "turn unidirectional print mode on/off", fixed<3>},
        {{ESC, 'V'}, "turn 90-degree clockwise rotation mode on/off", fixed<3>, [](auto& p, auto& c) {
            if (c[2] & 1) p.unsupportedOnce("ESC V", "90-degree rotation is printed upright");
        }},
        {{ESC, 'r'}, "select print color", fixed<3>},
        // Numbered as the model's maker numbers its tables; a number the
        // model has no table for leaves the table as it is.
        {{ESC, 't'}, "select character code table", fixed<3>, [](auto& p, auto& c) {
            const models::CodePageTable* table = models::codePageFor(*p.config_.model, c[2]);
            if (!table)
                return p.modelLacks("ESC t " + std::to_string(c[2]),
                                    "has no code page " + std::to_string(c[2]) + "; the table in use stays");
            p.modes_.codeTable = table->chars;
        }},
        {{ESC, '{'}, "turn upside-down print mode on/off", fixed<3>,
         [](auto& p, auto& c) { p.standardModes().upsideDown = c[2] & 1; }},
        {{GS, '!'}, "select character size", fixed<3>, [](auto& p, auto& c) {
            if (c[2] & 0x88) return p.note("GS ! size out of range, ignored");
            p.modes_.widthMul = p.modes_.cjkWidthMul = ((c[2] >> 4) & 7) + 1;
            p.modes_.heightMul = p.modes_.cjkHeightMul = (c[2] & 7) + 1;
        }},
        {{GS, 'B'}, "turn white/black reverse print mode on/off", fixed<3>,
         [](auto& p, auto& c) { p.modes_.reverse = c[2] & 1; }},
        {{GS, 'b'}, "turn smoothing mode on/off", fixed<3>},
        {{FS, '!'}, "select print mode(s) for Kanji characters", fixed<3>, [](auto& p, auto& c) {
            p.modes_.cjkWidthMul = (c[2] & 0x04) ? 2 : 1;
            p.modes_.cjkHeightMul = (c[2] & 0x08) ? 2 : 1;
            p.modes_.cjkUnderline = (c[2] & 0x80) ? 1 : 0;
        }},
        {{FS, '&'}, "select Kanji character mode", fixed<2>, [](auto& p, auto&) {
            if (!*p.config_.model->twoByte) return p.modelLacks("FS &", "has no two-byte characters; bytes stay single");
            p.modes_.chineseMode = true;
        }},
        {{FS, '-'}, "turn underline mode on/off for Kanji characters", fixed<3>,
         [](auto& p, auto& c) { setIn(p.modes_.cjkUnderline, asciiOrBinary(c[2]), 0, 2); }},
        {{FS, '.'}, "cancel Kanji character mode", fixed<2>, [](auto& p, auto&) { p.modes_.chineseMode = false; }},
        {{FS, '2'}, "define user-defined Kanji characters", fixed<4 + 72>, [](auto& p, auto&) {
            p.unsupportedOnce("FS 2", "user-defined Chinese characters are printed with the built-in font");
        }},
        {{FS, '?'}, "cancel user-defined Kanji characters", fixed<4>},
        {{FS, 'C'}, "select Kanji character code system", fixed<3>},
        {{FS, 'S'}, "set Kanji character spacing", fixed<4>, [](auto& p, auto& c) {
            p.modes_.cjkLeftSpacing = c[2];
            p.modes_.cjkRightSpacing = c[3];
        }},
        {{FS, 'W'}, "turn quadruple-size mode on/off for Kanji characters", fixed<3>,
         [](auto& p, auto& c) { p.modes_.cjkWidthMul = p.modes_.cjkHeightMul = (c[2] & 1) + 1; }},
    };
    // clang-format on
}

}  // namespace zsim::escpos
