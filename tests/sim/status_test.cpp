// What the host reads back (DLE EOT, GS r, ESC u, ESC v, GS I, ASB) and the
// drawer pulses it sends.
#include <gtest/gtest.h>

#include <stdexcept>

#include "test_support.h"

namespace zsim::test {
namespace {

constexpr int ESC = 0x1B, GS = 0x1D, DLE = 0x10, EOT = 0x04, DC4 = 0x14;

std::vector<int> dleEot(const escpos::DeviceStatus& s, escpos::DrawerSwitch wiring = escpos::DrawerSwitch::OpenIsLow) {
    RunOptions o;
    o.status = s;
    o.drawerSwitch = wiring;
    const Printed r = run(bytes({DLE, EOT, 1, DLE, EOT, 2, DLE, EOT, 3, DLE, EOT, 4}), o);
    std::vector<int> out;
    for (const Bytes& reply : r.replies) {
        EXPECT_EQ(reply.size(), 1u);
        out.push_back(reply.at(0));
    }
    return out;
}

TEST(RealtimeStatus, IdlePrinterWithClosedDrawer) {
    // Bits 1 and 4 always set; pin 3 high because the closed drawer's
    // switch does not pull it low.
    EXPECT_EQ(dleEot({}), (std::vector<int>{0x16, 0x12, 0x12, 0x12}));
}

TEST(RealtimeStatus, DrawerOpenFollowsTheSwitchWiring) {
    escpos::DeviceStatus s;
    s.drawerOpen = true;
    EXPECT_EQ(dleEot(s)[0], 0x12);
    EXPECT_EQ(dleEot(s, escpos::DrawerSwitch::OpenIsHigh)[0], 0x16);
    EXPECT_EQ(dleEot({}, escpos::DrawerSwitch::OpenIsHigh)[0], 0x12);
}

TEST(RealtimeStatus, PaperOutMakesThePrinterOfflineAndStopsPrinting) {
    escpos::DeviceStatus s;
    s.paperOut = true;
    // offline (bit 3); paper end stop (bit 5); near-end and end sensors.
    EXPECT_EQ(dleEot(s), (std::vector<int>{0x1E, 0x32, 0x12, 0x7E}));
    RunOptions o;
    o.status = s;
    const Printed r = run(text("lost\n"), o);
    EXPECT_TRUE(r.job.pages.empty());
    EXPECT_NE(r.job.report.toJson().find("paper out"), std::string::npos);
}

TEST(RealtimeStatus, NearEndCoverAndErrors) {
    escpos::DeviceStatus s;
    s.paperNearEnd = true;
    EXPECT_EQ(dleEot(s), (std::vector<int>{0x16, 0x12, 0x12, 0x1E}));
    s = {};
    s.coverOpen = true;
    EXPECT_EQ(dleEot(s)[1], 0x16);
    EXPECT_EQ(dleEot(s)[0] & 0x08, 0x08);
    s = {};
    s.cutterError = true;
    EXPECT_EQ(dleEot(s), (std::vector<int>{0x1E, 0x52, 0x1A, 0x12}));
}

TEST(RealtimeStatus, AnswersEvenInTheMiddleOfALine) {
    const Printed r = run(text("abc") + bytes({DLE, EOT, 1}) + text("def\n"));
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.job.report.replies, 1u);
    // "abcdef" stays one line: the status query left the line buffer alone.
    const Box box = inkBox(r.page());
    EXPECT_LE(box.height(), 24);
    EXPECT_GT(box.right, 5 * 12);
}

TEST(OtherStatus, PaperAndDrawerQueries) {
    RunOptions o;
    o.status.paperNearEnd = true;
    o.status.drawerOpen = true;
    const Printed r = run(bytes({GS, 'r', 1, GS, 'r', 50, ESC, 'u', 0, ESC, 'v'}), o);
    ASSERT_EQ(r.replies.size(), 4u);
    EXPECT_EQ(r.replies[0], bytes({0x03}));
    EXPECT_EQ(r.replies[1], bytes({0x00}));  // open drawer: pin 3 low
    EXPECT_EQ(r.replies[2], bytes({0x00}));
    EXPECT_EQ(r.replies[3], bytes({0x03}));
}

// Each model answers as its maker's printer: type ID bit 0 two-byte
// characters, bit 1 a cutter; the texts a POS library picks its dialect by.
TEST(OtherStatus, PrinterIdentity) {
    struct Case {
        const char* model;
        uint8_t type;
        const char* maker;
        const char* name;
        const char* font;
    };
    for (const Case& c : {Case{"zsim-80", 0x03, "ZANTOR", "ZSIM-80", "CHINA GB18030"},
                          Case{"epson-tm-t88v", 0x02, "EPSON", "TM-T88V", "ANK"},
                          Case{"epson-tm-p20ii", 0x00, "EPSON", "TM-P20II", "ANK"}}) {
        RunOptions o;
        o.model = c.model;
        o.width = 0;
        const Printed r = run(bytes({GS, 'I', 1, GS, 'I', 50, GS, 'I', 66, GS, 'I', 67, GS, 'I', 69, GS, 'I', 200}), o);
        ASSERT_EQ(r.replies.size(), 5u) << c.model;
        EXPECT_EQ(r.replies[1], bytes({c.type})) << c.model;
        EXPECT_EQ(r.replies[2], bytes({0x5F}) + text(c.maker) + bytes({0}));
        EXPECT_EQ(r.replies[3], bytes({0x5F}) + text(c.name) + bytes({0}));
        EXPECT_EQ(r.replies[4], bytes({0x5F}) + text(c.font) + bytes({0}));
        EXPECT_EQ(r.job.report.noteTotal(), 1u) << "GS I 200 is not answered and says so";
    }
}

TEST(OtherStatus, AutomaticStatusOnEnableAndOnChange) {
    escpos::SettableDeviceState device;
    std::vector<Bytes> replies;
    PrinterHooks hooks;
    hooks.reply = [&](const uint8_t* p, size_t n) { replies.emplace_back(p, p + n); };
    VirtualPrinter printer(PrinterConfig{}, device, hooks);
    printer.statusChanged();
    EXPECT_TRUE(replies.empty()) << "ASB is off until GS a";
    printer.feed(bytes({GS, 'a', 0xFF}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], bytes({0x14, 0x00, 0x00, 0x00}));
    escpos::DeviceStatus s;
    s.drawerOpen = true;
    s.paperOut = true;
    device.set(s);
    printer.statusChanged();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1], bytes({0x18, 0x00, 0x0F, 0x00}));
}

