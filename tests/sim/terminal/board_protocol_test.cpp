// The A/D board as the device library meets it on the serial line: framed
// requests and answers, the weighing state set through the control socket,
// and bytes that are no frame.
#include <gtest/gtest.h>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

class TerminalBoard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(d.running()) << d.error();
        ASSERT_TRUE(board.open());
    }
    void set(const std::string& command) { ASSERT_TRUE(d.control(command).value("ok", false)) << command; }
    // The answer to one request, read as a whole frame.
    std::string ask(char command, const std::string& payload = {}) {
        board.send(boardFrame(command, payload));
        return readFrame();
    }
    std::string readFrame() {
        std::string head = board.read(3, kHungMs);
        if (head.size() < 3) return head;
        return head + board.read(static_cast<uint8_t>(head[2]) + 2, kHungMs);
    }

    Daemon d;
    SerialEnd board{d.stateDir() + "/board"};
};

TEST_F(TerminalBoard, WeightAnswersFollowTheScaleState) {
    EXPECT_EQ(ask('W'), boardFrame('W', "3  0.000  0.000"));  // stable, at zero
    set("weight 1.25");
    EXPECT_EQ(ask('W'), boardFrame('W', "1  1.250  0.000"));
    set("tare 0.5");
    EXPECT_EQ(ask('W'), boardFrame('W', "5  0.750  0.500"));
    set("stable off");
    EXPECT_EQ(ask('W'), boardFrame('W', "4  0.750  0.500"));
    set("stable on");
    set("tare 0");
    set("weight -0.002");
    EXPECT_EQ(ask('W'), boardFrame('W', "1 -0.002  0.000"));
    set("weight 16");  // beyond the 15 kg capacity: never stable
    EXPECT_EQ(ask('W'), boardFrame('W', "0 16.000  0.000"));
    set("weight -0.2");  // underloaded: never stable either
    EXPECT_EQ(ask('W'), boardFrame('W', "0 -0.200  0.000"));
}

TEST_F(TerminalBoard, ZeroAndTareAreAcknowledgedOrRefusedAsAScaleWould) {
    set("weight 0.2");
    EXPECT_EQ(ask('Z'), boardFrame('Z', "0"));
    EXPECT_EQ(ask('W'), boardFrame('W', "3  0.000  0.000"));
    EXPECT_EQ(ask('T'), boardFrame('T', "1")) << "nothing on the platter to tare";

    set("weight 1.2");
    EXPECT_EQ(ask('Z'), boardFrame('Z', "1")) << "too far from the empty platter to zero";
    EXPECT_EQ(ask('T'), boardFrame('T', "0"));
    EXPECT_EQ(ask('W'), boardFrame('W', "5  0.000  1.000"));  // "at zero" is of the gross weight
    EXPECT_EQ(ask('C'), boardFrame('C', "0"));
    EXPECT_EQ(ask('W'), boardFrame('W', "1  1.000  0.000"));

    set("stable off");
    EXPECT_EQ(ask('T'), boardFrame('T', "1"));
    EXPECT_EQ(ask('Z'), boardFrame('Z', "1"));
    EXPECT_EQ(d.state()["scale"]["tare_g"], 0);
}

TEST_F(TerminalBoard, RequestsItDoesNotKnowAreRefusedWithN) {
    EXPECT_EQ(ask('Q'), boardFrame('N', "Q"));
    EXPECT_EQ(ask('W', "x"), boardFrame('N', "W"));
    EXPECT_EQ(ask('O'), boardFrame('N', "O")) << "no board type";
    EXPECT_EQ(ask('O', "9"), boardFrame('N', "O"));
    EXPECT_FALSE(d.state()["drawer"]["open"]);
}

TEST_F(TerminalBoard, BytesThatAreNoFrameGetNoAnswer) {
    std::string badCheck = boardFrame('W');
    badCheck[3] ^= 0x55;
    std::string noEtx = boardFrame('W');
    noEtx.back() = 'x';
    const std::string tooLong = "\x02W\x41"s + std::string(0x41, 'a') + "\x00\x03"s;
    // An answer to a bad request would come before the answer to the good one that follows.
    for (const std::string& bad : {badCheck, noEtx, tooLong, "garbage\x03\x03"s}) {
        board.send(bad);
        EXPECT_EQ(ask('D'), boardFrame('D', "1")) << "answered a malformed request";
    }
    // Garbage in front of a good frame, and a frame in pieces, still work.
    board.send("\xff\x02noise"s + boardFrame('D'));
    EXPECT_EQ(readFrame(), boardFrame('D', "1"));
    const std::string w = boardFrame('W');
    board.send(w.substr(0, 2));
    board.send(w.substr(2));
    EXPECT_EQ(readFrame(), boardFrame('W', "3  0.000  0.000"));
    EXPECT_EQ(ask('D'), boardFrame('D', "1")) << "answered one request twice";
}

TEST_F(TerminalBoard, AStaleHalfFrameDoesNotSwallowTheNextRequest) {
    // Claims more bytes than ever come; the next request comes well after the board has given it
    // up (the waiting only grows on a slower machine).
    for (const std::string& half : {"\x02W\x20"s, "\x02\x02\x02"s}) {
        board.send(half);
        EXPECT_EQ(board.drain(1000), "") << "answered half a frame";
        EXPECT_EQ(ask('D'), boardFrame('D', "1"));
    }
}

}  // namespace
}  // namespace zsim::test
