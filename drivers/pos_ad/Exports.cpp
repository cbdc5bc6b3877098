// The fifteen exported calls. Each is journalled with its arguments and result.
#include "devices/pos_ad.h"

#include "Journal.h"

#include <cstring>
#include <string>

namespace {

const char kVersion[] = "ZantorAD 1.0.0";
static_assert(sizeof kVersion <= 20, "the caller's version buffer holds 19 characters and a NUL");

const int kDone = 1;
const int kDrawerClosed = 1;

int Log(const std::string& call, int result)
{
    journal::Append(call, result);
    return result;
}

std::string Args(std::initializer_list<std::string> parts)
{
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : ", ") + part;
    return "(" + joined + ")";
}

// A stable reading at zero with no tare: status 0x33, net and tare "  0.000".
void FillZeroReading(char* record)
{
    std::memcpy(record, "3  0.000,  0.000", 16);
}

} // namespace

extern "C" {

int POSAD_API GetDllVersion(char* version)
{
    if (version)
        std::memcpy(version, kVersion, sizeof kVersion);
    return Log("GetDllVersion()", kDone);
}

int POSAD_API BeginPrint(int lines)
{
    return Log("BeginPrint" + Args({std::to_string(lines)}), kDone);
}

int POSAD_API PrintText(const char* text, int mode)
{
    return Log("PrintText" + Args({journal::Quote(text), std::to_string(mode)}), kDone);
}

int POSAD_API PrintBarCode(const char* digits, int width, int height, int textPosition)
{
    return Log("PrintBarCode" + Args({journal::Quote(digits), std::to_string(width), std::to_string(height),
                                      std::to_string(textPosition)}),
               kDone);
}

int POSAD_API PrintQrCode(const char* content, int moduleSize)
{
    return Log("PrintQrCode" + Args({journal::Quote(content), std::to_string(moduleSize)}), kDone);
}

int POSAD_API PrintBitmapFile(const char* path, int mode)
{
    return Log("PrintBitmapFile" + Args({journal::Quote(path), std::to_string(mode)}), kDone);
}

int POSAD_API PrintCommand(const char* bytes, int length)
{
    return Log("PrintCommand" + Args({journal::Hex(bytes, length), std::to_string(length)}), kDone);
}

int POSAD_API CutPaper(void)
{
    return Log("CutPaper()", kDone);
}

int POSAD_API OpenCashDrawerEx(void)
{
    return Log("OpenCashDrawerEx()", kDone);
}

int POSAD_API GetCashDrawerStatus(void)
{
    return Log("GetCashDrawerStatus()", kDrawerClosed);
}

int POSAD_API ClosePrinterEx(void)
{
    const int result = Log("ClosePrinterEx()", kDone);
    journal::Reload();
    return result;
}

int POSAD_API send_zero(void)
{
    return Log("send_zero()", POSAD_OK);
}

int POSAD_API read_standard(char* record)
{
    if (!record)
        return Log("read_standard(NULL)", 0);
    FillZeroReading(record);
    return Log("read_standard(record)", POSAD_OK);
}

int POSAD_API send_tare(char* scratch)
{
    return Log(std::string("send_tare(") + (scratch ? "buffer" : "NULL") + ")", POSAD_OK);
}

int POSAD_API clear_tare(char* scratch)
{
    return Log(std::string("clear_tare(") + (scratch ? "buffer" : "NULL") + ")", POSAD_OK);
}

} // extern "C"
