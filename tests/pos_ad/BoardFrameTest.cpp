// Frames of the board protocol, as docs/board-protocol.md defines them, and the weighing record
// they fill.
#include "PosAdKit.h"

#include "drivers/pos_ad/core/Board.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t* Data(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}

board::Scan FindIn(const std::string& bytes, board::Frame& frame, size_t& consumed)
{
    return board::Find(Data(bytes), bytes.size(), frame, consumed);
}

TEST(BoardGolden, EveryRequestTheLibrarySends)
{
    ExpectGolden("board_weight", AsString(board::Build(board::kWeight)));
    ExpectGolden("board_zero", AsString(board::Build(board::kZero)));
    ExpectGolden("board_tare", AsString(board::Build(board::kTare)));
    ExpectGolden("board_clear_tare", AsString(board::Build(board::kClearTare)));
    ExpectGolden("board_open_drawer_j1900", AsString(board::Build(board::kOpenDrawer, "1")));
    ExpectGolden("board_drawer_state", AsString(board::Build(board::kDrawerState)));
}

TEST(BoardFrames, TheCheckByteIsTheXorOfLetterLengthAndData)
{
    EXPECT_EQ(AsString(board::Build('W')), std::string("\x02W\x00W\x03", 5));
    EXPECT_EQ(AsString(board::Build('O', "2")),
        std::string("\x02O\x01"
                    "2"
                    "\x7c\x03",
            6));
}

TEST(BoardFrames, AFrameIsFoundAmongNoiseAndAcrossReads)
{
    const std::string answer = AsString(board::Build('W', "3  1.250  0.000"));
    board::Frame frame;
    size_t consumed = 0;
    // Noise first, then the frame.
    const std::string noisy = "\xff\x03junk" + answer;
    ASSERT_EQ(FindIn(noisy, frame, consumed), board::Scan::Found);
    EXPECT_EQ(frame.command, 'W');
    EXPECT_EQ(AsString(frame.payload), "3  1.250  0.000");
    EXPECT_EQ(consumed, noisy.size());
    // Every cut of the frame waits for more, and drops only what lies before the STX.
    for (size_t cut = 0; cut < answer.size(); ++cut) {
        const std::string part = "zz" + answer.substr(0, cut);
        const board::Scan scan = FindIn(part, frame, consumed);
        if (cut == 0) {
            EXPECT_EQ(scan, board::Scan::Garbage);
            EXPECT_EQ(consumed, 2u);
        } else {
            EXPECT_EQ(scan, board::Scan::NeedMore) << cut;
            EXPECT_EQ(consumed, 2u) << cut;
        }
    }
    // Two frames back to back come one after the other.
    const std::string two = AsString(board::Build('Z', "0")) + AsString(board::Build('D', "1"));
    ASSERT_EQ(FindIn(two, frame, consumed), board::Scan::Found);
    EXPECT_EQ(frame.command, 'Z');
    ASSERT_EQ(FindIn(two.substr(consumed), frame, consumed), board::Scan::Found);
    EXPECT_EQ(frame.command, 'D');
}

TEST(BoardFrames, ABrokenFrameIsSkippedToTheNextStx)
{
    board::Frame frame;
    size_t consumed = 0;
    std::string bad = AsString(board::Build('Z', "0"));
    bad[4] ^= 0x01; // wrong check byte
    EXPECT_EQ(FindIn(bad, frame, consumed), board::Scan::Garbage);
    EXPECT_EQ(consumed, 1u);
    std::string noEtx = AsString(board::Build('Z', "0"));
    noEtx[5] = 0x04;
    EXPECT_EQ(FindIn(noEtx, frame, consumed), board::Scan::Garbage);
    const std::string tooLong("\x02W\x41", 3); // 65 bytes of data: never a frame
    EXPECT_EQ(FindIn(tooLong, frame, consumed), board::Scan::Garbage);
    EXPECT_EQ(consumed, 1u);
    // A good frame right after a broken one is still found once the broken STX is dropped.
    const std::string both = bad + AsString(board::Build('T', "0"));
    ASSERT_EQ(FindIn(both, frame, consumed), board::Scan::Garbage);
    ASSERT_EQ(FindIn(both.substr(consumed), frame, consumed), board::Scan::Found);
    EXPECT_EQ(frame.command, 'T');
}

TEST(BoardRecord, AReadingFillsExactlyEighteenBytes)
{
    board::Frame frame;
    frame.command = 'W';
    const std::string payload = "7 12.345  0.150";
    frame.payload.assign(payload.begin(), payload.end());
    board::Reading reading;
    std::string error;
    ASSERT_TRUE(board::ParseReading(frame, reading, error)) << error;
    char record[32];
    std::memset(record, 0x55, sizeof record);
    board::FillRecord(reading, record);
    EXPECT_EQ(std::string(record, 18), std::string("7 12.345,  0.150\0\0", 18));
    EXPECT_EQ(std::string(record + 18, 14), std::string(14, 0x55)) << "nothing past the 18-byte record";
}

TEST(BoardRecord, ReadingsWithABadStatusOrTextAreRefused)
{
    board::Reading reading;
    std::string error;
    for (const std::string& payload : {std::string("8 12.345  0.150"), std::string("\x01 12.345  0.150"),
             std::string("3 12.3\x00"
                         "5  0.150",
                 15),
             std::string("3 12.345  0.15"), std::string("3 12.345  0.1500"),
             std::string("3\x81\x40"
                         "2.345  0.150")}) {
        board::Frame frame;
        frame.command = 'W';
        frame.payload.assign(payload.begin(), payload.end());
        EXPECT_FALSE(board::ParseReading(frame, reading, error)) << HexDump(payload);
    }
}

TEST(BoardRecord, BoardTypesHaveTheirCodes)
{
    EXPECT_EQ(board::BoardTypeCode("J1900"), '1');
    EXPECT_EQ(board::BoardTypeCode("J1900D"), '2');
    EXPECT_EQ(board::BoardTypeCode("I3/I5"), '3');
    EXPECT_EQ(board::BoardTypeCode(""), '0');
    EXPECT_EQ(board::BoardTypeCode("j1900"), '0');
}

} // namespace
