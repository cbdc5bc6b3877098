// The program's fifteen calls into the device library, each as the pages make it, against the
// recording stand-in: every call arrives with its arguments, its result comes back, and the stack
// pointer is where it was before the call. On i686 this program is built twice, beside a __cdecl
// and beside a __stdcall stand-in; a call that assumed one convention would move the stack
// pointer by its arguments' size with the other.
#include "devices/pos_ad.h"
#include "fakes/FakePosAd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int result;
    std::intptr_t stackMove;
};

char g_buffer[32];

#if defined(__i386__)
#define READ_SP(to)    asm volatile("movl %%esp, %0" : "=r"(to)::"memory")
#define WRITE_SP(from) asm volatile("movl %0, %%esp" ::"r"(from) : "memory")
#else
#define READ_SP(to)    asm volatile("movq %%rsp, %0" : "=r"(to)::"memory")
#define WRITE_SP(from) asm volatile("movq %0, %%rsp" ::"r"(from) : "memory")
#endif

// The call between two readings of the stack pointer. A moved pointer is put back before the
// function returns, so the test can report it instead of crashing.
#define MEASURED(expression)                                                                                           \
    []() {                                                                                                             \
        std::intptr_t before = 0, after = 0;                                                                           \
        READ_SP(before);                                                                                               \
        const int result = (expression);                                                                               \
        READ_SP(after);                                                                                                \
        WRITE_SP(before);                                                                                              \
        return Outcome {result, after - before};                                                                       \
    }

struct Case {
    const char* fn;
    Outcome (*call)();
    std::string text;
    std::vector<int> ints;
};

const Case kCases[] = {
    {"GetDllVersion", MEASURED(GetDllVersion(g_buffer)), "", {}},
    {"BeginPrint", MEASURED(BeginPrint(4)), "", {4}},
    {"PrintText", MEASURED(PrintText("合计金额", 8)), "合计金额", {8}},
    {"PrintBarCode", MEASURED(PrintBarCode("6931081400127", 2, 50, 2)), "6931081400127", {2, 50, 2}},
    {"PrintQrCode", MEASURED(PrintQrCode("https://example.com/q", 8)), "https://example.com/q", {8}},
    {"PrintBitmapFile", MEASURED(PrintBitmapFile("C:\\logo.bmp", 0)), "C:\\logo.bmp", {0}},
    {"PrintCommand", MEASURED(PrintCommand("\x1b@", 2)), "\x1b@", {2}},
    {"CutPaper", MEASURED(CutPaper()), "", {}},
    {"OpenCashDrawerEx", MEASURED(OpenCashDrawerEx()), "", {}},
    {"GetCashDrawerStatus", MEASURED(GetCashDrawerStatus()), "", {}},
    {"ClosePrinterEx", MEASURED(ClosePrinterEx()), "", {}},
    {"send_zero", MEASURED(send_zero()), "", {}},
    {"read_standard", MEASURED(read_standard(g_buffer)), "", {}},
    {"send_tare", MEASURED(send_tare(g_buffer)), "", {}},
    {"clear_tare", MEASURED(clear_tare(g_buffer)), "", {}},
};

TEST(PosAdCall, EachOfTheFifteenArrivesWholeAndLeavesTheStackAsItWas)
{
    int distinct = 7000;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fn);
        fake_pos_ad::Reset();
        fake_pos_ad::SetResult(c.fn, ++distinct);
        const Outcome outcome = c.call();
        EXPECT_EQ(outcome.stackMove, 0) << "bytes the call moved the stack pointer by";
        EXPECT_EQ(outcome.result, distinct);
        ASSERT_EQ(fake_pos_ad::Calls().size(), 1u);
        EXPECT_EQ(fake_pos_ad::Calls()[0].fn, c.fn);
        EXPECT_EQ(fake_pos_ad::Calls()[0].text, c.text);
        EXPECT_EQ(fake_pos_ad::Calls()[0].ints, c.ints);
    }
    fake_pos_ad::Reset();
}

} // namespace
