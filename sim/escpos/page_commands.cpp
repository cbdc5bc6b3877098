// Page mode: ESC L gathers what follows on a page in memory, laid out in
// print areas (ESC W) and four directions (ESC T) at positions the host
// chooses (ESC $, ESC \, GS $, GS \), until FF or ESC FF puts the page on
// the paper. Lines, images and symbols reach the page through the line
// composer, which sends them there instead of to the paper.
#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {

// The settings page mode and standard mode each keep for themselves.
void copySpacing(const PrintModes& from, PrintModes& to) {
    to.rightSpacing = from.rightSpacing;
    to.lineSpacing = from.lineSpacing;
    to.cjkLeftSpacing = from.cjkLeftSpacing;
    to.cjkRightSpacing = from.cjkRightSpacing;
}

}  // namespace

std::vector<CommandRow> Interpreter::pageCommands() {
    // Lines after these start at the area's start again.
    static const auto restart = [](Interpreter& p) {
        p.line_.clear();
        p.page_.toStart();
        p.modes_.areaWidth = p.page_.lineLength();
    };
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{FF}, "print and return to standard mode in page mode", fixed<1>, [](auto& p, auto&) {
            if (p.pageMode_.on) p.printPage(false);
        }},
        {{CAN}, "cancel print data in page mode", fixed<1>, [](auto& p, auto&) {
            if (!p.pageMode_.on) return;
            p.line_.clear();
            p.page_.erase();
        }},
        {{ESC, FF}, "print data in page mode", fixed<2>, [](auto& p, auto&) {
            if (p.pageMode_.on) p.printPage(true);
        }},
        {{ESC, 'L'}, "select page mode", fixed<2>, [](auto& p, auto&) {
            if (p.pageMode_.on) return;
            if (!p.line_.atLineStart()) return p.note("ESC L ignored: not at the start of a line");
            p.enterPageMode();
        }},
        {{ESC, 'S'}, "select standard mode", fixed<2>, [](auto& p, auto&) {
            if (!p.pageMode_.on) return;
            if (p.page_.hasContent() || !p.line_.empty()) p.note("ESC S discarded a page that was not printed");
            p.leavePageMode();
        }},
        // Out of page mode both only take effect at the next ESC L.
        {{ESC, 'T'}, "select print direction in page mode", fixed<3>, [](auto& p, auto& c) {
            const int n = c[2] >= 48 ? c[2] - 48 : c[2];
            if (n > 3) return;
            if (p.pageMode_.on) p.line_.placeLine(p.modes_);
            p.page_.setDirection(static_cast<PageDirection>(n));
            if (p.pageMode_.on) restart(p);
        }},
        {{ESC, 'W'}, "set print area in page mode", fixed<10>, [](auto& p, auto& c) {
            if (p.pageMode_.on) p.line_.placeLine(p.modes_);
            std::string why;
            const bool taken = p.page_.setArea(le16(&c[2]), le16(&c[4]), le16(&c[6]), le16(&c[8]), why);
            if (!why.empty()) p.note(std::string("ESC W: ") + why + (taken ? "" : ", ignored"));
            if (taken && p.pageMode_.on) restart(p);
        }},
        // Both only work in page mode.
        {{GS, '$'}, "set absolute vertical print position in page mode", fixed<4>, [](auto& p, auto& c) {
            if (!p.pageMode_.on) return;
            p.line_.placeLine(p.modes_);
            if (!p.page_.setVertical(le16(&c[2]))) p.note("GS $ beyond the print area, ignored");
        }},
        {{GS, '\\'}, "set relative vertical print position in page mode", fixed<4>, [](auto& p, auto& c) {
            if (!p.pageMode_.on) return;
            p.line_.placeLine(p.modes_);
            const int lineHeight = p.modes_.cell(p.modes_.font).height * p.modes_.heightMul;
            if (!p.page_.moveVertical(static_cast<int16_t>(le16(&c[2])), lineHeight))
                p.note("GS \\ beyond the print area, ignored");
        }},
    };
    // clang-format on
}

void Interpreter::enterPageMode() {
    pageMode_.on = true;
    pageMode_.standard = modes_;
    copySpacing(pageMode_.page, modes_);
    // Justification, margins and upside-down printing belong to standard
    // mode; a page's lines start at its area's edge.
    modes_.align = Align::Left;
    modes_.leftMargin = 0;
    modes_.upsideDown = false;
    modes_.areaWidth = page_.lineLength();
    page_.toStart();
    line_.clear();
    line_.setSink(page_, true);
}

void Interpreter::leavePageMode() {
    line_.clear();
    page_.clear();
    page_.defaultArea();
    copySpacing(modes_, pageMode_.page);
    const PrintModes& standard = pageMode_.standard;
    copySpacing(standard, modes_);
    modes_.align = standard.align;
    modes_.leftMargin = standard.leftMargin;
    modes_.upsideDown = standard.upsideDown;
    modes_.areaWidth = standard.areaWidth;
    pageMode_.on = false;
    line_.setSink(sink_, false);
}

void Interpreter::printPage(bool keep) {
    line_.placeLine(modes_);
    sink_.page(page_.layout());
    if (!keep) leavePageMode();
}

}  // namespace zsim::escpos
