// Reading a receipt image as a person would, with tools nobody here wrote: zbarimg for barcodes
// and QR codes, tesseract for the Chinese text.
#pragma once

#include <string>
#include <vector>

// Every symbol zbarimg finds, as "TYPE:text" (e.g. "EAN-13:6931081400127").
std::vector<std::string> DecodeSymbols(const std::string& pngLinuxPath);
// The text tesseract reads in Simplified Chinese, UTF-8, with all white space taken out (it sets
// blanks between Chinese characters at will).
std::string ReadChineseText(const std::string& pngLinuxPath);

// A 24-bit BMP, paper-wide (576 pixels), holding an EAN-13 symbol of the 13 digits, for a test
// that prints a picture and reads it back from the receipt.
std::string Ean13Bitmap(const std::string& digits);
