// The cash drawer and the printer's status answers: pulses from the printer
// and the board open the drawer, it closes on time or on command, and every
// way of asking (DLE EOT on both printer lines, the board's D request, the
// control socket) tells the same story.
#include <gtest/gtest.h>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

const std::string kDleEot1 = "\x10\x04\x01"s;
const std::string kDleEot4 = "\x10\x04\x04"s;
constexpr char kPin3High = 0x16, kPin3Low = 0x12;

bool drawerOpen(const nlohmann::json& s) { return s["drawer"]["open"]; }

TEST(TerminalDrawer, DleEotOnBothLinesFollowsTheDrawerAndThePaper) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    auto askBoth = [&](const std::string& query) {
        serial.send(query);
        std::string serialAnswer = serial.read(1, kHungMs);
        TcpEnd tcp(d.tcpPort());
        tcp.send(query);
        std::string tcpAnswer = tcp.read(1, kHungMs);
        EXPECT_EQ(serialAnswer, tcpAnswer) << "the two lines disagree";
        return serialAnswer;
    };
    // Open-high wiring by default: pin 3 reads high while the drawer is open.
    EXPECT_EQ(askBoth(kDleEot1), std::string(1, kPin3Low));
    ASSERT_TRUE(d.control("drawer open").value("ok", false));
    EXPECT_EQ(askBoth(kDleEot1), std::string(1, kPin3High));
    ASSERT_TRUE(d.control("drawer close").value("ok", false));
    EXPECT_EQ(askBoth(kDleEot1), std::string(1, kPin3Low));

    EXPECT_EQ(askBoth(kDleEot4), "\x12");
    ASSERT_TRUE(d.control("paper near-end").value("ok", false));
    EXPECT_EQ(askBoth(kDleEot4), "\x1e");
    ASSERT_TRUE(d.control("paper out").value("ok", false));
    EXPECT_EQ(askBoth(kDleEot4), "\x7e");
    EXPECT_EQ(askBoth(kDleEot1), "\x1a");  // off line while out of paper
    ASSERT_TRUE(d.control("paper in").value("ok", false));
    EXPECT_EQ(askBoth(kDleEot4), "\x12");
}

TEST(TerminalDrawer, OpenLowWiringInvertsPinThree) {
    Daemon d({"--drawer-switch", "open-low"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    serial.send(kDleEot1);
    EXPECT_EQ(serial.read(1, kHungMs), std::string(1, kPin3High));
    d.control("drawer open");
    serial.send(kDleEot1);
    EXPECT_EQ(serial.read(1, kHungMs), std::string(1, kPin3Low));
}

TEST(TerminalDrawer, PrinterPulsesOpenItAndItClosesAfterTheSetTime) {
    Daemon d({"--drawer-close-ms", "300"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    // Counted, not watched: the drawer may open and close again between two looks at it.
    const std::string pulses[] = {"\x1bp\x00\x19\xfa"s, "\x10\x14\x01\x00\x01"s};
    for (int openings = 1; openings <= 2; ++openings) {
        serial.send(pulses[openings - 1]);
        ASSERT_TRUE(d.waitFor([&](const nlohmann::json& s) { return s["drawer"]["openings"] == openings; }))
            << "pulse " << openings;
        EXPECT_EQ(d.state()["drawer"]["opened_by"], "printer");
        ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return !drawerOpen(s); }));
    }
    EXPECT_EQ(d.state()["drawer"]["openings"], 2);
}

TEST(TerminalDrawer, WithoutATimeItStaysOpenUntilClosedByCommand) {
    Daemon d({"--drawer-close-ms", "0"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd board(d.stateDir() + "/board");
    board.send(boardFrame('O', "1"));
    EXPECT_EQ(board.read(6, kHungMs), boardFrame('O', "0"));
    board.send(boardFrame('D'));
    EXPECT_EQ(board.read(6, kHungMs), boardFrame('D', "0"));
    EXPECT_EQ(d.state()["drawer"]["opened_by"], "board");

    // Set to close after a while, an open drawer closes by itself.
    ASSERT_TRUE(d.control("drawer-time 200").value("ok", false));
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return !drawerOpen(s); }));
    board.send(boardFrame('D'));
    EXPECT_EQ(board.read(6, kHungMs), boardFrame('D', "1"));

    ASSERT_TRUE(d.control("drawer-time 0").value("ok", false));
    ASSERT_TRUE(d.control("drawer open").value("ok", false));
    board.send(boardFrame('D'));
    EXPECT_EQ(board.read(6, kHungMs), boardFrame('D', "0"));
    ASSERT_TRUE(d.control("drawer close").value("ok", false));
    board.send(boardFrame('D'));
    EXPECT_EQ(board.read(6, kHungMs), boardFrame('D', "1"));
}

TEST(TerminalDrawer, AutomaticStatusReportsTheDrawerAsItMoves) {
    Daemon d({"--drawer-close-ms", "0"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    serial.send("\x1d\x61\x01"s);  // GS a: report drawer changes
    const std::string first = serial.read(4, kHungMs);
    ASSERT_EQ(first.size(), 4u);
    d.control("drawer open");
    const std::string opened = serial.read(4, kHungMs);
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_NE(first[0] & 0x04, opened[0] & 0x04) << "pin 3 did not change in the automatic status";
}

}  // namespace
}  // namespace zsim::test
