// Print jobs reaching the virtual terminal over its real pseudo-terminal and
// its TCP port, and what lands in the receipts folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "daemon.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

const std::string kInit = "\x1b@";

nlohmann::json waitReceipt(const Daemon& d, int afterJob) {
    return d.control("wait-receipt " + std::to_string(kHungMs) + " " + std::to_string(afterJob), 2 * kHungMs);
}

TEST(TerminalPrinter, JobsOverTcpAndThePtyBecomeImageRawBytesAndReport) {
    Daemon d({"--tcp-idle-ms", "0"});
    ASSERT_TRUE(d.running()) << d.error();

    const std::string overTcp = kInit + "Over TCP\n";
    TcpEnd tcp(d.tcpPort());
    ASSERT_TRUE(tcp.open());
    tcp.send(overTcp);
    tcp.close();  // with no idle gap, only the close ends this job
    const nlohmann::json first = waitReceipt(d, 0);
    ASSERT_TRUE(first.value("ok", false)) << first.dump();

    const std::string overPty = kInit +
                                "Over the serial line\n\x1b!\x38"
                                "Big\n";
    SerialEnd serial(d.stateDir() + "/printer");
    ASSERT_TRUE(serial.open());
    serial.send(overPty);
    const nlohmann::json second = waitReceipt(d, first["receipt"]["job"]);
    ASSERT_TRUE(second.value("ok", false)) << second.dump();

    for (const auto& [answer, sent] : {std::pair{first, overTcp}, std::pair{second, overPty}}) {
        const nlohmann::json& r = answer["receipt"];
        ASSERT_EQ(r["pages"].size(), 1u);
        EXPECT_TRUE(isPng(r["pages"][0])) << r.dump();
        EXPECT_EQ(readFile(r["raw"]), sent);
        const auto report = nlohmann::json::parse(readFile(r["report"]), nullptr, false);
        ASSERT_TRUE(report.is_object());
        EXPECT_EQ(report["unknown_total"], 0);
        EXPECT_EQ(report["bytes"], sent.size());
        EXPECT_EQ(r["unknown"], 0);
    }

    // The index shows the newest receipt first, with links to its files.
    const std::string index = readFile(d.receiptsDir() + "/index.html");
    const size_t newer = index.find("job-0002-1.png"), older = index.find("job-0001-1.png");
    ASSERT_NE(newer, std::string::npos) << index;
    ASSERT_NE(older, std::string::npos) << index;
    EXPECT_LT(newer, older);
    EXPECT_NE(index.find("job-0002.bin"), std::string::npos);
    EXPECT_NE(index.find("job-0002.json"), std::string::npos);
}

TEST(TerminalPrinter, ACutEndsTheJobOnceNoCommandIsHalfRead) {
    // Quiet gaps never end a job here: only the cuts do.
    Daemon d({"--serial-idle-ms", "600000"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    const std::string cut = "\x1dV\x00"s;

    // The first cut arrives with the start of a command behind it: the job
    // waits for the rest rather than losing it.
    serial.send(kInit + "One\n" + cut + "\x1b");
    serial.send("@Two\n" + cut);
    nlohmann::json r = waitReceipt(d, 0);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(r["receipt"]["pages"].size(), 2u);
    auto report = nlohmann::json::parse(readFile(r["receipt"]["report"]));
    EXPECT_EQ(report["ended_inside_command"], nullptr) << report.dump();
    EXPECT_EQ(report["unknown_total"], 0);

    serial.send(kInit + "Three\n" + cut);
    r = waitReceipt(d, r["receipt"]["job"]);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(readFile(r["receipt"]["raw"]), kInit + "Three\n" + cut);
}

TEST(TerminalPrinter, TwoHostsNeverPrintIntoEachOthersReceipt) {
    Daemon d({"--tcp-idle-ms", "0"});
    ASSERT_TRUE(d.running()) << d.error();
    TcpEnd tcp(d.tcpPort());
    SerialEnd serial(d.stateDir() + "/printer");
    tcp.send("TCP first half\n");
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["job_line"] == "tcp"; }));
    serial.send("Serial job\n");
    tcp.send("TCP second half\n");
    tcp.close();

    const nlohmann::json a = waitReceipt(d, 0);
    ASSERT_TRUE(a.value("ok", false)) << a.dump();
    const nlohmann::json b = waitReceipt(d, a["receipt"]["job"]);
    ASSERT_TRUE(b.value("ok", false)) << b.dump();
    EXPECT_EQ(readFile(a["receipt"]["raw"]), "TCP first half\nTCP second half\n");
    EXPECT_EQ(readFile(b["receipt"]["raw"]), "Serial job\n");
}

