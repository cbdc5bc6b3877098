#include "ReceiptImages.h"

#include "BmpWriter.h"
#include "HostShell.h"

#include <sstream>

namespace {

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

// EAN-13 element patterns (1 = bar) of the digits 0..9: L and G codes for the left half, R codes
// for the right; the first digit chooses which left digits take G codes.
const char* const kL[] = {
    "0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const kG[] = {
    "0100111", "0110011", "0011011", "0100001", "0011101", "0111001", "0000101", "0010001", "0001001", "0010111"};
const char* const kR[] = {
    "1110010", "1100110", "1101100", "1000010", "1011100", "1001110", "1010000", "1000100", "1001000", "1110100"};
const char* const kParity[] = {
    "LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG", "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

std::string Ean13Modules(const std::string& digits)
{
    const int first = digits[0] - '0';
    std::string modules = "101";
    for (int i = 1; i <= 6; ++i)
        modules += (kParity[first][i - 1] == 'L' ? kL : kG)[digits[i] - '0'];
    modules += "01010";
    for (int i = 7; i <= 12; ++i)
        modules += kR[digits[i] - '0'];
    return modules + "101";
}

} // namespace

std::vector<std::string> DecodeSymbols(const std::string& pngLinuxPath)
{
    std::string output;
    RunOnHost("zbarimg -q " + Quoted(pngLinuxPath) + " 2>/dev/null", &output);
    std::vector<std::string> symbols;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            symbols.push_back(line);
    }
    return symbols;
}

std::string ReadChineseText(const std::string& pngLinuxPath)
{
    std::string output;
    // The receipt's 24-dot characters read more surely at twice the size.
    RunOnHost("convert " + Quoted(pngLinuxPath) +
            " -scale 200% png:- 2>/dev/null | tesseract stdin stdout -l chi_sim 2>/dev/null",
        &output);
    std::string text;
    for (char c : output) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f')
            text += c;
    }
    return text;
}

std::string Ean13Bitmap(const std::string& digits)
{
    const int module = 5;
    const std::string modules = Ean13Modules(digits);
    Picture picture;
    picture.width = 576;
    picture.height = 120;
    picture.grey.assign(static_cast<size_t>(picture.width) * picture.height, 255);
    const int left = (picture.width - static_cast<int>(modules.size()) * module) / 2;
    for (int y = 10; y < picture.height - 10; ++y) {
        for (size_t m = 0; m < modules.size(); ++m) {
            if (modules[m] != '1')
                continue;
            for (int x = 0; x < module; ++x)
                picture.grey[static_cast<size_t>(y) * picture.width + left + static_cast<int>(m) * module + x] = 0;
        }
    }
    return WriteBmp(picture, 24, false);
}
