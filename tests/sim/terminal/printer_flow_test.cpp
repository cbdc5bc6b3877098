// The printer's receive buffer as a host meets it: offline in the middle of
// a receipt, flow control on a small buffer, answers that wait for the paper.
#include <gtest/gtest.h>

#include <memory>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

const std::string kDleEot4 = "\x10\x04\x04"s, kGsR1 = "\x1dr\x01"s, kCut = "\x1dV\x00"s;
constexpr char XON = 0x11, XOFF = 0x13;

nlohmann::json waitReceipt(const Daemon& d, int afterJob) {
    return d.control("wait-receipt 20000 " + std::to_string(afterJob), 25000);
}

nlohmann::json buffer(const Daemon& d) { return d.state()["printer"]["buffer"]; }

// One host end, on the printer's pty or its TCP port.
struct Host {
    std::unique_ptr<SerialEnd> serial;
    std::unique_ptr<TcpEnd> tcp;
    void send(const std::string& b) { serial ? serial->send(b) : tcp->send(b); }
    std::string read(size_t n, int ms) { return serial ? serial->read(n, ms) : tcp->read(n, ms); }
};

TEST(TerminalPrinterFlow, PaperOutInTheMiddleHoldsTheReceiptAndPrintsItWholeOnceLoaded) {
    const std::string first = "\x1b@Line one\nLine two\n", second = "\x1b!\x30Line three\nLine four\n\x1b!\x00"s + kCut;
    for (const bool overTcp : {false, true}) {
        SCOPED_TRACE(overTcp ? "tcp" : "pty");
        // Only the cut ends a job, however long the test takes.
        Daemon d({"--serial-idle-ms", "600000", "--tcp-idle-ms", "0"});
        ASSERT_TRUE(d.running()) << d.error();
        Host host;
        if (overTcp) {
            host.tcp = std::make_unique<TcpEnd>(d.tcpPort());
        } else {
            host.serial = std::make_unique<SerialEnd>(d.stateDir() + "/printer");
        }
        host.send(first + second);
        const nlohmann::json whole = waitReceipt(d, 0);
        ASSERT_TRUE(whole.value("ok", false)) << whole.dump();

        host.send(first + kDleEot4);
        EXPECT_EQ(host.read(1, 5000), "\x12");
        ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["buffer"]["held"] == 0; }));
        ASSERT_TRUE(d.control("paper out").value("ok", false));
        host.send(kDleEot4);
        EXPECT_EQ(host.read(1, 5000), "\x7e");
        host.send(second + kGsR1 + kDleEot4);
        EXPECT_EQ(host.read(1, 5000), "\x7e") << "DLE EOT behind held bytes is answered at once";
        EXPECT_TRUE(d.waitFor([&](const nlohmann::json& s) {
            return s["printer"]["offline"] == true && s["printer"]["buffer"]["held"] == second.size() + 6;
        })) << d.state().dump();
        EXPECT_EQ(host.read(1, 300), "") << "GS r is not answered while stopped at paper end";
        EXPECT_EQ(d.state()["printer"]["last_receipt"], whole["receipt"]["job"]);

        ASSERT_TRUE(d.control("paper in").value("ok", false));
        EXPECT_EQ(host.read(1, 5000), "\x00"s) << "GS r after loading: paper present";
        const nlohmann::json resumed = waitReceipt(d, whole["receipt"]["job"]);
        ASSERT_TRUE(resumed.value("ok", false)) << resumed.dump();
        EXPECT_EQ(readFile(resumed["receipt"]["raw"]), first + kDleEot4 + kDleEot4 + second + kGsR1 + kDleEot4);
        ASSERT_EQ(resumed["receipt"]["pages"].size(), 1u);
        EXPECT_EQ(readFile(resumed["receipt"]["pages"][0]), readFile(whole["receipt"]["pages"][0]))
            << "the receipt differs from the one printed without a stop";
        EXPECT_EQ(nlohmann::json::parse(readFile(resumed["receipt"]["report"]))["notes"].size(), 0u);
        host.send(kDleEot4);
        EXPECT_EQ(host.read(1, 5000), "\x12");
    }
}

// GS v 0, 576 dots wide, with a DLE EOT 1 inside its data as images may
// happen to hold one.
std::string bigImage(int rows) {
    std::string image = "\x1dv0\x00\x48\x00"s + static_cast<char>(rows & 0xFF) + static_cast<char>(rows >> 8);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < 72; ++x) image += static_cast<char>((x + y) % 7 == 0 ? 0xF0 : (x * y) & 0x0F);
    return image.replace(image.size() / 2, 3, "\x10\x04\x01");
}