TEST(TerminalPrinter, ASecondPrinterLineIsTheSamePrinterAndEachReceiptNamesItsLine) {
    Daemon d({"--printer-lines", "2", "--tcp-idle-ms", "0", "--drawer-close-ms", "0"});
    ASSERT_TRUE(d.running()) << d.error();
    const nlohmann::json links = d.state()["links"];
    ASSERT_EQ(links.value("printer-2", ""), d.stateDir() + "/printer-2") << links.dump();
    EXPECT_EQ(links.value("printer", ""), d.stateDir() + "/printer");

    // The drawer answer goes back on the line that asked, not on the first one.
    SerialEnd first(d.stateDir() + "/printer");
    SerialEnd second(d.stateDir() + "/printer-2");
    second.send(kInit + "On the second line\n\x10\x04\x01"s);
    EXPECT_EQ(second.read(1, kHungMs), "\x12");
    // The first line's first answer is to its own question, asked with the drawer open.
    ASSERT_TRUE(d.control("drawer open").value("ok", false));
    first.send("\x10\x04\x01"s);
    EXPECT_EQ(first.read(1, kHungMs), "\x16");
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["quiet_jobs"] == 1; }));
    const nlohmann::json a = waitReceipt(d, 0);
    ASSERT_TRUE(a.value("ok", false)) << a.dump();
    EXPECT_EQ(a["receipt"]["line"], "printer-2");

    first.send(kInit + "On the first line\n");
    const nlohmann::json b = waitReceipt(d, a["receipt"]["job"]);
    ASSERT_TRUE(b.value("ok", false)) << b.dump();
    EXPECT_EQ(b["receipt"]["line"], "printer");
    EXPECT_EQ(readFile(b["receipt"]["raw"]), kInit + "On the first line\n");

    // A TCP job keeps its line's name after its connection is gone.
    TcpEnd tcp(d.tcpPort());
    tcp.send(kInit + "Over TCP\n");
    tcp.close();
    const nlohmann::json c = waitReceipt(d, b["receipt"]["job"]);
    ASSERT_TRUE(c.value("ok", false)) << c.dump();
    EXPECT_EQ(c["receipt"]["line"], "tcp");
    EXPECT_NE(readFile(d.receiptsDir() + "/index.html").find("via printer-2"), std::string::npos);
}

TEST(TerminalPrinter, StatusQueriesAreNoReceiptsButUnknownCommandsAreCounted) {
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd serial(d.stateDir() + "/printer");
    serial.send("\x10\x04\x01"s);
    EXPECT_EQ(serial.read(1, kHungMs).size(), 1u);
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["quiet_jobs"] == 1; }));

    serial.send(kInit + "\x1b\x7f" + "after junk\n");
    const nlohmann::json r = waitReceipt(d, 0);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(r["receipt"]["unknown"], 1);
    const nlohmann::json list = d.control("receipts");
    ASSERT_EQ(list["receipts"].size(), 1u) << list.dump();
    EXPECT_EQ(list["receipts"][0]["job"], r["receipt"]["job"]);
    EXPECT_NE(readFile(d.receiptsDir() + "/index.html").find("Unknown commands: 1"), std::string::npos);
    // The status query left no files behind.
    for (const std::string& name : listDir(d.receiptsDir()))
        EXPECT_EQ(name.find("job-0001"), std::string::npos) << name;
}

TEST(TerminalPrinter, ANewRunListsTheReceiptsOfTheLastAndNumbersOn) {
    char folder[] = "/tmp/zsim-receipts-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    {
        Daemon d({}, folder);
        ASSERT_TRUE(d.running()) << d.error();
        SerialEnd(d.stateDir() + "/printer").send(kInit + "First run\n");
        ASSERT_TRUE(waitReceipt(d, 0).value("ok", false));
    }
    // Files that only look like reports do not keep it from starting.
    std::ofstream(std::string(folder) + "/job-0007.json") << R"({"bytes": "lots", "pages": 3})";
    std::ofstream(std::string(folder) + "/job-99999999999999.json") << "{}";
    std::ofstream(std::string(folder) + "/job-0008.json") << "not json";
    Daemon d({}, folder);
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd(d.stateDir() + "/printer").send(kInit + "Second run\n");
    const nlohmann::json r = waitReceipt(d, 1);
    ASSERT_TRUE(r.value("ok", false)) << r.dump();
    EXPECT_EQ(r["receipt"]["job"], 2);
    const nlohmann::json list = d.control("receipts");
    ASSERT_EQ(list["receipts"].size(), 2u);
    EXPECT_EQ(list["receipts"][1]["job"], 1);
    EXPECT_TRUE(isPng(list["receipts"][1]["pages"][0]));
    std::filesystem::remove_all(folder);
}

// The model is chosen on the command line and switched on the control socket:
// the host meets the new printer's identity, and a job in hand ends as the old
// printer's receipt.
TEST(TerminalPrinter, TheModelIsChosenAndSwitchedAndTheHostMeetsItsIdentity) {
    Daemon d({"--printer-model", "epson-tm-t88v"});
    ASSERT_TRUE(d.running()) << d.error();
    SerialEnd host(d.stateDir() + "/printer");
    const auto identity = [&] {
        host.send("\x1dIB\x1dIC");
        const std::string maker = host.readUntil("\0"s, 5000);
        return maker + host.readUntil("\0"s, 5000);
    };
    EXPECT_EQ(d.state()["printer"]["paper_width"], 512);
    EXPECT_EQ(identity(), "_EPSON\0_TM-T88V\0"s);

    host.send(kInit + "Printed by the TM-T88V\n");
    ASSERT_TRUE(d.waitFor([](const nlohmann::json& s) { return s["printer"]["job_open"] == true; }));
    const nlohmann::json switched = d.control("model xprinter-xp-n160ii");
    ASSERT_TRUE(switched.value("ok", false)) << switched.dump();
    EXPECT_EQ(switched["printer"]["model"], "xprinter-xp-n160ii");
    EXPECT_EQ(switched["printer"]["paper_width"], 576);
    const nlohmann::json old = waitReceipt(d, 0);
    ASSERT_TRUE(old.value("ok", false)) << old.dump();
    EXPECT_EQ(readFile(old["receipt"]["raw"]), "\x1dIB\x1dIC" + kInit + "Printed by the TM-T88V\n");
    host.drain(100);
    EXPECT_EQ(identity(), "_XPRINTER\0_XP-N160II\0"s);

    for (const char* refused : {"model star-tsp100iv", "model no-such-printer", "model"})
        EXPECT_FALSE(d.control(refused).value("ok", true)) << refused;
    EXPECT_EQ(d.state()["printer"]["model"], "xprinter-xp-n160ii");
}

}  // namespace
}  // namespace zsim::test
