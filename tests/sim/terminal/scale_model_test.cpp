// The weighing cell and its scripted loads, with time passed in: the rules a
// host runs into (zero range, tare toggling, overload) and profiles that
// must end where they say.
#include <gtest/gtest.h>

#include "terminal/board/board_protocol.h"
#include "terminal/scale/scale_model.h"
#include "terminal/scale/sdk_scale_protocol.h"

namespace zsim::term {
namespace {

TEST(ScaleModel, ZeroOnlyNearTheEmptyPlatterAndOnlyWhenStable) {
    ScaleModel scale(15000);
    scale.setLoad(600);  // 4 % of the capacity: the edge of the zero range
    EXPECT_FALSE(scale.zero(0));
    EXPECT_EQ(scale.read(0).gross, 0);
    scale.setLoad(601);
    EXPECT_EQ(scale.zero(0), "out of zero range");
    scale.setLoad(500);
    scale.setStable(false, 0);
    EXPECT_EQ(scale.zero(0), "in motion");
    scale.setStable(true, 0);
    EXPECT_FALSE(scale.zero(0));
    EXPECT_TRUE(scale.read(0).atZero);
    // Twenty divisions of 5 g below zero is as far as it reads.
    scale.setLoad(399);
    EXPECT_TRUE(scale.read(0).underload);
    EXPECT_EQ(scale.zero(0), "underload");
    scale.setLoad(400);
    EXPECT_FALSE(scale.read(0).underload);
    // The range is measured from the empty platter, not from the last zero.
    scale.setLoad(900);
    EXPECT_EQ(scale.zero(0), "out of zero range");
}

TEST(ScaleModel, TareTogglesAndOverloadRefusesWeighing) {
    ScaleModel scale(15000);
    scale.setLoad(1200);
    EXPECT_FALSE(scale.toggleTare(0));
    EXPECT_EQ(scale.read(0).net, 0);
    EXPECT_EQ(scale.read(0).tare, 1200);
    EXPECT_FALSE(scale.toggleTare(0));
    EXPECT_FALSE(scale.read(0).tarePresent);
    EXPECT_FALSE(scale.presetTare(99999)) << "a preset tare may exceed the capacity";
    EXPECT_EQ(scale.presetTare(100000), "tare out of range");
    EXPECT_FALSE(scale.presetTare(0));
    EXPECT_FALSE(scale.read(0).tarePresent);

    scale.setLoad(15001);
    EXPECT_TRUE(scale.read(0).overload);
    EXPECT_EQ(scale.takeTare(0), "overload");
    scale.setLoad(15000);
    EXPECT_FALSE(scale.read(0).overload);
    scale.setOverload(true);
    EXPECT_TRUE(scale.read(0).overload);
}

TEST(ScaleProfile, SettlingSwingsAroundTheTargetThenHoldsIt) {
    ScaleModel scale;
    scale.setLoad(200);
    scale.runProfile(ScaleProfile::settle(200, 1000, 800), 5000);
    EXPECT_EQ(scale.read(5000).gross, 200) << "starts from the load it replaces";
    bool above = false, below = false;
    for (int64_t t = 5000; t < 5800; t += 10) {
        const ScaleReading r = scale.read(t);
        EXPECT_FALSE(r.stable) << t;
        above |= r.gross > 1000;
        below |= r.gross < 1000;
    }
    EXPECT_TRUE(above && below) << "no swing across the target";
    EXPECT_TRUE(scale.read(5800).stable);
    EXPECT_EQ(scale.read(5800).gross, 1000);
    EXPECT_EQ(scale.read(99999).gross, 1000);
    EXPECT_FALSE(scale.profileRunning(5800));
    // Stopping a profile keeps the load it had reached.
    scale.runProfile(ScaleProfile::settle(1000, 3000, 800), 0);
    const int64_t midway = scale.read(400).gross;
    scale.stopProfile(400);
    EXPECT_EQ(scale.read(100000).gross, midway);
}

TEST(ScaleProfile, StepsAreParsedStrictly) {
    std::string error;
    const auto steps = ScaleProfile::parseSteps("0:0.4:u 300:1.1:u 800:1", error);
    ASSERT_TRUE(steps) << error;
    EXPECT_EQ(steps->at(299).grams, 400);
    EXPECT_FALSE(steps->at(299).stable);
    EXPECT_EQ(steps->at(300).grams, 1100);
    EXPECT_TRUE(steps->at(800).stable);
    EXPECT_EQ(steps->lengthMs(), 800);
    for (const char* bad : {"", "1.5", "x:1", "0:", "0:abc", "0:1:q", "300:1 200:2", "-5:1", "0:1e9"})
        EXPECT_FALSE(ScaleProfile::parseSteps(bad, error)) << bad;
}

TEST(ScaleReadings, TextsOfBothProtocolsForAwkwardWeights) {
    ScaleReading r;
    r.gross = -2;
    r.net = -2;
    r.atZero = false;
    EXPECT_EQ(SdkScaleProtocol::readingText(r, WeightUnit::Kg), "W,S,N,kg,-0.002,0.000,-0.002");
    EXPECT_EQ(SdkScaleProtocol::readingText(r, WeightUnit::G), "W,S,N,g,-2,0,-2");
    EXPECT_EQ(BoardProtocol::weightPayload(r), "1 -0.002  0.000");
    r.gross = r.net = 999999;
    EXPECT_EQ(SdkScaleProtocol::readingText(r, WeightUnit::Kg), "W,S,N,kg,999.999,0.000,999.999");
    EXPECT_EQ(BoardProtocol::weightPayload(r), "1999.999  0.000");
    r.gross = r.net = -150000;
    EXPECT_EQ(BoardProtocol::weightPayload(r), "1-99.999  0.000") << "clipped to seven characters";
    r.gross = r.net = 1;
    EXPECT_EQ(SdkScaleProtocol::readingText(r, WeightUnit::Lb), "W,S,N,lb,0.0022,0.0000,0.0022");
}

}  // namespace
}  // namespace zsim::term
