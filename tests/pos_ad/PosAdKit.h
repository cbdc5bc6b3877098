// What the library's tests share: golden byte files, the settings file the library reads, the
// run log it writes, and BMP files on the test drive.
#pragma once

#include "BmpWriter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The bytes of tests/pos_ad/golden/<name>.bin. With ZPT_WRITE_GOLDEN=1 in the environment a
// missing file is written from `actual` (and the check still fails, so it gets looked at).
void ExpectGolden(const std::string& name, const std::string& actual);
std::string Golden(const std::string& name);
// The path of another file in tests/pos_ad/golden/, on the test drive.
std::string GoldenFile(const std::string& fileName);

std::string AsString(const std::vector<uint8_t>& bytes);
// "1B 40 0A ..." for failure messages.
std::string HexDump(const std::string& bytes, size_t max = 64);

// Writes C:\Morvane\scales.ini for one test and puts the old one back afterwards. The library
// forgets its settings (ClosePrinterEx) on both sides, so each test starts from its own file.
class ScalesIni {
public:
    explicit ScalesIni(const std::string& text);
    ~ScalesIni();
    void Rewrite(const std::string& text);

private:
    std::string m_previous;
    bool m_existed;
};

// The run log: every day's file, as a test may run across midnight, in the order written.
std::vector<std::string> RunLogFiles();
std::string RunLogText();
void ClearRunLog();

// A file in C:\ztests\<folder>\ with these bytes; returns its path.
std::string WriteTestFile(const std::string& folder, const std::string& name, const std::string& bytes);

// The sample receipt as the printer page sends it, with fixed times.
std::vector<std::string> SampleReceiptCalls();

// Plays the device for one call that waits for its answer: call runs on a thread of its own while
// reply(answer) reads the request and, when told to, answers it. The library waits for the
// answer only its own short time, and the way to the test and back (Wine, the pty, the serial
// bridge, TCP) can take longer on a busy machine; a call that reports noAnswer when the test
// expected another result is therefore made again, a few times, so what is judged is how the
// answer is read, not the machine's speed. Returns the last result.
int CallWithReply(
    const std::function<int()>& call, const std::function<void(bool answer)>& reply, int noAnswer, int expected);
