#include "ReceiptCommands.h"

#include "PrinterTexts.h"
#include "framework/TextUtils.h"
#include "devices/pos_ad.h"

namespace {

TickSource g_tickSource = ::GetTickCount;

// "%lld" of the count, zero-extended to 64 bits.
std::string TimeLine(const char* label, long long value)
{
    return label + std::to_string(value) + "\r\n";
}

} // namespace

TickSource SetReceiptTickSource(TickSource source)
{
    const TickSource previous = g_tickSource;
    g_tickSource = source ? source : ::GetTickCount;
    return previous;
}

long long ElapsedTicks(DWORD start, DWORD end)
{
    // Unsigned subtraction in 32 bits is exact across one wrap of the counter (49.7 days).
    return static_cast<long long>(static_cast<DWORD>(end - start));
}

void PrintReceiptByCommands(const std::string& text)
{
    const std::vector<std::string> pieces = SplitText(text, "\r\n");

    const DWORD start = g_tickSource();
    PrintText(TimeLine("开始打印：", start).c_str(), 8);
    for (const std::string& piece : pieces) {
        if (piece == kReceiptBarcodeLine)
            PrintBarCode(kReceiptBarcode, 2, 50, 2);
        else
            PrintText(piece.c_str(), 8);
    }
    const DWORD end = g_tickSource();
    PrintText(TimeLine("结束时间：", end).c_str(), 8);
    PrintText(TimeLine("合计用时：", ElapsedTicks(start, end)).c_str(), 8);
    BeginPrint(4);
}
