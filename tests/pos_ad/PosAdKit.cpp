#include "PosAdKit.h"

#include "devices/pos_ad.h"
#include "settings/SettingsKeys.h"
#include "support/SampleReceipt.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>

namespace {

const char kSettings[] = "C:\\Morvane\\scales.ini";

std::string GoldenPath(const std::string& name)
{
    return GoldenFile(name + ".bin");
}

} // namespace

std::string GoldenFile(const std::string& fileName)
{
    return std::string(ZPT_POSAD_GOLDEN) + "/" + fileName;
}

std::string Golden(const std::string& name)
{
    return ReadWholeFile(GoldenPath(name));
}

void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = GoldenPath(name);
    if (!FileExists(path)) {
        const char* write = std::getenv("ZPT_WRITE_GOLDEN");
        if (write && std::string(write) == "1")
            WriteWholeFile(path, actual);
        ADD_FAILURE() << "no golden file " << path << (write ? " (written now: check it)" : "");
        return;
    }
    const std::string expected = ReadWholeFile(path);
    if (expected == actual)
        return;
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    ADD_FAILURE() << name << ": " << actual.size() << " bytes against " << expected.size()
                  << " golden; first difference at byte " << at << "\n  golden: " << HexDump(expected.substr(at))
                  << "\n  actual: " << HexDump(actual.substr(at));
}

std::string AsString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::string HexDump(const std::string& bytes, size_t max)
{
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(bytes[i]));
        out += pair;
    }
    if (bytes.size() > max)
        out += "...";
    return out;
}

ScalesIni::ScalesIni(const std::string& text)
{
    ::CreateDirectoryA("C:\\Morvane", nullptr);
    m_existed = FileExists(kSettings);
    m_previous = ReadWholeFile(kSettings);
    ClosePrinterEx();
    Rewrite(text);
    ClosePrinterEx();
}

ScalesIni::~ScalesIni()
{
    ClosePrinterEx();
    if (m_existed)
        WriteWholeFile(kSettings, m_previous);
    else
        ::DeleteFileA(kSettings);
    ClosePrinterEx();
}

void ScalesIni::Rewrite(const std::string& text)
{
    WriteWholeFile(kSettings, text);
}

std::vector<std::string> RunLogFiles()
{
    // Named by date, so in name order they are in the order they were written.
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    // Where the library writes it, spelled as the library spells it.
    const std::string folder = std::string(keys::kLogFolder) + "/";
    const HANDLE search = ::FindFirstFileA((folder + "pos_ad_*.log").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return paths;
    do
        paths.push_back(folder + found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string RunLogText()
{
    std::string text;
    for (const std::string& path : RunLogFiles())
        text += ReadWholeFile(path);
    return text;
}

void ClearRunLog()
{
    for (const std::string& path : RunLogFiles())
        ::DeleteFileA(path.c_str());
}

std::string WriteTestFile(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string dir = "C:\\ztests\\" + folder;
    ::CreateDirectoryA("C:\\ztests", nullptr);
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name;
    WriteWholeFile(path, bytes);
    return path;
}

std::vector<std::string> SampleReceiptCalls()
{
    std::vector<std::string> calls = {"开始打印：1000\r\n"};
    for (const std::string& line : SampleReceiptLines())
        calls.push_back(line);
    calls.push_back("结束时间：1250\r\n");
    calls.push_back("合计用时：250\r\n");
    return calls;
}

int CallWithReply(
    const std::function<int()>& call, const std::function<void(bool answer)>& reply, int noAnswer, int expected)
{
    int result = noAnswer;
    for (int attempt = 0; attempt < 5; ++attempt) {
        // A late answer may still be on its way when the call has given up. The next try is left
        // unanswered: it either takes that answer or finds none, and leaves none over for later.
        const bool answer = attempt % 2 == 0;
        std::future<int> pending = std::async(std::launch::async, call);
        reply(answer);
        result = pending.get();
        if (result != noAnswer || expected == noAnswer)
            break;
    }
    return result;
}
