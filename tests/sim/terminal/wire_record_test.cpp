// The wire record as a host meets it: a status request and its answer said in words, and a
// flood that the record keeps within its bounds (each line's ring, a job's wire file).
#include <gtest/gtest.h>

#include "daemon.h"
#include "wire/sdk_stream.h"

namespace zsim::test {
namespace {

using namespace std::string_literals;

// The newest entry of a line, as the wire command answers it.
nlohmann::json lastEntry(const Daemon& d, const std::string& line, const std::string& dir) {
    const nlohmann::json answer = d.control("wire " + line);
    const nlohmann::json& entries = answer["entries"];
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if ((*it)["dir"] == dir) return *it;
    return nlohmann::json::object();
}

TEST(TerminalWire, AStatusRequestAndItsAnswerAreSaidInWords) {
    struct Case {
        std::vector<std::string> args;
        const char* setting;
        std::string request;
        const char* asked;
        const char* answered;
    };
    const Case cases[] = {
        {{},
         "drawer open",
         "\x10\x04\x01"s,
         "DLE EOT: transmit real-time status  1",
         "printer status: drawer pin 3 high (open), on line"},
        {{"--drawer-switch", "open-low"},
         "drawer open",
         "\x10\x04\x01"s,
         "DLE EOT: transmit real-time status  1",
         "printer status: drawer pin 3 low (open), on line"},
        {{},
         "paper out",
         "\x10\x04\x01"s,
         "DLE EOT: transmit real-time status  1",
         "printer status: drawer pin 3 low (closed), off line"},
        {{},
         "paper near-end",
         "\x10\x04\x04"s,
         "DLE EOT: transmit real-time status  4",
         "roll paper sensor: paper near end"},
        // GS r waits for the data before it, so it is asked of a printer that is on line.
        {{}, "paper near-end", "\x1d\x72\x01"s, "GS r: transmit status  1", "paper sensors: paper near end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        Daemon d(c.args);
        ASSERT_TRUE(d.running()) << d.error();
        ASSERT_TRUE(d.control(c.setting).value("ok", false));
        SerialEnd printer(d.stateDir() + "/printer");
        printer.send(c.request);
        ASSERT_EQ(printer.read(1, kHungMs).size(), 1u);
        EXPECT_EQ(lastEntry(d, "printer", "to_device").value("what", ""), c.asked);
        EXPECT_EQ(lastEntry(d, "printer", "to_host").value("what", ""), c.answered);
    }
}

TEST(TerminalWire, TheScalesAnswersKeepTheirWholeReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"A,Z\r\n", "Z done"},
        {"N,T,in motion\r\n", "T refused: in motion"},
    };
    for (const auto& [line, words] : cases) {
        wire::SdkStream stream;
        std::vector<wire::Item> items;
        stream.take(wire::Direction::ToHost, reinterpret_cast<const uint8_t*>(line.data()), line.size(), items);
        ASSERT_EQ(items.size(), 1u) << line;
        EXPECT_NE(items[0].what.find(words), std::string::npos) << items[0].what;
    }
}

TEST(TerminalWire, AFloodStaysWithinTheBounds) {
    constexpr size_t kPerLine = 2000, kJobEntries = 5000;
    Daemon d;
    ASSERT_TRUE(d.running()) << d.error();
    // Tiny commands by the ten thousand, as fast as TCP takes them, in one job.
    std::string flood;
    for (int i = 0; i < 30000; ++i) flood += "A\n";
    {
        TcpEnd tcp(d.tcpPort());
        tcp.send(flood);
    }
    const nlohmann::json receipt = d.control("wait-receipt 30000 0", 40000);
    ASSERT_TRUE(receipt.value("ok", false)) << receipt.dump();
    // The SDK scale asked for a reading thousands of times, each answered.
    SerialEnd scale(d.stateDir() + "/scale");
    std::string requests;
    for (int i = 0; i < 3000; ++i) requests += "R\r\n";
    scale.send(requests);
    ASSERT_TRUE(d.waitFor([&](const nlohmann::json&) {
        const nlohmann::json answer = d.control("wire scale");
        for (const auto& line : answer["lines"])
            if (line["line"] == "scale") return line["dropped"].get<uint64_t>() > 0;
        return false;
    }));

    const nlohmann::json answer = d.control("wire");
    for (const auto& line : answer["lines"]) {
        EXPECT_LE(line["kept"].get<size_t>(), kPerLine) << line.dump();
        if (line["line"] == "tcp") {
            EXPECT_GT(line["dropped"].get<uint64_t>(), 0u) << line.dump();
        }
    }
    const std::string wireFile = receipt["receipt"]["wire"];
    const std::string text = readFile(wireFile);
    size_t entries = 0;
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at)
        if (at + 1 < text.size() && text[at + 1] != '#') ++entries;
    EXPECT_LE(entries, kJobEntries);
    EXPECT_NE(text.find("more entries not written"), std::string::npos) << text.substr(text.size() - 300);
    EXPECT_NE(readFile(d.receiptsDir() + "/index.html").find("job-0001.wire.txt"), std::string::npos);
}

}  // namespace
}  // namespace zsim::test
