// The terminal's wire record beside the real program: what our device library sends for the sample
// receipt shows in the record, command by command and text by text, and in the receipt's wire file.
#include "EndToEnd.h"

#include "framework/TextCodec.h"
#include "support/SampleReceipt.h"

namespace {

// The start of each entry the library's bytes for the sample receipt make, in order: the connection's
// initialisation, each line's text (UTF-8, as the record decodes GBK) with HT for a tab and LF at its
// end, the barcode call's commands, the closing time lines and BeginPrint's feed.
std::vector<std::string> SampleReceiptEntries()
{
    std::vector<std::string> want = {"ESC @:", "ESC 3:", "FS &:", u8"text \"开始打印：", "LF:"};
    for (const std::string& line : SampleReceiptLines()) {
        if (line == "BARCODE") {
            for (const char* c :
                {"ESC a:", "GS H:", "GS h:", "GS w:", "GS k: print bar code  67 12 \"693108140012\"", "ESC a:"})
                want.push_back(c);
            continue;
        }
        std::string text;
        for (const char c : line + "\n") {
            if (c != '\t' && c != '\n') {
                text += c;
                continue;
            }
            if (!text.empty())
                want.push_back("text \"" + U8(Widen(text)) + "\"");
            text.clear();
            want.push_back(c == '\t' ? "HT:" : "LF:");
        }
    }
    for (const char* end : {u8"text \"结束时间：", "LF:", u8"text \"合计用时：", "LF:", "ESC d:"})
        want.push_back(end);
    return want;
}

// Empty when the entries from the last one that starts like the wanted ones on are the wanted ones,
// one by one; else where they part.
std::string Mismatch(const std::vector<std::string>& entries, const std::vector<std::string>& want)
{
    size_t first = entries.size();
    while (first > 0 && entries[first - 1].rfind(want.front(), 0) != 0)
        --first;
    if (first == 0)
        return "no entry starts with " + want.front();
    for (size_t i = 0; i < want.size(); ++i) {
        const size_t at = first - 1 + i;
        if (at >= entries.size())
            return "the record ends before " + want[i];
        if (entries[at].rfind(want[i], 0) != 0)
            return "entry " + std::to_string(i) + " is \"" + entries[at] + "\", not " + want[i];
    }
    return {};
}

// What the host sent, entry by entry, from the wire record's text lines (zantor-simctl wire, a wire
// file): what follows the arrow, without the bytes at the end.
std::vector<std::string> Entries(const std::string& text)
{
    std::vector<std::string> entries;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t arrow = line.find(u8"→  ");
        if (line.empty() || line[0] == '#' || arrow == std::string::npos)
            continue;
        const std::string what = line.substr(arrow + std::string(u8"→  ").size());
        entries.push_back(what.substr(0, what.rfind("  [")));
    }
    return entries;
}

class Wire : public EndToEnd { };

TEST_F(Wire, TheSampleReceiptShowsInTheRecordAsTheCommandsTheLibrarySent)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const nlohmann::json receipt = PrintWith(Page::Printer, IDC_PRN_RECEIPT);
    const std::vector<std::string> want = SampleReceiptEntries();

    const std::string record = terminal.Output("wire printer");
    EXPECT_EQ(Mismatch(Entries(record), want), "") << record;
    const std::string file = ReadTerminalFile(receipt.value("wire", ""));
    EXPECT_EQ(Mismatch(Entries(file), want), "") << file;
}

} // namespace
