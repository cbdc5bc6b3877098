// The printer as a device: status for the host (real-time, on request and
// automatic), the drawer pulse, and the settings that leave no mark on the
// paper image.
#include <algorithm>
#include <cstring>

#include "escpos/interpreter.h"

namespace zsim::escpos {

std::vector<CommandRow> Interpreter::deviceCommands() {
    static const DataReader skipped{nullptr, [](auto&, auto*, size_t n) { return n; }, nullptr};
    const Handler notActedOn = [](auto& p, auto& c) {
        p.unsupportedOnce(spell(c.data(), 3), "no effect on the paper image");
    };
    const Handler macro = [](auto& p, auto&) { p.unsupportedOnce("GS :", "macros are not recorded"); };
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{DLE, EOT}, "transmit real-time status", [](const uint8_t* c, size_t n) {
            return lengthBy(c, n, {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {7, 4}, {8, 4}});
        }, [](auto& p, auto& c) {
            if (c[2] >= 1 && c[2] <= 4) p.sendReply({realtimeStatus(c[2], p.device_.status(), p.config_.drawerSwitch)});
        }},
        // There is nothing to recover from.
        {{DLE, ENQ}, "send real-time request to printer", fixed<3>},
        // fn: pulse (1), power-off (2), buzzer (3), status (7), clear buffers (8).
        {{DLE, DC4}, "real-time pulse, power-off, buzzer, status or buffer clear", [](const uint8_t* c, size_t n) {
            return lengthBy(c, n, {{1, 5}, {2, 5}, {3, 8}, {7, 4}, {8, 10}});
        }, [](auto& p, auto& c) {
            if (c[2] == 8) {
                p.line_.clear();
                p.page_.clear();
            }
            if (c[2] != 1) return;
            if (c[3] > 1) return p.note("DLE DC4 1: no drawer connector " + std::to_string(c[3]));
            const int t = std::clamp<int>(c[4], 1, 8);
            p.pulseDrawer(c[3] == 0 ? 2 : 5, t * 100, t * 100, "DLE DC4");
        }},
        {{ESC, '(', kAnyByte}, "function with a length, not acted on", framed16, notActedOn, &skipped},
        {{ESC, '='}, "select peripheral device", fixed<3>},
        {{ESC, 'B'}, "sound the buzzer", fixed<4>},
        {{ESC, 'c', '0'}, "select paper type(s) for printing", fixed<4>},
        {{ESC, 'c', '1'}, "select paper type(s) for command settings", fixed<4>},
        {{ESC, 'c', '3'}, "select paper sensor(s) to output paper-end signals", fixed<4>},
        {{ESC, 'c', '4'}, "select paper sensor(s) to stop printing", fixed<4>},
        {{ESC, 'c', '5'}, "enable/disable panel buttons", fixed<4>},
        {{ESC, 'p'}, "generate pulse", fixed<5>, [](auto& p, auto& c) {
            const int m = asciiOrBinary(c[2]);
            if (m > 1) return p.note("ESC p: no drawer connector " + std::to_string(c[2]));
            p.pulseDrawer(m == 0 ? 2 : 5, c[3] * 2, c[4] * 2, "ESC p");
        }},
        {{ESC, 'u'}, "transmit peripheral device status", fixed<3>,
         [](auto& p, auto&) { p.sendReply({drawerStatus(p.device_.status(), p.config_.drawerSwitch)}); }},
        {{ESC, 'v'}, "transmit paper sensor status", fixed<2>,
         [](auto& p, auto&) { p.sendReply({paperSensorStatus(p.device_.status())}); }},
        {{GS, '(', kAnyByte}, "function with a length, not acted on", framed16, notActedOn, &skipped},
        {{GS, ':'}, "start/end macro definition", fixed<2>, macro},
        {{GS, 'C', '0'}, "select counter print mode", fixed<5>},
        {{GS, 'C', '1'}, "select count mode (A)", fixed<9>},
        {{GS, 'C', '2'}, "set counter", fixed<5>},
        {{GS, 'E'}, "select head control method", fixed<3>},
        {{GS, 'I'}, "transmit printer ID", fixed<3>, [](auto& p, auto& c) {
            const uint8_t n = c[2];
            const int which = n >= 49 && n <= 51 ? n - 48 : n;
            // Model; two-byte characters and an autocutter; firmware.
            if (which >= 1 && which <= 3) return p.sendReply({std::array<uint8_t, 3>{0x20, 0x03, 0x10}[which - 1]});
            const char* text = n == 65 ? "1.00 ZSIM"
                               : n == 66 ? "ZANTOR"
                               : n == 67 ? (p.config_.paperWidth <= 384 ? "ZSIM-58" : "ZSIM-80")
                               : n == 68 ? "ZS00000001"
                               : n == 69 ? (p.modes_.chineseMode ? "CHINA GB18030" : "ANK")
                               : nullptr;
            if (!text) return p.note("GS I " + std::to_string(n) + " not answered");
            std::vector<uint8_t> r{0x5F};
            r.insert(r.end(), text, text + std::strlen(text) + 1);
            p.sendReply(r);
        }},
        {{GS, '^'}, "execute macro", fixed<5>, macro},
        {{GS, 'a'}, "enable/disable Automatic Status Back (ASB)", fixed<3>, [](auto& p, auto& c) {
            p.asbMask_ = c[2];
            if (c[2]) p.statusChanged();
        }},
        {{GS, 'c'}, "print counter", fixed<2>},
        {{GS, 'g', '0'}, "initialize maintenance counter", fixed<5>},
        {{GS, 'g', '2'}, "transmit maintenance counter", fixed<5>},
        {{GS, 'j'}, "enable/disable Automatic Status Back (ASB) for ink", fixed<3>},
        {{GS, 'r'}, "transmit status", fixed<3>, [](auto& p, auto& c) {
            const DeviceStatus s = p.device_.status();
            if (asciiOrBinary(c[2]) == 1) return p.sendReply({paperSensorStatus(s)});
            if (asciiOrBinary(c[2]) == 2) return p.sendReply({drawerStatus(s, p.config_.drawerSwitch)});
            p.note("GS r " + std::to_string(c[2]) + " not answered");
        }},
        {{GS, 'z', '0'}, "set online recovery wait time", fixed<5>},
        {{FS, '(', kAnyByte}, "function with a length, not acted on", framed16, notActedOn, &skipped},
    };
    // clang-format on
}

}  // namespace zsim::escpos
