// The SDK scale on its serial line: readings sent by itself and on request,
// commands acknowledged or refused, lines it cannot read ignored, and the
// scale state set through the control socket showing in what it sends.
#include <gtest/gtest.h>

#include <regex>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

class TerminalSdkScale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(d.running()) << d.error();
        ASSERT_TRUE(scale.open());
    }
    void set(const std::string& command) { ASSERT_TRUE(d.control(command).value("ok", false)) << command; }
    std::string line(int timeoutMs = kHungMs) {
        std::string l = scale.readUntil("\r\n", timeoutMs);
        return l.size() >= 2 ? l.substr(0, l.size() - 2) : l;
    }
    // The first line that is not a reading, skipping the periodic ones.
    std::string answer() {
        for (int i = 0; i < 200; ++i) {
            const std::string l = line();
            if (l.empty() || l[0] != 'W') return l;
        }
        return "";
    }
    // The next reading that matches, within a bounded number of readings.
    std::string readingLike(const std::string& pattern, int maxLines = 100) {
        const std::regex wanted(pattern);
        for (int i = 0; i < maxLines; ++i) {
            const std::string l = line();
            if (std::regex_match(l, wanted)) return l;
            if (l.empty()) break;
        }
        return "no reading like " + pattern;
    }
    // The readings after any still showing the state before a change, up to and including the
    // first one that matches last.
    std::vector<std::string> readingsAfter(const std::string& before, const std::string& last) {
        const std::regex wanted(last);
        std::vector<std::string> seen;
        for (int i = 0; i < 200; ++i) {
            const std::string l = line();
            if (l.empty()) break;
            if (seen.empty() && l == before) continue;
            seen.push_back(l);
            if (std::regex_match(l, wanted)) break;
        }
        return seen;
    }
    std::string command(const std::string& text) {
        scale.send(text + "\r\n");
        return answer();
    }

    Daemon d;
    SerialEnd scale{d.stateDir() + "/scale"};
};

TEST_F(TerminalSdkScale, SendsReadingsByItselfThatFollowTheControlledState) {
    EXPECT_EQ(line(), "W,S,Z,kg,0.000,0.000,0.000");
    set("weight 1.25");
    EXPECT_EQ(readingLike("W,S,N,kg,1\\.250,.*"), "W,S,N,kg,1.250,0.000,1.250");
    set("tare 0.25");
    EXPECT_EQ(readingLike("W,S,N,kg,1\\.000,.*"), "W,S,N,kg,1.000,0.250,1.250");
    set("stable off");
    EXPECT_EQ(readingLike("W,U,.*"), "W,U,N,kg,1.000,0.250,1.250");
    set("overload on");
    EXPECT_EQ(readingLike("W,F,.*"), "W,F,N,kg,1.000,0.250,1.250");
    set("overload off");
    set("not-zeroed on");
    EXPECT_EQ(readingLike("W,F,.*"), "W,F,N,kg,1.000,0.250,1.250");
    set("not-zeroed off");
    set("stable on");
    set("tare 0");
    set("weight 15.001");
    EXPECT_EQ(readingLike("W,F,N,kg,15\\.001.*"), "W,F,N,kg,15.001,0.000,15.001");
    set("weight -0.002");
    EXPECT_EQ(readingLike("W,S,N,kg,-0\\.002.*"), "W,S,N,kg,-0.002,0.000,-0.002");
    set("weight -0.2");  // underload
    EXPECT_EQ(readingLike("W,F,N,kg,-0\\.200.*"), "W,F,N,kg,-0.200,0.000,-0.200");
}