TEST(OtherStatus, BufferClearProcessIdAndOfflineResponses) {
    escpos::SettableDeviceState device;
    std::vector<Bytes> replies;
    PrinterHooks hooks;
    hooks.reply = [&](const uint8_t* p, size_t n) { replies.emplace_back(p, p + n); };
    PrinterConfig config;
    config.keepPages = true;
    VirtualPrinter printer(config, device, hooks);
    printer.feed(text("cleared") + bytes({DLE, DC4, 8, 1, 3, 20, 1, 6, 2, 8}) +
                 bytes({GS, '(', 'H', 6, 0, 48, 48, 'I', 'D', '0', '1', GS, '(', 'H', 3, 0, 49, 48, 50}));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], bytes({0x37, 0x25, 0}));
    EXPECT_EQ(replies[1], bytes({0x37, 0x22, 'I', 'D', '0', '1', 0}));
    EXPECT_TRUE(printer.endJob().pages.empty()) << "the cleared line is not printed";
    // The offline response, with its cause, only on going offline.
    escpos::DeviceStatus s;
    s.coverOpen = true;
    for (int change = 0; change < 2; ++change) {
        device.set(s);
        printer.statusChanged();
        s.paperOut = true;
    }
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[2], bytes({0x37, 0x23, 0x16, 0x12, 0}));
}

TEST(DrawerPulse, EscPAndDleDc4GoToTheCallback) {
    const Printed r = run(
        bytes({ESC, 'p', 0, 50, 250, ESC, 'p', 49, 25, 25, DLE, DC4, 1, 0, 3, ESC, 'p', 7, 1, 1, DLE, DC4, 1, 2, 1}));
    ASSERT_EQ(r.pulses.size(), 3u);
    EXPECT_EQ(r.pulses[0].pin, 2);
    EXPECT_EQ(r.pulses[0].onMs, 100);
    EXPECT_EQ(r.pulses[0].offMs, 500);
    EXPECT_EQ(r.pulses[0].command, "ESC p");
    EXPECT_EQ(r.pulses[1].pin, 5);
    EXPECT_EQ(r.pulses[1].onMs, 50);
    EXPECT_EQ(r.pulses[2].pin, 2);
    EXPECT_EQ(r.pulses[2].onMs, 300);
    EXPECT_EQ(r.pulses[2].command, "DLE DC4");
    // The two pulses for connectors that do not exist are noted, not sent.
    EXPECT_EQ(r.job.report.noteTotal(), 2u);
    EXPECT_EQ(r.job.report.drawerPulses.size(), 3u);
    EXPECT_TRUE(r.job.pages.empty()) << "a drawer kick prints nothing";
}

TEST(DrawerPulse, ThrowingCallbacksDoNotStopThePrinter) {
    escpos::SettableDeviceState device;
    PrinterHooks hooks;
    hooks.reply = [](const uint8_t*, size_t) { throw std::runtime_error("port closed"); };
    hooks.drawerPulse = [](const escpos::DrawerPulse&) { throw std::runtime_error("no drawer"); };
    hooks.jobFinished = [](const JobResult&) { throw 42; };
    PrinterConfig config;
    config.keepPages = true;
    VirtualPrinter printer(config, device, hooks);
    printer.feed(bytes({DLE, EOT, 1, ESC, 'p', 0, 10, 10}) + text("still prints\n"));
    const JobResult r = printer.endJob();
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_EQ(r.report.noteTotal(), 2u);
    EXPECT_NE(r.report.toJson().find("port closed"), std::string::npos);
}

}  // namespace
}  // namespace zsim::test
