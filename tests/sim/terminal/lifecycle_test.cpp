// The terminal as a process: its command line, its lines surviving a host
// that closes and reopens them, its control socket's refusals, and a clean
// end on a signal.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

// Output and exit status of a shell command line.
std::pair<std::string, int> shell(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pipe ? ::pclose(pipe) : -1;
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(TerminalLifecycle, ReopenedLinesKeepWorking) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    for (int round = 0; round < 3; ++round) {
        SerialEnd scale(d.stateDir() + "/scale");
        scale.send("R\r\n");
        EXPECT_EQ(scale.readUntil("\r\n", kHungMs), "W,S,Z,kg,0.000,0.000,0.000\r\n") << "round " << round;
        SerialEnd board(d.stateDir() + "/board");
        board.send(boardFrame('D'));
        EXPECT_EQ(board.read(6, kHungMs), boardFrame('D', "1")) << "round " << round;
    }
    // A host that closes the port in the middle of a job and opens it again
    // finishes the same receipt.
    SerialEnd(d.stateDir() + "/printer").send("\x1b@First half, ");
    SerialEnd(d.stateDir() + "/printer").send("second half\n");
    const nlohmann::json r = d.control("wait-receipt " + std::to_string(kHungMs) + " 0", 2 * kHungMs);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(readFile(r["receipt"]["raw"]), "\x1b@First half, second half\n");
}

TEST(TerminalLifecycle, ReadingsNobodyReadsDoNotPileUpOnTheLine) {
    Daemon d({"--scale-rate", "100"});
    ASSERT_TRUE(d.running()) << d.error();
    // Well over a kilobyte of readings (28 bytes each) is sent while no host has the port.
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["scale"]["sdk_readings"] >= 80; }));
    SerialEnd scale(d.stateDir() + "/scale");
    const std::string backlog = scale.waiting();
    EXPECT_GT(backlog.size(), 0u);
    EXPECT_LE(backlog.size(), 1024u + 64u);
    scale.send("M,0\r\n");
    EXPECT_NE(scale.readUntil("A,M\r\n", kHungMs).find("A,M\r\n"), std::string::npos);
}

TEST(TerminalLifecycle, ControlRequestsItCannotCarryOutAreRefusedWithAReason) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    for (const std::string& bad :
         {"frobnicate"s, "weight"s, "weight heavy"s, "weight 5000"s, "stable maybe"s, "drawer ajar"s, "profile settle"s,
          "profile steps 5:1 2:1"s, "profile steps 0:1:x"s, "paper wet"s, "scale-rate 0"s, "unit stone"s,
          "receipts -1"s, "wait-receipt soon"s, ""s, "\xff\xfe"s}) {
        const nlohmann::json answer = d.control(bad);
        EXPECT_FALSE(answer.value("ok", true)) << bad;
        EXPECT_FALSE(answer.value("error", "").empty()) << bad;
    }
    const nlohmann::json waited = d.control("wait-receipt 100");
    EXPECT_EQ(waited.value("error", ""), "no receipt within the time");
    EXPECT_TRUE(d.control("ping").value("ok", false)) << "a refusal upset the terminal";
}

TEST(TerminalLifecycle, TheClientToolPrintsAnswersAndSaysWhetherTheyWereCarriedOut) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    const std::string ctl = std::string(ZSIM_CTL) + " --state-dir " + d.stateDir();
    auto [out, status] = shell(ctl + " weight 2.5");
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(nlohmann::json::parse(out, nullptr, false)["scale"]["gross_g"], 2500);
    std::tie(out, status) = shell(ctl + " weight lots");
    EXPECT_EQ(status, 1) << out;
    std::tie(out, status) = shell(std::string(ZSIM_CTL) + " --state-dir /nonexistent state");
    EXPECT_EQ(status, 2) << out;
    std::tie(out, status) = shell(ctl + " wait-receipt 200");
    EXPECT_EQ(status, 1) << out;
}

TEST(TerminalLifecycle, CommandLineHelpAndMistakes) {
    auto [out, status] = shell(std::string(ZSIM_DAEMON) + " --help");
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("--state-dir"), std::string::npos);
    std::tie(out, status) = shell(std::string(ZSIM_DAEMON) + " --paper-width 500");
    EXPECT_EQ(status, 2) << out;
    std::tie(out, status) = shell(std::string(ZSIM_DAEMON) + " --tcp-host 192.0.2.1");
    EXPECT_EQ(status, 2) << out;
    EXPECT_NE(out.find("loopback"), std::string::npos) << out;
}

TEST(TerminalLifecycle, ASecondTerminalOnTheSameStateDirRefusesToStart) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    const auto [out, status] = shell(std::string(ZSIM_DAEMON) + " --tcp-port 0 --state-dir " + d.stateDir());
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("another zantor-sim"), std::string::npos) << out;
    EXPECT_TRUE(d.control("ping").value("ok", false));
    EXPECT_TRUE(std::filesystem::exists(d.stateDir() + "/board"));
}

TEST(TerminalLifecycle, ASignalEndsItCleanlyWithTheOpenJobSaved) {
    for (int sig : {15, 2}) {
        Daemon d({"--tcp-idle-ms", "0"});
        ASSERT_TRUE(d.running()) << d.error();
        const std::string receipts = d.receiptsDir();
        TcpEnd tcp(d.tcpPort());
        tcp.send("\x1b@Still open when the terminal stops\n");
        ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["job_open"] == true; }));
        SerialEnd scale(d.stateDir() + "/scale");  // a host holding a line open does not stop it

        EXPECT_EQ(d.stop(sig), 0) << d.log();
        EXPECT_EQ(listDir(d.stateDir()), std::vector<std::string>{"receipts"}) << "left behind in the state dir";
        const std::vector<std::string> files = listDir(receipts);
        for (const char* name : {"index.html", "job-0001-1.png", "job-0001.bin", "job-0001.json"})
            EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
        EXPECT_NE(d.log().find("stopped"), std::string::npos);
    }
}

}  // namespace
}  // namespace zsim::test