TEST_F(TerminalSdkScale, CommandsAreAcknowledgedOrRefusedWithTheirLetter) {
    EXPECT_EQ(command("Z"), "A,Z");
    EXPECT_EQ(command("T"), "N,T,nothing to tare");
    set("weight 2");
    EXPECT_EQ(command("Z"), "N,Z,out of zero range");
    EXPECT_EQ(command("T"), "A,T");
    EXPECT_EQ(readingLike("W,S,N,kg,0\\.000,2.*"), "W,S,N,kg,0.000,2.000,2.000");
    EXPECT_EQ(command("T"), "A,T") << "a second tare clears it";
    EXPECT_EQ(readingLike("W,S,N,kg,2\\.000,0.*"), "W,S,N,kg,2.000,0.000,2.000");
    EXPECT_EQ(command("P,99999"), "A,P");
    EXPECT_EQ(command("P,100000"), "N,P,bad argument");
    EXPECT_EQ(command("P,-1"), "N,P,bad argument");
    EXPECT_EQ(command("P,1250"), "A,P");
    EXPECT_EQ(command("U,g"), "A,U");
    EXPECT_EQ(readingLike("W,S,N,g,.*"), "W,S,N,g,750,1250,2000");
    EXPECT_EQ(command("U,lb"), "A,U");
    EXPECT_EQ(readingLike("W,S,N,lb,.*"), "W,S,N,lb,1.6535,2.7558,4.4092");
    EXPECT_EQ(command("U,oz"), "N,U,bad argument");
    EXPECT_EQ(command("O,1"), "A,O");
    EXPECT_EQ(command("O,2"), "N,O,bad argument");
    EXPECT_EQ(command("F,50"), "A,F");
    EXPECT_EQ(command("F,0"), "N,F,bad argument");
    EXPECT_EQ(command("F,101"), "N,F,bad argument");
    EXPECT_EQ(command("Q"), "N,Q,unknown command");
    EXPECT_EQ(command("Z,1"), "N,Z,bad argument");
    EXPECT_EQ(command("ZZ"), "N,Z,bad command");
    const nlohmann::json s = d.state()["scale"];
    EXPECT_EQ(s["unit"], "lb");
    EXPECT_EQ(s["power_on_zero"], true);
    EXPECT_EQ(s["sdk_rate"], 50);
}

TEST_F(TerminalSdkScale, OnRequestOnlyAfterAutomaticModeIsSwitchedOff) {
    EXPECT_EQ(command("M,0"), "A,M");
    // The scale's own clock runs through a profile that lasts several automatic readings, yet
    // the next lines are the answers to what is asked next: no reading came by itself.
    set("profile steps 0:0.3:u 300:0.5:s");
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["scale"]["profile"] == ""; }));
    scale.send("R\r\nT\r\n");
    EXPECT_EQ(line(), "W,S,N,kg,0.500,0.000,0.500");
    EXPECT_EQ(line(), "A,T");
    EXPECT_EQ(command("M,1"), "A,M");
    EXPECT_EQ(line(), "W,S,N,kg,0.000,0.500,0.500");
}

TEST_F(TerminalSdkScale, LinesItCannotReadAreIgnored) {
    EXPECT_EQ(command("M,0"), "A,M");
    // An answer to a bad line would come before the reading asked for after it.
    for (const std::string& bad : {"z"s, ""s, "\x01Z"s, "Z\x80"s, std::string(500, 'Z'), "R\rR"s, ",Z"s}) {
        scale.send(bad + "\r\nR\r\n");
        EXPECT_EQ(line(), "W,S,Z,kg,0.000,0.000,0.000")
            << "answered a line it cannot read (" << bad.size() << " bytes)";
    }
    // A line cut short by garbage does not spoil the next one.
    scale.send("\x02\x03garbage\r\nR\r\n"s);
    EXPECT_EQ(line(), "W,S,Z,kg,0.000,0.000,0.000");
}

// Profiles run on the scale's clock, so how many readings fall in each part depends on the
// machine; their order does not. The answer to the command that starts a profile is the state
// at its start.
TEST_F(TerminalSdkScale, ASettlingProfileSwingsUnstableAndEndsStableAtItsTarget) {
    nlohmann::json started = d.control("profile settle 1.5 800");
    ASSERT_TRUE(started.value("ok", false)) << started.dump();
    EXPECT_FALSE(started["scale"]["stable"]);
    std::vector<std::string> seen = readingsAfter("W,S,Z,kg,0.000,0.000,0.000", "W,S,.*");
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "W,S,N,kg,1.500,0.000,1.500");
    for (size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_EQ(seen[i].rfind("W,U,", 0), 0u) << seen[i];
    EXPECT_EQ(d.state()["scale"]["profile"], "");

    started = d.control("profile steps 0:0.3:u 200:0.7:u 400:0.5:s");
    ASSERT_TRUE(started.value("ok", false)) << started.dump();
    EXPECT_FALSE(started["scale"]["stable"]);
    EXPECT_EQ(started["scale"]["gross_g"], 300);
    const std::vector<std::string> steps = {"W,U,N,kg,0.300,0.000,0.300", "W,U,N,kg,0.700,0.000,0.700",
                                            "W,S,N,kg,0.500,0.000,0.500"};
    seen = readingsAfter("W,S,N,kg,1.500,0.000,1.500", "W,S,.*");
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), steps.back());
    size_t step = 0;
    for (const std::string& reading : seen) {
        while (step < steps.size() && reading != steps[step]) ++step;
        EXPECT_LT(step, steps.size()) << reading << " out of order or not a step";
    }
}

}  // namespace
}  // namespace zsim::test