TEST(TerminalPrinterFlow, ABigImageThroughASmallBufferStopsTheHostWithXoffAndComesOutWhole) {
    const std::string job = "\x1b@"s + bigImage(900) + kCut;
    ASSERT_GT(job.size(), 64000u);
    Daemon flow({"--receive-buffer", "4096", "--xon-xoff", "on", "--print-speed", "150", "--serial-idle-ms", "600000"});
    ASSERT_TRUE(flow.running()) << flow.error();
    SerialEnd host(flow.stateDir() + "/printer");
    int xoffs = 0, xons = 0, statuses = 0;
    bool stopped = false;
    auto listen = [&](int ms) {
        for (char c : host.read(64, ms)) {
            if (c == XOFF)
                ++xoffs, stopped = true;
            else if (c == XON)
                ++xons, stopped = false;
            else if ((c & 0x93) == 0x12)
                ++statuses;
        }
    };
    for (size_t sent = 0; sent < job.size(); sent += 512) {
        listen(1);
        for (int wait = 0; stopped && wait < 400; ++wait) listen(50);
        ASSERT_FALSE(stopped) << "no XON";
        host.send(job.substr(sent, 512));
    }
    const nlohmann::json r = waitReceipt(flow, 0);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    listen(1);
    EXPECT_GE(xoffs, 1);
    EXPECT_GE(xons, 1);
    EXPECT_EQ(statuses, 1) << "the DLE EOT 1 inside the image data";
    EXPECT_EQ(readFile(r["receipt"]["raw"]), job);
    EXPECT_EQ(buffer(flow)["lost"], 0);

    Daemon instant({"--xon-xoff", "on"});
    ASSERT_TRUE(instant.running()) << instant.error();
    SerialEnd quick(instant.stateDir() + "/printer");
    quick.send(job);
    const nlohmann::json reference = waitReceipt(instant, 0);
    ASSERT_TRUE(reference.value("ok", false)) << reference.dump();
    EXPECT_EQ(quick.drain(100), "\x12") << "a printer that keeps up sends no XOFF";
    ASSERT_EQ(r["receipt"]["pages"].size(), 1u);
    EXPECT_EQ(readFile(r["receipt"]["pages"][0]), readFile(reference["receipt"]["pages"][0]));
}

TEST(TerminalPrinterFlow, AHostThatIgnoresXoffLosesWhatOverrunsTheBufferAndStillGetsStatus) {
    Daemon d({"--receive-buffer", "256", "--xon-xoff", "on", "--serial-idle-ms", "600000"});
    ASSERT_TRUE(d.running()) << d.error();
    ASSERT_TRUE(d.control("cover open").value("ok", false));
    SerialEnd host(d.stateDir() + "/printer");
    EXPECT_EQ(host.read(1, 5000), std::string(1, XOFF)) << "XOFF on going offline";
    std::string flood;
    while (flood.size() < 80000) flood += "Never stops sending\n";
    host.send(flood + "\x10\x04\x02");
    // DLE EOT 2: cover open, offline.
    EXPECT_EQ(host.read(1, 5000), "\x16");
    const nlohmann::json b = buffer(d);
    EXPECT_EQ(b["held"], 256 + 65536) << b.dump();
    EXPECT_EQ(b["lost"], flood.size() + 3 - 256 - 65536);
    ASSERT_TRUE(d.control("cover closed").value("ok", false));
    host.send(kCut);
    const nlohmann::json r = waitReceipt(d, 0);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_NE(readFile(r["receipt"]["report"]).find("bytes lost"), std::string::npos);
}

TEST(TerminalPrinterFlow, AQuietLineDoesNotEndAJobThePrinterIsStillPrinting) {
    Daemon d({"--print-speed", "150", "--serial-idle-ms", "50"});
    ASSERT_TRUE(d.running()) << d.error();
    // Longer than the printer takes in at once, and far longer to print than the gap.
    std::string receipt = "\x1b@";
    for (int line = 1; line <= 60; ++line) receipt += "Line " + std::to_string(line) + "\n";
    SerialEnd(d.stateDir() + "/printer").send(receipt);
    const nlohmann::json r = waitReceipt(d, 0);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(readFile(r["receipt"]["raw"]), receipt);
}

TEST(TerminalPrinterFlow, AProcessIdIsAnsweredOnlyOnceThePaperBeforeItIsOut) {
    Daemon d({"--print-speed", "60", "--serial-idle-ms", "600000"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd host(d.stateDir() + "/printer");
    std::string receipt = "\x1b@";
    for (int line = 1; line <= 12; ++line) receipt += "Line " + std::to_string(line) + "\n";
    host.send(receipt + kCut +
              "\x1d(H\x06\x00\x30\x30"
              "AB12"s);
    EXPECT_EQ(host.read(7, 20000),
              "\x37\x22"
              "AB12\x00"s);
    // By the time the answer is out, so is the paper before it.
    const nlohmann::json list = d.control("receipts");
    ASSERT_EQ(list["receipts"].size(), 1u) << list.dump();
    EXPECT_EQ(list["receipts"][0]["pages"].size(), 1u);
}

}  // namespace
}  // namespace zsim::test
